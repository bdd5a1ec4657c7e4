#pragma once

#include "verdict/EquipmentList.h"

#include <optional>
#include <string>

namespace tessaprint {

// What the main window says of the chosen equipment ID from the equipment
// list kept in the history: "Class II, applied parts BF; CF, next test due
// 2016-03-14 (12 months after this test)". The test day is the shown
// record's (ISO); without one the due date cannot be counted and says so.
std::string DeviceLineText(const verdict::Device& device, const std::optional<std::string>& testDay);

// The line for an ID the list does not hold.
inline constexpr const char* kNotInEquipmentList = "not in the equipment list";

} // namespace tessaprint
