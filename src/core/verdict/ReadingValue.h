#pragma once

#include "results/InstrumentKind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::verdict {

// What a unit measures. Readings are compared only within one quantity,
// after scaling to its base unit (A, Ohm, V, J, s, per minute, Hz).
enum class Quantity { Current, Resistance, Voltage, Energy, Time, PerMinute, Frequency };

// A unit the reader knows: its name as the program writes it ("µA", "Ω",
// "MΩ", "ms"), its quantity and the factor to the base unit.
struct Unit {
    std::string_view name;
    Quantity quantity = Quantity::Current;
    double scale = 1;
};

// The unit a printed word stands for, case-sensitive (MOhms is not mOhms):
// uA, µA (0xB5, U+00B5 or U+03BC before the A), mA, A, mOhm, Ohm, Ohms, Ω,
// kOhm, MOhm, MOhms, V, mV, J, mJ, uJ, s, ms, PPM, BPM, Hz; "mS" is ms for
// the pacemaker analyzer only (which prints its intervals that way).
std::optional<Unit> UnitFromText(std::string_view word, InstrumentKind kind);

// One number of a reading with its unit: "<0.1 uA", "38 ms", "OL MOhms".
struct Measured {
    double value = 0;       // as printed, in `unit`
    Unit unit;              //
    bool below = false;     // "<": less than value
    bool atMost = false;    // "<=": value or less
    bool overRange = false; // "OL", "O.L" or "OVER": beyond any maximum; value unused
    double Scaled() const { return value * unit.scale; }
};

// A reading read strictly: every number with its unit, in order, and the
// words between them ("NSR", "Biphasic Truncated"). A reading is unreadable
// (`error` says why, in a few words) when a number is not `[+-]?digits[.digits]`
// or `[+-]?.digits` (a decimal comma, an exponent, "1.2.3"), a number has no
// known unit after it, or there is no number at all. Never depends on the
// process locale.
struct ReadingFields {
    std::vector<Measured> numbers;
    std::vector<std::string> words;
    std::string error; // empty: readable
    bool ok() const { return error.empty(); }
};
ReadingFields ReadReading(std::string_view reading, InstrumentKind kind);

// The pieces of a reading as the strict reader sees them, before it checks
// units: what both ReadReading and the history's lenient number for charts
// are built on, so that the two never read a number differently.
struct ReadingPiece {
    enum class Type { Word, Number, OverRange };
    Type type = Type::Word;
    std::string_view text;       // the word, or the number as printed (no comparison, no unit)
    std::string_view comparison; // "<", "<=", ">", ">=" or "±" right before a number; empty
    double value = 0;            // a number's value
    // The word after a number or over-range token (glued to it or after
    // blanks) unless it is a number itself; empty when none.
    std::string_view unit;
};
struct ReadingPieces {
    std::vector<ReadingPiece> pieces;
    std::string error; // a malformed number anywhere ("decimal comma in 1,5"); empty: none
};
// A word glued to a number ("0.5uA") is its unit only when `kind` knows it;
// else the number is malformed ("12abc").
ReadingPieces SplitReadingPieces(std::string_view reading, InstrumentKind kind);

} // namespace tessaprint::verdict
