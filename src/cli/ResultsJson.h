#pragma once

#include "results/ResultsListing.h"
#include "results/ResultsTable.h"

#include <string>

namespace tessaprint {

// The capture as JSON: {"lines", "selector", "records", "readings"}.
std::string ResultsToJson(const ResultsTable& table, ResultsListing& listing);

} // namespace tessaprint
