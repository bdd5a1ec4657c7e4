#include "util/PosixProcessLauncher.h"

#ifndef _WIN32

#include "util/PosixExec.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tessaprint {

namespace {

class PosixProcess : public ExternalProcess {
public:
    explicit PosixProcess(pid_t pid) : m_pid(pid) {}

    bool IsRunning() override
    {
        if (m_ended) {
            return false;
        }
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == 0) {
            return true;
        }
        m_ended = true; // ended (and reaped), or no longer ours to ask about
        return false;
    }

    void RequestClose() override
    {
        if (!m_ended) {
            ::kill(m_pid, SIGTERM);
        }
    }

    bool WaitForExit(int timeoutMs) override
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (IsRunning()) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

private:
    pid_t m_pid;
    bool m_ended = false;
};

} // namespace

std::unique_ptr<ExternalProcess> PosixProcessLauncher::Launch(const std::string& program,
                                                              const std::vector<std::string>& arguments)
{
    ExecArguments argv(program, arguments);

    // The child reports a failed exec through this pipe; a successful exec
    // closes it unwritten.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        return nullptr;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return nullptr;
    }
    if (pid == 0) {
        ::close(report[0]);
        ::setsid(); // its own session: signals meant for this program do not reach it
        ::execvp(argv.argv()[0], argv.argv());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got > 0) {
        ::waitpid(pid, nullptr, 0);
        return nullptr;
    }
    return std::make_unique<PosixProcess>(pid);
}

bool PosixProcessLauncher::IsInstalled(const std::string& program)
{
    if (program.find('/') != std::string::npos) {
        return IsExecutableFile(program);
    }
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && IsExecutableFile(folder + "/" + program)) {
            return true;
        }
    }
    return false;
}

} // namespace tessaprint

#endif
