#include "util/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessaprint {

namespace fs = std::filesystem;

namespace {

// Enough for any number of reports written within one second.
constexpr int kMaxCopies = 10000;

// As many links in a row as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

Error SystemError(int errnoValue)
{
    return {CodeForErrno(errnoValue), std::generic_category().message(errnoValue)};
}

// A fresh file: fails rather than reuse one that is there already.
std::FILE* OpenNew(const fs::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wbx");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

// A temporary file beside the target: created fresh, written, flushed to the
// disk and closed.
Result<fs::path> WriteTemporary(const fs::path& target, std::string_view bytes)
{
    if (target.empty() || !target.has_filename()) {
        return SystemError(EINVAL);
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::random_device seed;
    std::mt19937 random(seed());
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".~tessaprint-%08x.tmp", static_cast<unsigned>(random()));
        const fs::path temporary = folder / name;
        errno = 0;
        std::FILE* file = OpenNew(temporary);
        if (file == nullptr) {
            error = errno != 0 ? errno : EIO;
            continue;
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        error = ok ? 0 : errno;
        if (ok && std::fflush(file) != 0) {
            ok = false;
            error = errno;
        }
#ifndef _WIN32
        // On the disk before it takes the place of a file that was.
        if (ok && ::fsync(::fileno(file)) != 0 && errno != EINVAL) {
            ok = false;
            error = errno;
        }
#endif
        if (std::fclose(file) != 0 && ok) {
            ok = false;
            error = errno;
        }
        if (!ok) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return SystemError(error != 0 ? error : EIO);
        }
        return temporary;
    }
    return SystemError(error);
}

// Moves from to to unless to exists: 0, EEXIST when it is taken, or another errno.
int MoveNoReplace(const fs::path& from, const fs::path& to)
{
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name that is taken.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST : EIO;
#else
#ifdef __linux__
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return errno;
    }
#endif
    // A second name for the file fails when the name is taken; then the
    // temporary name goes.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST) {
        return EEXIST;
    }
    // A file system without links: check, then move (the best it allows).
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) {
        return EEXIST;
    }
    fs::rename(from, to, ec);
    return ec ? ec.value() : 0;
#endif
}

// The file a write to target reaches: target itself, or the file its
// symbolic links name in turn (a relative link is read from its own folder).
// A link may name a file that is not there yet.
Result<fs::path> FinalTarget(const fs::path& target)
{
    fs::path current = target;
    for (int links = 0;; ++links) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(current, ec);
        if (status.type() == fs::file_type::none) {
            return SystemError(ec ? ec.value() : EIO);
        }
        if (status.type() != fs::file_type::symlink) {
            return current;
        }
        if (links == kMaxLinks) {
            return SystemError(ELOOP);
        }
        const fs::path next = fs::read_symlink(current, ec);
        if (ec) {
            return SystemError(ec.value());
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
}

Error NotAFile(fs::file_type type)
{
    switch (type) {
    case fs::file_type::directory:
        return {kErrorAccessDenied, "it is a folder, not a file"};
    case fs::file_type::socket:
        return {kErrorAccessDenied, "it is a socket, not a file"};
    case fs::file_type::block:
        return {kErrorAccessDenied, "it is a block device, not a file"};
    default:
        return {kErrorAccessDenied, "it is not a regular file"};
    }
}

// The new content goes to a temporary file beside file, which then takes
// file's place in one step.
Result<fs::path> ReplaceRegular(const fs::path& file, std::string_view bytes, const fs::file_status& status)
{
    Result<fs::path> temporary = WriteTemporary(file, bytes);
    if (!temporary) {
        return temporary;
    }
    std::error_code ec;
    if (status.type() == fs::file_type::regular) {
        // A file only its owner may read stays so.
        fs::permissions(temporary.value(), status.permissions() & fs::perms::mask, ec);
    }
    fs::rename(temporary.value(), file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary.value(), ignored);
        return SystemError(ec.value());
    }
    return file;
}

#ifndef _WIN32
// While it lives, a write to a pipe whose reader went away fails with EPIPE
// instead of ending the program with SIGPIPE; such a signal raised meanwhile
// is taken back.
class PipeSignalBlock {
public:
    PipeSignalBlock()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~PipeSignalBlock()
    {
        if (m_raised && !m_wasPending) {
            const timespec now{};
            while (sigtimedwait(&m_pipe, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    PipeSignalBlock(const PipeSignalBlock&) = delete;
    PipeSignalBlock& operator=(const PipeSignalBlock&) = delete;
    void Raised() { m_raised = true; }

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
    bool m_raised = false;
};
#endif

// A FIFO or a character device takes the bytes as they are written: there is
// nothing to put in its place, and its reader waits for them there.
Result<fs::path> WriteInPlace(const fs::path& file, std::string_view bytes, bool fifo, FifoWait fifoWait)
{
#ifdef _WIN32
    (void)fifo;
    (void)fifoWait;
    std::FILE* out = _wfopen(file.c_str(), L"wb");
    if (out == nullptr) {
        return SystemError(errno != 0 ? errno : EIO);
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int error = errno;
    if (std::fclose(out) != 0 || !written) {
        return SystemError(error != 0 ? error : EIO);
    }
    return file;
#else
    // Opening a device never waits (a serial line for its carrier); a FIFO
    // waits for its reader only when asked to.
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
    if (!fifo || fifoWait == FifoWait::No) {
        flags |= O_NONBLOCK;
    }
    int fd = -1;
    do {
        fd = ::open(file.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENXIO && fifo) {
            return Error{kErrorFail, "it is a FIFO that no program is reading from"};
        }
        return SystemError(errno);
    }
    // What was opened must still be what was looked at: a regular file put
    // there meanwhile would be written over in place.
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !(S_ISFIFO(opened.st_mode) || S_ISCHR(opened.st_mode))) {
        ::close(fd);
        return Error{kErrorFail, "it was replaced by another file while it was opened"};
    }
    const int fileFlags = ::fcntl(fd, F_GETFL);
    if (fileFlags >= 0) {
        ::fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK);
    }
    int error = 0;
    {
        PipeSignalBlock block;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = errno;
                if (error == EPIPE) {
                    block.Raised();
                }
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (::close(fd) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    if (error == EPIPE) {
        return Error{kErrorFail, "the program reading from it stopped before it had everything"};
    }
    if (error != 0) {
        return SystemError(error);
    }
    return file;
#endif
}

} // namespace

fs::path CopyName(const fs::path& target, int copy)
{
    if (copy <= 1) {
        return target;
    }
    fs::path name = target.stem();
    name += "-" + std::to_string(copy);
    name += target.extension();
    return target.parent_path() / name;
}

Result<fs::path> ReplaceFile(const fs::path& target, std::string_view bytes, FifoWait fifoWait)
{
    if (target.empty() || !target.has_filename()) {
        return SystemError(EINVAL);
    }
    const Result<fs::path> file = FinalTarget(target);
    if (!file) {
        return file;
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file.value(), ec);
    switch (status.type()) {
    case fs::file_type::not_found:
    case fs::file_type::regular:
        return ReplaceRegular(file.value(), bytes, status);
    case fs::file_type::fifo:
    case fs::file_type::character:
        return WriteInPlace(file.value(), bytes, status.type() == fs::file_type::fifo, fifoWait);
    case fs::file_type::none:
        return SystemError(ec ? ec.value() : EIO);
    default:
        return NotAFile(status.type());
    }
}

Result<fs::path> CheckReplaceTarget(const fs::path& target)
{
    if (target.empty() || !target.has_filename()) {
        return SystemError(EINVAL);
    }
    const Result<fs::path> file = FinalTarget(target);
    if (!file) {
        return file;
    }
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file.value(), ec);
    switch (status.type()) {
    case fs::file_type::regular:
    case fs::file_type::fifo:
    case fs::file_type::character:
        return file;
    case fs::file_type::not_found: {
        const fs::path folder = file.value().has_parent_path() ? file.value().parent_path() : fs::path(".");
        if (!fs::is_directory(folder, ec)) {
            return SystemError(ec && ec.value() != ENOENT ? ec.value() : ENOENT);
        }
        return file;
    }
    case fs::file_type::none:
        return SystemError(ec ? ec.value() : EIO);
    default:
        return NotAFile(status.type());
    }
}

Result<fs::path> CreateFileNoReplace(const fs::path& target, std::string_view bytes)
{
    Result<fs::path> temporary = WriteTemporary(target, bytes);
    if (!temporary) {
        return temporary;
    }
    int error = EEXIST;
    for (int copy = 1; copy <= kMaxCopies && error == EEXIST; ++copy) {
        const fs::path candidate = CopyName(target, copy);
        error = MoveNoReplace(temporary.value(), candidate);
        if (error == 0) {
            return candidate;
        }
    }
    std::error_code ignored;
    fs::remove(temporary.value(), ignored);
    return SystemError(error);
}

} // namespace tessaprint
