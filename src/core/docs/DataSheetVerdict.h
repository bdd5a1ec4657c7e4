#pragma once

#include "docs/DataSheet.h"
#include "results/InstrumentKind.h"
#include "results/ResultsTable.h"
#include "verdict/VerdictEngine.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaprint::docs {

// The kind a record is judged as: the radio buttons' choice; none checked
// is the electrical safety analyzer, whose record "Data Sheet" then builds.
InstrumentKind JudgedKind(std::optional<InstrumentKind> checkedKind);

// The record the Item/Test/Reading list shows, judged row by row as listed:
// the record of the selector's current item (its equipment ID as the table
// holds it; the item's own text when the table has no record for it).
verdict::RecordVerdict JudgeListedRecord(const verdict::VerdictEngine& engine, const ResultsTable& table,
                                         std::optional<InstrumentKind> checkedKind, int selectorCurrent,
                                         const std::string& selectorItemText, const std::vector<ListRow>& rows);

// The verdict a Data Sheet request carries: its record judged, or nothing
// without an engine (verdicts off, the document as it has always been).
std::optional<verdict::RecordVerdict> DataSheetVerdict(const verdict::VerdictEngine* engine, const ResultsTable& table,
                                                       const DataSheetRequest& request);

} // namespace tessaprint::docs
