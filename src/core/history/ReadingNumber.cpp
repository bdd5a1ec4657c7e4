#include "history/ReadingNumber.h"

#include "text/DecimalText.h"
#include "text/LowerCase.h"
#include "text/Trim.h"

#include <cmath>

namespace tessaprint::history {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The comparison written just before the number at start (blanks between them allowed).
std::string ComparisonBefore(std::string_view text, std::size_t start)
{
    std::size_t end = start;
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    static constexpr std::string_view kPlusMinus = "\xC2\xB1"; // ± in UTF-8
    for (const std::string_view comparison :
         {std::string_view("<="), std::string_view(">="), kPlusMinus, std::string_view("<"), std::string_view(">")}) {
        if (end >= comparison.size() && text.substr(end - comparison.size(), comparison.size()) == comparison) {
            return std::string(comparison);
        }
    }
    return {};
}

} // namespace

std::optional<ReadingNumber> ParseReadingNumber(std::string_view reading)
{
    // The first digit, with a decimal point and a sign right before it.
    std::size_t digit = 0;
    while (digit < reading.size() && !IsDigit(reading[digit])) {
        ++digit;
    }
    if (digit == reading.size()) {
        return std::nullopt;
    }
    std::size_t start = digit;
    bool point = false; // ".5"
    if (start > 0 && reading[start - 1] == '.') {
        --start;
        point = true;
    }
    if (start > 0 && (reading[start - 1] == '-' || reading[start - 1] == '+')) {
        --start;
    }
    std::size_t end = digit;
    while (end < reading.size() && (IsDigit(reading[end]) || (reading[end] == '.' && !point))) {
        point = point || reading[end] == '.';
        ++end;
    }
    const auto value = ReadDecimal(reading.substr(start, end - start));
    if (!value) {
        return std::nullopt; // more digits than a double holds
    }
    ReadingNumber parsed;
    parsed.value = *value;
    parsed.comparison = ComparisonBefore(reading, start);
    // The unit: the word right after the number, after blanks ("48.6 MOhms", "5%").
    std::size_t unit = end;
    while (unit < reading.size() && IsBlank(reading[unit])) {
        ++unit;
    }
    std::size_t unitEnd = unit;
    while (unitEnd < reading.size() && !IsBlank(reading[unitEnd])) {
        ++unitEnd;
    }
    // A second number is no unit ("12 34").
    if (unitEnd > unit && !IsDigit(reading[unit]) &&
        !((reading[unit] == '-' || reading[unit] == '+' || reading[unit] == '.') && unit + 1 < unitEnd &&
          IsDigit(reading[unit + 1]))) {
        parsed.unit = std::string(reading.substr(unit, unitEnd - unit));
    }
    return parsed;
}

bool DiffersSharply(std::string_view before, std::string_view now)
{
    before = TrimBlanks(before);
    now = TrimBlanks(now);
    if (before.empty() || now.empty()) {
        return false;
    }
    const auto a = ParseReadingNumber(before);
    const auto b = ParseReadingNumber(now);
    if (a && b) {
        if (a->unit != b->unit) {
            return true;
        }
        if (a->value == 0) {
            return b->value != 0;
        }
        return std::fabs(b->value - a->value) > 0.5 * std::fabs(a->value);
    }
    if (a || b) {
        return true;
    }
    if (before.size() != now.size()) {
        return true;
    }
    // Case aside for ASCII letters only: the locale's idea of case never
    // touches the bytes of a UTF-8 text.
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (AsciiLower(before[i]) != AsciiLower(now[i])) {
            return true;
        }
    }
    return false;
}

} // namespace tessaprint::history
