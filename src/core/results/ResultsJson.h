#pragma once

#include "results/ResultsListing.h"
#include "results/ResultsTable.h"

#include <functional>
#include <optional>
#include <ostream>

namespace tessaprint {

// The capture as JSON, written as it goes: {"lines", "selector", "records",
// "readings"}, and "complete": false after them when the capture was cut off
// (a lost port, the capture limit). A line break ends it.
void WriteResultsJson(std::ostream& out, const ResultsTable& table, ResultsListing& listing,
                      std::optional<bool> complete = std::nullopt);

// The same straight from an input: replay fills a table and a listing from
// it once. The lines go out as they are read and are never held, so memory
// stays a small multiple of the input however it is made.
void WriteResultsJson(std::ostream& out, const std::function<void(ResultsTable&, ResultsListing&)>& replay);

} // namespace tessaprint
