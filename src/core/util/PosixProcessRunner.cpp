#include "util/PosixProcessRunner.h"

#ifndef _WIN32

#include "util/PosixExec.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

namespace tessaprint {

namespace {

// How often a running job is looked at: its exit, the stop request, the limit, the watch.
constexpr int kPollMs = 50;

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void Close()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd;
};

Error SystemError(int errnoValue)
{
    return {CodeForErrno(errnoValue), std::generic_category().message(errnoValue)};
}

// Reads what is waiting without blocking; keeps the last kOutputKept bytes,
// and all of it in fresh for the watch. False once the pipe has no writer left.
bool ReadAvailable(int fd, std::string& kept, std::string& fresh)
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            kept.append(buffer, static_cast<std::size_t>(got));
            fresh.append(buffer, static_cast<std::size_t>(got));
            if (kept.size() > ProcessRunner::kOutputKept) {
                kept.erase(0, kept.size() - ProcessRunner::kOutputKept);
            }
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

// Whether the child has ended, without reaping it: while it is a zombie its
// process id (and so its group's id) cannot be given to anybody else.
bool HasEnded(pid_t pid)
{
    siginfo_t info{};
    int result;
    do {
        result = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    return result < 0 || info.si_pid == pid;
}

} // namespace

Result<ProcessOutcome> PosixProcessRunner::Run(const std::string& program, const std::vector<std::string>& arguments,
                                               int timeLimitMs, std::stop_token stop, const ProcessWatch& watch)
{
    // Everything the child needs is made before the fork: between fork and
    // exec a child of a threaded program may only make system calls.
    ExecArguments argv(program, arguments);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return SystemError(errno);
    }
    Fd outputRead(pipeFds[0]);
    Fd outputWrite(pipeFds[1]);
    // The child reports a failed exec through this pipe; a successful exec closes it unwritten.
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return SystemError(errno);
    }
    Fd reportRead(pipeFds[0]);
    Fd reportWrite(pipeFds[1]);
    Fd nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (nothing.get() < 0) {
        return SystemError(errno);
    }

    const pid_t pid = ::fork();
    if (pid < 0) {
        return SystemError(errno);
    }
    if (pid == 0) {
        ::setsid(); // a group of its own, which is ended as a whole
        ::dup2(nothing.get(), STDIN_FILENO);
        ::dup2(outputWrite.get(), STDOUT_FILENO);
        ::dup2(outputWrite.get(), STDERR_FILENO);
        ::execvp(argv.argv()[0], argv.argv());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(reportWrite.get(), &error, sizeof error);
        ::_exit(127);
    }
    outputWrite.Close();
    reportWrite.Close();
    nothing.Close();
    int error = 0;
    ssize_t got;
    do {
        got = ::read(reportRead.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got > 0) {
        ::waitpid(pid, nullptr, 0);
        return SystemError(error);
    }
    ::fcntl(outputRead.get(), F_SETFL, O_NONBLOCK);

    ProcessOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs);
    bool reading = true;
    std::string fresh;
    for (;;) {
        if (HasEnded(pid)) {
            break;
        }
        if (stop.stop_requested()) {
            outcome.end = ProcessOutcome::End::Stopped;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            outcome.end = ProcessOutcome::End::TimedOut;
            break;
        }
        pollfd wait{reading ? outputRead.get() : -1, POLLIN, 0};
        ::poll(&wait, 1, kPollMs);
        if (reading) {
            reading = ReadAvailable(outputRead.get(), outcome.output, fresh);
        }
        const bool goOn = !watch || watch(fresh);
        fresh.clear();
        if (!goOn) {
            outcome.end = ProcessOutcome::End::Stopped;
            break;
        }
    }
    // The job ended, or is ended now, with everything it started that is
    // still in its group.
    ::kill(-pid, SIGKILL);
    int status = 0;
    pid_t reaped;
    do {
        reaped = ::waitpid(pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reading) {
        ReadAvailable(outputRead.get(), outcome.output, fresh);
    }
    if (watch) {
        watch(fresh);
    }
    if (outcome.end == ProcessOutcome::End::Exited) {
        if (reaped == pid && WIFEXITED(status)) {
            outcome.exitCode = WEXITSTATUS(status);
        } else {
            outcome.end = ProcessOutcome::End::Crashed;
            outcome.exitCode = reaped == pid && WIFSIGNALED(status) ? WTERMSIG(status) : -1;
        }
    }
    return outcome;
}

} // namespace tessaprint

#endif
