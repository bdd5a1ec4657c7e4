// tessaprint-sim: a simulated test instrument on a pseudo-terminal.
#include "PseudoTerminal.h"

#include "sim/SimulatedInstrument.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "usage: tessaprint-sim --kind quellmax|kappa|pactrx [--data FILE] [--link PATH] [--baud N]\n";

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

} // namespace

int main(int argc, char** argv)
{
    using namespace tessaprint;
    std::optional<InstrumentKind> kind;
    std::string dataFile;
    std::string link;
    int baud = 115200;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            std::cerr << "tessaprint-sim: missing value after " << name << "\n" << kUsage;
            return 2;
        }
        const std::string value = argv[++i];
        if (name == "--kind") {
            kind = InstrumentKindFromName(value);
            if (!kind) {
                std::cerr << "tessaprint-sim: unknown kind '" << value << "'\n" << kUsage;
                return 2;
            }
        } else if (name == "--data") {
            dataFile = value;
        } else if (name == "--link") {
            link = value;
        } else if (name == "--baud") {
            try {
                baud = std::stoi(value);
            } catch (const std::exception&) {
                baud = 0;
            }
            if (baud < 300 || baud > 4'000'000) {
                std::cerr << "tessaprint-sim: --baud takes 300 to 4000000\n";
                return 2;
            }
        } else {
            std::cerr << "tessaprint-sim: unknown option " << name << "\n" << kUsage;
            return 2;
        }
    }
    if (!kind) {
        std::cerr << kUsage;
        return 2;
    }

    SimulatedInstrument instrument(*kind, baud, static_cast<std::uint32_t>(NowMs()));
    if (!dataFile.empty()) {
        std::ifstream in(dataFile, std::ios::binary);
        if (!in) {
            std::cerr << "tessaprint-sim: cannot read " << dataFile << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        std::ostringstream data;
        data << in.rdbuf();
        instrument.SetPrintout(data.str());
    }

    PseudoTerminal terminal;
    std::string error;
    if (!terminal.Open(error)) {
        std::cerr << "tessaprint-sim: " << error << "\n";
        return 1;
    }
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(terminal.DevicePath().c_str(), link.c_str()) != 0) {
            std::cerr << "tessaprint-sim: cannot make the link " << link << ": " << std::strerror(errno) << "\n";
            return 1;
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
    if (!link.empty()) {
        ::unlink(link.c_str());
    }
    return 0;
}
