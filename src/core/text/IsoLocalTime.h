#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace tessaprint {

// "2026-12-08T14:05:09": ISO 8601 local time without an offset, as capture
// times are kept in files, CSVs and the test history.
std::string IsoLocalTime(const std::tm& time);

// That text as a calendar time; nothing for anything else.
std::optional<std::tm> ParseIsoLocalTime(const std::string& text);

} // namespace tessaprint
