#pragma once

#include "history/EquipmentStore.h"
#include "history/HistoryStore.h"

namespace tessaprint {

// The demo's history before its first capture: the sample printouts' IDs
// tested one and two years earlier, with readings that drifted (and one that
// moved sharply), so the History window and the "Last time" column have
// something to show next to what the simulated instrument prints.
void SeedDemoHistory(history::HistoryStore& store);

// The demo's equipment list: some of the sample printouts' IDs (others are
// left out, so the form offers to add them) and two devices never tested, so
// View > Due for Test has every kind of line to show.
void SeedDemoEquipment(history::EquipmentStore& store);

} // namespace tessaprint
