#pragma once

#include "results/ResultsTable.h"
#include "results/ResultsViews.h"

#include <string_view>
#include <vector>

namespace tessaprint {

// The records the selector's items stand for, in its order, each once (two
// items of a repeated ID may stand for one record); items no record carries
// are left out. Exports and the history take a capture's records so.
std::vector<int> RecordsOnSelector(const ResultsTable& table, const EquipmentIdSelector& selector);

// The text without the blanks and tabs around it: IDs and dates as printed
// may carry them ("EquipmentID:  A-1 ").
std::string_view TrimBlanks(std::string_view text);

} // namespace tessaprint
