#include "CliCommands.h"

#include "util/AtomicFile.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tessaprint {

std::string CommandLinePath(const std::string& path)
{
    if (path.empty()) {
        return path;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), ec);
    return ec ? path : PathToUtf8(absolute);
}

Result<void> CheckOutputFile(const std::string& path)
{
    if (path.empty() || path == kStdoutPath) {
        return {};
    }
    if (const Result<std::filesystem::path> checked = CheckReplaceTarget(PathFromUtf8(path)); !checked) {
        return Error{checked.error().code, "cannot write " + path + ": " + checked.error().message};
    }
    return {};
}

Result<void> WriteOutputFile(const std::string& path, const std::string& content)
{
    if (path == kStdoutPath) {
#ifdef _WIN32
        // The bytes as they are: no CR before each LF.
        std::cout.flush();
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        std::cout.write(content.data(), static_cast<std::streamsize>(content.size()));
        std::cout.flush();
        if (!std::cout) {
            return Error{kErrorFail, "cannot write to stdout"};
        }
        return {};
    }
    // A FIFO named here has its reader started by the same shell, maybe after this program.
    return WriteWholeFile(path, content, FifoWait::ForReader);
}

} // namespace tessaprint
