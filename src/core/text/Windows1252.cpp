#include "text/Windows1252.h"

#include "text/ByteScan.h"

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

namespace {

std::size_t AsciiPrefix(std::string_view bytes)
{
    return bytescan::FindFirst(
        bytes.data(), 0, bytes.size(), [](std::uint64_t word) { return (word & bytescan::kHighs) != 0; },
        [](unsigned char c) { return c >= 0x80; });
}

} // namespace

bool IsAscii(std::string_view bytes)
{
    return AsciiPrefix(bytes) == bytes.size();
}

std::string DecodeWindows1252(std::string_view bytes)
{
    // Most lines are plain ASCII and come through as they stand.
    const std::size_t ascii = AsciiPrefix(bytes);
    std::string out(bytes.substr(0, ascii));
    if (ascii == bytes.size()) {
        return out;
    }
    out.reserve(bytes.size() + 16);
    for (char ch : bytes.substr(ascii)) {
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

namespace {

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

// Length of the well-formed UTF-8 sequence at text[i], or 0 with `bad` set to
// how many bytes make up the broken start (the maximal subpart, at least one),
// so that one damaged character becomes one U+FFFD.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i, std::size_t& bad)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80; // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0; // overlong below
        } else if (lead == 0xED) {
            high = 0x9F; // UTF-16 surrogates above
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F; // beyond U+10FFFF above
        }
    } else {
        bad = 1;
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const bool inRange = i + k < text.size() && IsContinuation(static_cast<unsigned char>(text[i + k])) &&
                             (k > 1 || (static_cast<unsigned char>(text[i + k]) >= low &&
                                        static_cast<unsigned char>(text[i + k]) <= high));
        if (!inRange) {
            bad = k;
            return 0;
        }
    }
    return length;
}

bool IsValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0, bad = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i, bad);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace tessaprint
