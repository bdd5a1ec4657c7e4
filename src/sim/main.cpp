// tessaprint-sim: a simulated test instrument on a pseudo-terminal.
#include "ProgramOptions.h"
#include "PseudoTerminal.h"

#include "sim/SimulatedInstrument.h"
#include "util/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: tessaprint-sim --kind quellmax|kappa|pactrx [--data FILE] [--link PATH] [--baud N]; "
    "'tessaprint-sim --help' says more";

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

std::int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            if (g_stop) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Where a symbolic link points; empty when path is not one.
std::string LinkTarget(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    return ec ? std::string() : target.string();
}

// Why --link PATH cannot be made (a file, a folder, a device there: anything
// but a symbolic link is somebody's, and is never removed); empty when it can.
std::string RefusedLinkPath(const std::string& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? std::string() : path + ": " + std::strerror(errno);
    }
    if (S_ISLNK(status.st_mode)) {
        return std::string();
    }
    const char* what = S_ISREG(status.st_mode)   ? "a file"
                       : S_ISDIR(status.st_mode) ? "a folder"
                                                 : "something other than a symbolic link";
    return path + " is " + what + ", not a symbolic link; it is left as it is";
}

// A link that could not be made: the exit status (2 for a path that is
// refused) and the message.
struct LinkFailure {
    int status = 1;
    std::string message;
};

// Makes path a symbolic link to device. An earlier link there is replaced in
// one step (a link made beside it is renamed over it), so there is never a
// moment without one.
std::optional<LinkFailure> MakeLink(const std::string& device, const std::string& path)
{
    const auto failed = [&path](int error) {
        return LinkFailure{1, "cannot make the link " + path + ": " + std::strerror(error)};
    };
    if (::symlink(device.c_str(), path.c_str()) == 0) {
        return std::nullopt;
    }
    if (errno != EEXIST) {
        return failed(errno);
    }
    if (const std::string refused = RefusedLinkPath(path); !refused.empty()) {
        return LinkFailure{2, "--link: " + refused};
    }
    const std::string beside = path + ".tessaprint-sim-" + std::to_string(::getpid());
    ::unlink(beside.c_str());
    if (::symlink(device.c_str(), beside.c_str()) != 0) {
        return failed(errno);
    }
    // Checked again just before: what is there must still be a link.
    if (const std::string refused = RefusedLinkPath(path); !refused.empty()) {
        ::unlink(beside.c_str());
        return LinkFailure{2, "--link: " + refused};
    }
    if (::rename(beside.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(beside.c_str());
        return failed(error);
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace tessaprint;
    CLI::App app("A simulated test instrument on a pseudo-terminal: prints the terminal's path, answers \"print\" "
                 "with its printout, \"PRINTCLR\" by erasing it and the version request with a version frame.",
                 "tessaprint-sim");
    InstrumentKind kind = InstrumentKind::Quellmax;
    std::string dataFile;
    std::string link;
    int baud = 115200;
    app.add_option("--kind", kind, "the instrument kind: quellmax, kappa or pactrx")
        ->required()
        ->transform(cmdline::KindName())
        ->type_name("KIND");
    app.add_option("--data", dataFile, "print the raw bytes of this file instead of the built-in printout")
        ->type_name("FILE");
    app.add_option("--link", link, "make PATH a symbolic link to the terminal (an earlier link there is replaced)")
        ->type_name("PATH");
    app.add_option("--baud", baud, "the line speed the printout is paced at (default 115200)")
        ->transform(cmdline::WholeNumber(300, 4'000'000))
        ->type_name("N");
    if (const auto answered = cmdline::Parse(app, argc, argv, kUsage)) {
        return *answered;
    }

    SimulatedInstrument instrument(kind, baud, static_cast<std::uint32_t>(NowMs()));
    if (!dataFile.empty()) {
        const Result<std::string> data = ReadWholeFile(dataFile);
        if (!data) {
            std::cerr << "tessaprint-sim: " << data.error().message << "\n";
            return 1;
        }
        instrument.SetPrintout(data.value());
    }
    // Refused before the terminal is opened: a wrong path changes nothing.
    if (!link.empty()) {
        if (const std::string refused = RefusedLinkPath(link); !refused.empty()) {
            std::cerr << "tessaprint-sim: --link: " << refused << "\n";
            return 2;
        }
    }

    PseudoTerminal terminal;
    std::string error;
    if (!terminal.Open(error)) {
        std::cerr << "tessaprint-sim: " << error << "\n";
        return 1;
    }
    if (!link.empty()) {
        if (const std::optional<LinkFailure> failed = MakeLink(terminal.DevicePath(), link)) {
            std::cerr << "tessaprint-sim: " << failed->message << "\n";
            return failed->status;
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    std::cout << terminal.DevicePath() << std::endl;

    const int fd = terminal.ControllerFd();
    char buffer[4096];
    while (!g_stop) {
        int waitMs = 1000;
        if (const auto due = instrument.NextDueMs()) {
            waitMs = static_cast<int>(std::clamp<std::int64_t>(*due - NowMs(), 0, 1000));
        }
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, waitMs);
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                instrument.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs());
            }
        }
        for (const auto& burst : instrument.TakeDue(NowMs())) {
            WriteAll(fd, burst.bytes);
        }
    }
    // Only our own link goes: another simulator may have taken the path since.
    if (!link.empty() && LinkTarget(link) == terminal.DevicePath()) {
        ::unlink(link.c_str());
    }
    return 0;
}
