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

std::vector<std::string> ParseCaptureFile(std::string_view content)
{
    std::string text = IsValidUtf8(content) ? std::string(content) : DecodeWindows1252(content);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) {
            end = text.size();
        }
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace tessaprint
