#include "text/Windows1252.h"

#include <array>
#include <cstdint>

namespace tessaprint {

namespace {

// Code points of the bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::string DecodeWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (b < 0x80) {
            out.push_back(ch);
        } else if (b < 0xA0) {
            AppendUtf8(out, kHighControls[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        int follow = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            follow = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            follow = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            follow = 3;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n) { // sequence cut off at the end
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            const auto c = static_cast<std::uint8_t>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((follow == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (follow == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
            return false;
        }
        i += follow + 1;
    }
    return true;
}

} // namespace tessaprint
