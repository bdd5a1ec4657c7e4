#pragma once

#include "results/ResultsTable.h"
#include "results/ResultsViews.h"
#include "text/Trim.h"

#include <vector>

namespace tessaprint {

// The records the selector's items stand for, in its order, each once (two
// items of a repeated ID may stand for one record); items no record carries
// are left out. Exports and the history take a capture's records so.
std::vector<int> RecordsOnSelector(const ResultsTable& table, const EquipmentIdSelector& selector);

} // namespace tessaprint
