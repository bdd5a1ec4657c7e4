#include "util/FileIo.h"

#include "util/AtomicFile.h"
#include "util/Utf8Path.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

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
    // Read in large pieces into room made for the size the file says it has;
    // a file that grows meanwhile is still read to its end.
    std::string content;
    const auto size = std::filesystem::file_size(PathFromUtf8(path), ec);
    if (!ec) {
        content.reserve(static_cast<std::size_t>(size));
    }
    std::vector<char> piece(std::size_t{1} << 20);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        content.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return ErrnoError(errno, "cannot read " + path);
    }
    return content;
}

Result<void> ReadFileInPieces(const std::string& path, const std::function<void(std::string_view piece)>& take)
{
    std::error_code ec;
    using Type = std::filesystem::file_type;
    const Type type = std::filesystem::status(PathFromUtf8(path), ec).type();
    if (type == Type::directory) {
        return Error{kErrorAccessDenied, "cannot read " + path + ": it is a folder, not a file"};
    }
    // A file that is not there, or cannot be looked at, is left to the opening to name the reason.
    if (type != Type::regular && type != Type::not_found && type != Type::none) {
        return Error{kErrorAccessDenied, "cannot read " + path + ": not a regular file (a device, a pipe or a socket)"};
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        return ErrnoError(errno, "cannot read " + path);
    }
    std::vector<char> piece(kFilePieceBytes);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        take(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())));
    }
    if (in.bad()) {
        return ErrnoError(errno, "cannot read " + path);
    }
    return {};
}

Result<void> WriteWholeFile(const std::string& path, const std::string& content, FifoWait fifoWait)
{
    const Result<std::filesystem::path> written = ReplaceFile(PathFromUtf8(path), content, fifoWait);
    if (!written) {
        return Error{written.error().code, "cannot write " + path + ": " + written.error().message};
    }
    return {};
}

std::optional<std::tm> FileModifiedLocalTime(const std::string& path)
{
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(PathFromUtf8(path), ec);
    if (ec) {
        return std::nullopt;
    }
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(written)));
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &seconds) != 0) {
        return std::nullopt;
    }
#else
    if (localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
#endif
    return local;
}

} // namespace tessaprint
