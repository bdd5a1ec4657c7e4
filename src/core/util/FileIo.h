#pragma once

#include <string>

namespace tessaprint {

// Whole-file reads and writes in binary; false with a readable reason
// ("cannot read PATH: No such file or directory") when they fail.
bool ReadWholeFile(const std::string& path, std::string& content, std::string& error);
bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error);
// Writes a temporary file beside path and renames it into place, so the file
// is either the earlier version or the new one, never a half-written one.
bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error);

} // namespace tessaprint
