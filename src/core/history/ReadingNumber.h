#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaprint::history {

// The number a reading carries, for charts and comparisons: the first number
// in the text as the verdicts' strict reader reads numbers (a sign and a
// decimal point taken), the word after it as the unit, and a comparison
// written before it ("<0.1 uA": 0.1, "<").
struct ReadingNumber {
    double value = 0;
    std::string unit;       // "Ohms", "uA"; empty when no word follows
    std::string comparison; // "<", ">", "<=", ">=", "±" or empty
};

// "0.123 Ohms" -> 0.123 "Ohms"; "-0.1 uA" -> -0.1 "uA"; "2.0 J 176 V 3.5 A"
// -> 2.0 "J"; nothing for a reading without a digit ("", "PASS"), with a
// malformed number anywhere ("1,5 uA", "1.2.3 V", "1e3 V", "12abc") or with a
// number no double holds. The point is the decimal point in every locale.
std::optional<ReadingNumber> ParseReadingNumber(std::string_view reading);

// Whether a reading differs sharply from the one before it, the rule the
// history window and the main form's "Last time" column share:
// - both carry a number: the quantity changed (another unit where a unit is
//   unknown), or the number, scaled to its quantity's base unit, moved by
//   more than half of the earlier one (from 0, any other number);
// - one carries a number and the other not: yes;
// - neither: the texts differ (blanks around them and case aside).
// An empty reading on either side is no comparison: never sharp.
bool DiffersSharply(std::string_view before, std::string_view now);

} // namespace tessaprint::history
