#include "history/ReadingNumber.h"

#include "text/LowerCase.h"
#include "text/Trim.h"
#include "verdict/ReadingValue.h"

#include <cmath>

namespace tessaprint::history {

namespace {

// The chart and the comparisons know the units of every instrument, the
// pacemaker analyzer's "mS" for milliseconds among them.
constexpr InstrumentKind kAnyInstrument = InstrumentKind::Pactrx;

} // namespace

std::optional<ReadingNumber> ParseReadingNumber(std::string_view reading)
{
    // The strict reader's numbers: a malformed one anywhere ("1,5 uA",
    // "1.2.3 V") leaves the reading without a number rather than half of one.
    const verdict::ReadingPieces split = verdict::SplitReadingPieces(reading, kAnyInstrument);
    if (!split.error.empty()) {
        return std::nullopt;
    }
    for (const verdict::ReadingPiece& piece : split.pieces) {
        if (piece.type == verdict::ReadingPiece::Type::Number) {
            ReadingNumber parsed;
            parsed.value = piece.value;
            parsed.unit = std::string(piece.unit);
            parsed.comparison = std::string(piece.comparison);
            return parsed;
        }
    }
    return std::nullopt;
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
        // "500 uA" and "0.5 mA" are one current: units compare after scaling.
        const auto unitA = verdict::UnitFromText(a->unit, kAnyInstrument);
        const auto unitB = verdict::UnitFromText(b->unit, kAnyInstrument);
        double valueA = a->value;
        double valueB = b->value;
        if (unitA && unitB) {
            if (unitA->quantity != unitB->quantity) {
                return true;
            }
            valueA *= unitA->scale;
            valueB *= unitB->scale;
        } else if (a->unit != b->unit) {
            return true;
        }
        if (valueA == 0) {
            return valueB != 0;
        }
        return std::fabs(valueB - valueA) > 0.5 * std::fabs(valueA);
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
