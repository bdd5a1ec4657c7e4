#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaprint {

// Numbers as the instrument prints them, with a point before the decimals,
// read and written the same whatever locale the process runs in (the window's
// toolkit takes the locale from the environment, and a decimal comma there
// must never turn "0.09 uA" into 0 or write "0,4 uA").

// The whole text as a decimal number: an optional sign, digits with at most
// one point ("-0.1", "+.5", "12."). Nothing for anything else, and for a
// number too large or too small for a double.
std::optional<double> ReadDecimal(std::string_view text);

// value with that many decimals, rounded: (0.125, 2) -> "0.12", (3, 1) -> "3.0".
std::string WriteDecimal(double value, int decimals);

} // namespace tessaprint
