#pragma once

#include "results/ResultsListing.h"
#include "results/ResultsTable.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// Offline decoding: what a capture left behind, parsed again without a port.

// Raw bytes as the instrument sent them go through the receive path's byte
// rule; a last line without its end is not delivered.
void ReplayTranscript(std::string_view bytes, ResultsTable& table, ResultsListing& listing);

// Lines of a saved capture file's content (see ForEachCaptureLine) are shown
// and parsed in order.
void ReplayCaptureFile(std::string_view content, ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view);

} // namespace tessaprint
