#include "results/CaptureFile.h"

#include "results/CaptureLineSplitter.h"
#include "text/Windows1252.h"

namespace tessaprint {

std::string FormatCaptureFile(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void ForEachCaptureLine(std::string_view content, const std::function<void(std::string_view line)>& take)
{
    std::string decoded;
    if (!IsValidUtf8(content)) {
        decoded = DecodeWindows1252(content);
        content = decoded;
    }
    CaptureLineSplitter lines;
    lines.Feed(content, take);
    lines.Finish(take);
}

std::vector<std::string> ParseCaptureFile(std::string_view content)
{
    std::vector<std::string> lines;
    ForEachCaptureLine(content, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

} // namespace tessaprint
