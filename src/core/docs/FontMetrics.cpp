#include "docs/FontMetrics.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tessaprint::docs {

namespace {

// Advance widths of ' ' to '~', in units of the em square below.
constexpr double kUnitsPerEm = 2048;
constexpr std::array<std::uint16_t, 95> kRegular = {
    463,  667,  821,  1020, 1038, 1464, 1397, 452,  621,  621,  1020, 1020, 511,  627,  517,  791,  1038, 1038, 1038,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 548,  548,  1020, 1020, 1020, 949,  1831, 1185, 1114, 1092, 1260, 1000,
    941,  1292, 1276, 516,  653,  1064, 861,  1751, 1322, 1356, 1058, 1378, 1112, 941,  998,  1314, 1162, 1822, 1063,
    998,  959,  628,  791,  628,  1020, 1020, 596,  981,  1076, 866,  1076, 1019, 625,  964,  1076, 470,  490,  931,
    470,  1636, 1076, 1080, 1076, 1076, 714,  801,  686,  1076, 925,  1464, 887,  927,  809,  644,  943,  644,  1020,
};
constexpr std::array<std::uint16_t, 95> kBold = {
    463,  667,  898,  1020, 1038, 1493, 1443, 478,  638,  638,  1020, 1020, 528,  627,  547,  880,  1038, 1038, 1038,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 565,  565,  1020, 1020, 1020, 949,  1840, 1241, 1148, 1084, 1291, 999,
    940,  1305, 1292, 546,  678,  1120, 866,  1790, 1349, 1385, 1090, 1405, 1153, 968,  1014, 1337, 1211, 1856, 1128,
    1064, 979,  665,  880,  665,  1020, 1020, 615,  1011, 1099, 857,  1099, 1031, 648,  971,  1099, 503,  523,  983,
    503,  1666, 1099, 1101, 1099, 1099, 728,  817,  710,  1099, 969,  1526, 941,  970,  814,  704,  973,  704,  1020,
};
// Anything else: as wide as the widest of the accented and Greek letters and
// signs a reading carries (Ω, …, µ).
constexpr std::uint16_t kOtherWidth = 1460;

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

double FontMetrics::Width(std::string_view utf8, double size, bool bold)
{
    const auto& widths = bold ? kBold : kRegular;
    double units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            units += widths[byte - 0x20];
        } else if (byte >= 0x80 && !IsContinuation(c)) {
            units += kOtherWidth; // the first byte of a character; the others add nothing
        }
    }
    return units * size / kUnitsPerEm;
}

double FontMetrics::WidestWord(std::string_view utf8, double size, bool bold)
{
    double widest = 0;
    // A reader does not break a line after the blanks a text starts with:
    // they stay on the line of the first word.
    std::size_t start = 0;
    while (start < utf8.size() && utf8[start] == ' ') {
        ++start;
    }
    const double leading = Width(utf8.substr(0, start), size, bold);
    bool first = true;
    while (start < utf8.size()) {
        std::size_t end = start;
        while (end < utf8.size() && !IsBlank(utf8[end])) {
            ++end;
        }
        widest = std::max(widest, Width(utf8.substr(start, end - start), size, bold) + (first ? leading : 0));
        first = false;
        start = end + 1;
    }
    return widest;
}

} // namespace tessaprint::docs
