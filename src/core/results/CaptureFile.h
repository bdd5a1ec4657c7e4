#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// A saved capture: the received lines as text, each ended by CR LF.
std::string FormatCaptureFile(const std::vector<std::string>& lines);

// Reads the lines of a saved capture. A line may end in LF or CR LF; a file
// that is not UTF-8 is read as Windows-1252 (a capture saved elsewhere).
std::vector<std::string> ParseCaptureFile(std::string_view content);
// The same, one line at a time, without holding them all.
void ForEachCaptureLine(std::string_view content, const std::function<void(std::string_view line)>& take);

} // namespace tessaprint
