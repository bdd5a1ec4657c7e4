// What the program says about a serial device that would not open, on fake
// systems: each tells a different story of groups, adapters and processes.
#include "link/PortDiagnosis.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tessaprint {
namespace {

class FakeSystem : public PortSystemView {
public:
    std::map<std::string, std::string> links;
    std::vector<std::string> devNames;
    std::map<std::string, std::string> groups;
    std::set<std::string> readWrite;
    std::set<std::string> userGroups;    // the group database
    std::set<std::string> processGroups; // this login
    std::map<int, std::pair<std::string, std::vector<std::string>>> processes;
    std::map<std::string, std::string> files;

    std::string CanonicalPath(const std::string& path) const override
    {
        const auto link = links.find(path);
        return link == links.end() ? path : link->second;
    }
    std::vector<std::string> FolderNames(const std::string& folder) const override
    {
        return folder == "/dev" ? devNames : std::vector<std::string>{};
    }
    std::optional<std::string> GroupOf(const std::string& path) const override
    {
        const auto group = groups.find(path);
        return group == groups.end() ? std::nullopt : std::optional<std::string>(group->second);
    }
    bool CanReadWrite(const std::string& path) const override { return readWrite.count(path) != 0; }
    bool UserListedIn(const std::string& group) const override { return userGroups.count(group) != 0; }
    bool ProcessHasGroup(const std::string& group) const override { return processGroups.count(group) != 0; }
    std::vector<int> OtherProcesses() const override
    {
        std::vector<int> pids;
        for (const auto& [pid, process] : processes) {
            pids.push_back(pid);
        }
        return pids;
    }
    std::vector<std::string> OpenFilesOf(int pid) const override
    {
        const auto process = processes.find(pid);
        return process == processes.end() ? std::vector<std::string>{} : process->second.second;
    }
    std::string ProcessName(int pid) const override
    {
        const auto process = processes.find(pid);
        return process == processes.end() ? std::string() : process->second.first;
    }
    std::optional<std::string> ReadText(const std::string& path) const override
    {
        const auto file = files.find(path);
        return file == files.end() ? std::nullopt : std::optional<std::string>(file->second);
    }
};

const std::string kDevice = "/dev/ttyUSB0";

TEST(PortDiagnosisTest, AMissingDeviceSaysWhetherAnyAdapterIsThere)
{
    FakeSystem system;
    system.devNames = {"null", "ttyS0", "tty1"};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::NotFound, system),
              "No USB serial adapter is present: check the cable and that the adapter's driver is loaded (lsusb, "
              "dmesg).");
    system.devNames = {"ttyUSB1", "null", "ttyACM0"};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::NotFound, system),
              "The serial adapters present are /dev/ttyACM0, /dev/ttyUSB1: set the port's device in Port > Settings.");
}

TEST(PortDiagnosisTest, ADeniedDeviceOfAGroupTellsHowToJoinItAndThatANewLoginIsNeeded)
{
    FakeSystem system;
    system.groups[kDevice] = "dialout";
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Denied, system),
              "/dev/ttyUSB0 belongs to the group dialout and you are not in it. Add yourself to the group with: sudo "
              "usermod -aG dialout $USER, then log out and in again (a new login is needed).");

    system.groups[kDevice] = "uucp"; // another distribution's group
    system.userGroups = {"uucp"};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Denied, system),
              "/dev/ttyUSB0 belongs to the group uucp: you are already in the group but not in this login. Log out "
              "and in again (a new login is needed).");

    system.processGroups = {"uucp"};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Denied, system),
              "/dev/ttyUSB0 belongs to the group uucp, which this login has, but the device does not let the group "
              "read and write it.");

    system.groups[kDevice] = "root";
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Denied, system),
              "This user may not open /dev/ttyUSB0: ask whoever looks after this computer to give the device to the "
              "group dialout.");
}

TEST(PortDiagnosisTest, ALinkIsFollowedToTheDeviceItNames)
{
    FakeSystem system;
    system.links["/dev/serial/by-id/usb-FTDI-port0"] = kDevice;
    system.groups[kDevice] = "dialout";
    EXPECT_EQ(DiagnoseOpenFailure("/dev/serial/by-id/usb-FTDI-port0", OpenFailure::Denied, system).substr(0, 40),
              "/dev/ttyUSB0 belongs to the group dialou");
}

TEST(PortDiagnosisTest, ADeviceThisUserMayOpenButCannotIsHeldAndItsHolderIsNamed)
{
    FakeSystem system;
    system.readWrite = {kDevice};
    system.processes[311] = {"bash", {"/dev/pts/1", "/dev/null"}};
    system.processes[4711] = {"minicom", {"/dev/pts/2", kDevice}};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Denied, system),
              "/dev/ttyUSB0 is in use by minicom (process 4711): close that program, or choose another port.");
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Busy, system),
              "/dev/ttyUSB0 is in use by minicom (process 4711): close that program, or choose another port.");
}

TEST(PortDiagnosisTest, AHolderNotSeenAmongTheProcessesIsFoundByItsLockFileOrLeftUnnamed)
{
    FakeSystem system;
    system.readWrite = {kDevice};
    system.processes[311] = {"bash", {"/dev/pts/1"}};
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Busy, system),
              "/dev/ttyUSB0 is in use by another program: close that program, or choose another port.");

    system.files["/var/lock/LCK..ttyUSB0"] = "   311\n";
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Busy, system),
              "/dev/ttyUSB0 is in use by bash (process 311): close that program, or choose another port.");
    // Another user's process, whose name cannot be read.
    system.files.clear();
    system.files["/run/lock/LCK..ttyUSB0"] = "      9000\n";
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Busy, system),
              "/dev/ttyUSB0 is in use by another program (process 9000): close that program, or choose another "
              "port.");
    system.files["/run/lock/LCK..ttyUSB0"] = "garbage";
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Busy, system),
              "/dev/ttyUSB0 is in use by another program: close that program, or choose another port.");
}

TEST(PortDiagnosisTest, AnyOtherFailureAddsNothing)
{
    FakeSystem system;
    EXPECT_EQ(DiagnoseOpenFailure(kDevice, OpenFailure::Other, system), "");
}

} // namespace
} // namespace tessaprint
