#include "results/CaptureFile.h"

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
    std::size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        take(line);
        start = end + 1;
    }
}

std::vector<std::string> ParseCaptureFile(std::string_view content)
{
    std::vector<std::string> lines;
    ForEachCaptureLine(content, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

} // namespace tessaprint
