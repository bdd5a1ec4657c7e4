#pragma once

#include "history/HistoryStore.h"
#include "results/InstrumentKind.h"
#include "verdict/VerdictEngine.h"

namespace tessaprint::history {

// The capture's records judged as the history keeps them: each reading's
// verdict word, limit and rule, each record's profile name and version.
// Done once, when the capture is recorded; the store never judges again.
void JudgeHistoryRecord(const verdict::VerdictEngine& engine, InstrumentKind kind, HistoryRecord& record);
void JudgeHistoryCapture(const verdict::VerdictEngine& engine, InstrumentKind kind, HistoryCapture& capture);

} // namespace tessaprint::history
