#include "link/PortDiagnosis.h"

#include <algorithm>
#include <charconv>

namespace tessaprint {

namespace {

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The USB serial adapters present: /dev/ttyUSB* and /dev/ttyACM*.
std::vector<std::string> Adapters(const PortSystemView& system)
{
    std::vector<std::string> found;
    for (const std::string& name : system.FolderNames("/dev")) {
        if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM")) {
            found.push_back("/dev/" + name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string NotFound(const PortSystemView& system)
{
    const std::vector<std::string> adapters = Adapters(system);
    if (adapters.empty()) {
        return "No USB serial adapter is present: check the cable and that the adapter's driver is loaded (lsusb, "
               "dmesg).";
    }
    std::string list;
    for (const std::string& adapter : adapters) {
        list += (list.empty() ? "" : ", ") + adapter;
    }
    return "The serial adapters present are " + list + ": set the port's device in Port > Settings.";
}

struct Holder {
    int pid = 0;
    std::string name;
};

// A UUCP lock file holds the pid as text ("      1234\n").
std::optional<int> LockPid(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::nullopt;
    }
    int pid = 0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), pid);
    if (ec != std::errc() || pid <= 0 || (end != text.data() + text.size() && *end != '\n' && *end != ' ')) {
        return std::nullopt;
    }
    return pid;
}

std::optional<Holder> FindHolder(const std::string& device, const PortSystemView& system)
{
    for (const int pid : system.OtherProcesses()) {
        const std::vector<std::string> files = system.OpenFilesOf(pid);
        if (std::find(files.begin(), files.end(), device) != files.end()) {
            return Holder{pid, system.ProcessName(pid)};
        }
    }
    // A program that only locks the device, or whose files this user may not see.
    for (const char* folder : {"/var/lock/", "/run/lock/"}) {
        if (const auto text = system.ReadText(folder + std::string("LCK..") + BaseName(device))) {
            if (const auto pid = LockPid(*text)) {
                return Holder{*pid, system.ProcessName(*pid)};
            }
        }
    }
    return std::nullopt;
}

std::string InUse(const std::string& device, const std::optional<Holder>& holder)
{
    std::string user = "another program";
    if (holder && !holder->name.empty()) {
        user = holder->name + " (process " + std::to_string(holder->pid) + ")";
    } else if (holder) {
        user = "another program (process " + std::to_string(holder->pid) + ")";
    }
    return device + " is in use by " + user + ": close that program, or choose another port.";
}

std::string NoAccess(const std::string& device, const PortSystemView& system)
{
    const std::optional<std::string> group = system.GroupOf(device);
    if (!group || *group == "root") {
        return "This user may not open " + device + ": ask whoever looks after this computer to give the device to " +
               "the group dialout.";
    }
    const std::string owner = device + " belongs to the group " + *group;
    if (system.ProcessHasGroup(*group)) {
        return owner + ", which this login has, but the device does not let the group read and write it.";
    }
    if (system.UserListedIn(*group)) {
        return owner + ": you are already in the group but not in this login. Log out and in again (a new login "
                       "is needed).";
    }
    return owner + " and you are not in it. Add yourself to the group with: sudo usermod -aG " + *group +
           " $USER, then log out and in again (a new login is needed).";
}

} // namespace

std::string DiagnoseOpenFailure(const std::string& device, OpenFailure failure, const PortSystemView& system)
{
    switch (failure) {
    case OpenFailure::NotFound:
        return NotFound(system);
    case OpenFailure::Denied: {
        const std::string real = system.CanonicalPath(device);
        if (!system.CanReadWrite(real)) {
            return NoAccess(real, system);
        }
        return InUse(real, FindHolder(real, system));
    }
    case OpenFailure::Busy: {
        const std::string real = system.CanonicalPath(device);
        return InUse(real, FindHolder(real, system));
    }
    case OpenFailure::Other:
        break;
    }
    return {};
}

} // namespace tessaprint
