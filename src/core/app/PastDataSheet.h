#pragma once

#include "docs/DataSheet.h"
#include "history/HistoryStore.h"

#include <optional>
#include <string>

namespace tessaprint {

// "Data Sheet" for a record of the history: the document as it would have
// been written when the record was captured (its readings, its test date,
// the capture's time where the record has no date and in the file's stamp),
// in today's reports folder and never over a file there. The layout is the
// record's instrument kind; fallbackKind where the history does not know it.
Result<docs::DataSheetDocument> WritePastDataSheet(const history::HistoryRecord& record,
                                                   std::optional<InstrumentKind> fallbackKind,
                                                   const std::string& reportsFolder, int word2007,
                                                   docs::WordApplication& word);

} // namespace tessaprint
