#pragma once

#include "history/HistoryStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::history {

// A record's readings as one text: "item US test US reading", joined by RS,
// in item order; the texts as the history stores them (no control
// characters but tab), so the separators never occur inside one.
std::string PackReadings(const std::vector<HistoryReading>& readings);

// One reading of a packed text, viewing into it.
struct PackedReading {
    int item = 0;
    std::string_view test;
    std::string_view reading;
};
// Back into readings, in item order; a piece without its three fields is
// left out.
std::vector<PackedReading> UnpackReadings(std::string_view packed);
// The views would outlive a text that goes away with the statement.
std::vector<PackedReading> UnpackReadings(std::string&& packed) = delete;

} // namespace tessaprint::history
