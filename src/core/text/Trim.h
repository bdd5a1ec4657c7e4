#pragma once

#include <string_view>

namespace tessaprint {

// The text without the characters of `chars` around it.
std::string_view Trimmed(std::string_view text, std::string_view chars);

// The text without the blanks and tabs around it: IDs and dates as printed
// may carry them ("EquipmentID:  A-1 ").
std::string_view TrimBlanks(std::string_view text);

} // namespace tessaprint
