#pragma once

#include "util/Result.h"

#include <ctime>
#include <optional>
#include <string>

namespace tessaprint {

// Whole-file reads and writes in binary; a failure says what and why
// ("cannot read PATH: No such file or directory"). A folder is
// not a file to read. A write goes to a temporary file beside path that then
// replaces path in one step, so path is either the earlier file or the new
// one, never a half-written one.
Result<std::string> ReadWholeFile(const std::string& path);
Result<void> WriteWholeFile(const std::string& path, const std::string& content);

// When the file was last written, in local time; nothing when that cannot be told.
std::optional<std::tm> FileModifiedLocalTime(const std::string& path);

} // namespace tessaprint
