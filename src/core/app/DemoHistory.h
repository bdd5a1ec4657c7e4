#pragma once

#include "history/HistoryStore.h"

namespace tessaprint {

// The demo's history before its first capture: the sample printouts' IDs
// tested one and two years earlier, with readings that drifted (and one that
// moved sharply), so the History window and the "Last time" column have
// something to show next to what the simulated instrument prints.
void SeedDemoHistory(history::HistoryStore& store);

} // namespace tessaprint
