#include "app/PastDataSheet.h"

#include "results/ResultsListing.h"
#include "util/ManualClock.h"

#include <cstdio>

namespace tessaprint {

std::optional<std::tm> ParseIsoLocalTime(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                                         &second, &tail) != 6) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

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
