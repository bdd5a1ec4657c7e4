#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace tessaprint::verdict {

// The limits files built into the program (resources/limits/*.json), by
// profile name, in the order they ship: the default first.
const std::vector<std::pair<std::string_view, std::string_view>>& ShippedLimitsFiles();

} // namespace tessaprint::verdict
