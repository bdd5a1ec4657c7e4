#include "app/PastDataSheet.h"

#include "results/ResultsListing.h"
#include "text/IsoLocalTime.h"
#include "util/ManualClock.h"

#include <cstdio>

namespace tessaprint {

Result<docs::DataSheetDocument> WritePastDataSheet(const history::HistoryRecord& record,
                                                   std::optional<InstrumentKind> fallbackKind,
                                                   const std::string& reportsFolder, int word2007,
                                                   docs::WordApplication& word)
{
    // The record goes through the parser as the instrument printed it, so the
    // document sees exactly what a capture of it would have given.
    ResultsTable table;
    ResultsListing listing;
    table.ParseResultLine(listing, "EquipmentID: " + record.equipmentId);
    if (!record.testDate.empty()) {
        table.ParseResultLine(listing, "Date: " + record.testDate);
    }
    for (const history::HistoryReading& reading : record.readings) {
        table.ParseResultLine(listing, std::to_string(reading.item) + "." + reading.value);
    }
    if (listing.SelectorCount() == 0) {
        return Error{kErrorFail, "The record of " + record.equipmentId + " holds nothing to write."};
    }
    listing.ShowItem(table, 0);

    ManualClock then;
    then.SetLocalTime(ParseIsoLocalTime(record.capturedAt));
    const std::optional<InstrumentKind> kind = KindFromUnitType(record.kind);
    docs::DataSheetDispatch dispatch(table, word, then);
    return dispatch.OnDataSheet(
        docs::MakeDataSheetRequest(listing, listing, kind ? kind : fallbackKind, reportsFolder, word2007));
}

} // namespace tessaprint
