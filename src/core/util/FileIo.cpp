#include "util/FileIo.h"

#include "util/AtomicFile.h"
#include "util/Utf8Path.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tessaprint {

Result<std::string> ReadWholeFile(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        return Error{kErrorAccessDenied, "cannot read " + path + ": it is a folder, not a file"};
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        return ErrnoError(errno, "cannot read " + path);
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        return ErrnoError(errno, "cannot read " + path);
    }
    return std::move(buffer).str();
}

Result<void> WriteWholeFile(const std::string& path, const std::string& content)
{
    const Result<std::filesystem::path> written = ReplaceFile(PathFromUtf8(path), content);
    if (!written) {
        return Error{written.error().code, "cannot write " + path + ": " + written.error().message};
    }
    return {};
}

} // namespace tessaprint
