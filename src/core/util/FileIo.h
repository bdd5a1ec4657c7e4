#pragma once

#include "util/AtomicFile.h"
#include "util/Result.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaprint {

// Whole-file reads and writes in binary; a failure says what and why
// ("cannot read PATH: No such file or directory"). A folder is
// not a file to read. A write is ReplaceFile's: a regular file is replaced in
// one step (the earlier file or the new one, never a half-written one), a
// link's file gets the content, a FIFO or a device is written to directly.
Result<std::string> ReadWholeFile(const std::string& path);
Result<void> WriteWholeFile(const std::string& path, const std::string& content, FifoWait fifoWait = FifoWait::No);

// Reads a file from start to end and hands take its content in pieces of at
// most kFilePieceBytes, so that a large file never has to fit in memory. Only
// a regular file is read: a device, a pipe or a socket may never end (or
// never begin: a pipe without a writer blocks the opening), and is refused
// before it is opened.
inline constexpr std::size_t kFilePieceBytes = std::size_t{1} << 18;
Result<void> ReadFileInPieces(const std::string& path, const std::function<void(std::string_view piece)>& take);

// When the file was last written, in local time; nothing when that cannot be told.
std::optional<std::tm> FileModifiedLocalTime(const std::string& path);

} // namespace tessaprint
