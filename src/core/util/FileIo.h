#pragma once

#include <string>

namespace tessaprint {

// Whole-file reads and writes in binary; false with a readable reason
// ("cannot read PATH: No such file or directory") when they fail. A folder is
// not a file to read. A write goes to a temporary file beside path that then
// replaces path in one step, so path is either the earlier file or the new
// one, never a half-written one.
bool ReadWholeFile(const std::string& path, std::string& content, std::string& error);
bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error);

} // namespace tessaprint
