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
#include <unistd.h>
#endif

namespace tessaprint {

namespace fs = std::filesystem;

namespace {

// Enough for any number of reports written within one second.
constexpr int kMaxCopies = 10000;

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

Result<fs::path> ReplaceFile(const fs::path& target, std::string_view bytes)
{
    Result<fs::path> temporary = WriteTemporary(target, bytes);
    if (!temporary) {
        return temporary;
    }
    std::error_code ec;
    fs::rename(temporary.value(), target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary.value(), ignored);
        return SystemError(ec.value());
    }
    return target;
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
