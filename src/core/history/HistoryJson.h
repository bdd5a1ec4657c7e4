#pragma once

#include "history/HistoryStore.h"

#include <ostream>
#include <string>
#include <vector>

namespace tessaprint::history {

// One equipment ID's history as `tessaprint-cli history show` prints it:
// {"equipmentId", "records": [{"testDate", "capturedAt", "kind",
// "readings": [{"item", "test", "reading", "value"}]}]}, oldest first.
void WriteHistoryJson(std::ostream& out, const std::string& equipmentId, const std::vector<HistoryRecord>& records);

} // namespace tessaprint::history
