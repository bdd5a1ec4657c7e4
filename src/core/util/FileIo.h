#pragma once

#include "util/AtomicFile.h"
#include "util/Result.h"

#include <ctime>
#include <optional>
#include <string>

namespace tessaprint {

// Whole-file reads and writes in binary; a failure says what and why
// ("cannot read PATH: No such file or directory"). A folder is
// not a file to read. A write is ReplaceFile's: a regular file is replaced in
// one step (the earlier file or the new one, never a half-written one), a
// link's file gets the content, a FIFO or a device is written to directly.
Result<std::string> ReadWholeFile(const std::string& path);
Result<void> WriteWholeFile(const std::string& path, const std::string& content, FifoWait fifoWait = FifoWait::No);

// When the file was last written, in local time; nothing when that cannot be told.
std::optional<std::tm> FileModifiedLocalTime(const std::string& path);

} // namespace tessaprint
