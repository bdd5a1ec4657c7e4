#pragma once

#include "history/HistoryStore.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaprint::history {

// One equipment ID's records side by side, as the History window shows them:
// a column per record (oldest left), a row per test. A test keeps its row
// across dates by its name; a reading without a name, or whose name the
// record has more than once, goes by its item number and name instead.
struct HistoryGridCell {
    std::string reading;
    bool sharp = false; // differs sharply from the row's reading in the nearest earlier column (DiffersSharply)
    // The verdict stored with the reading (empty: recorded without verdicts).
    std::string verdict{};
    std::string limit{};
    std::string rule{};
};

struct HistoryGridRow {
    int item = 0;                                      // the item number in the newest record that has the test
    std::string test;                                  // as printed
    std::vector<std::optional<HistoryGridCell>> cells; // one per column; nothing where the record lacks the test
};

struct HistoryGrid {
    // "03/14/2015"; "03/14/2015\n14:05:09" where two columns share a date
    // (the capture time, and "#2", "#3" … where that is shared too).
    std::vector<std::string> headers;
    std::vector<HistoryGridRow> rows; // in the newest record's item order, then tests only older records have
};

HistoryGrid MakeHistoryGrid(const std::vector<HistoryRecord>& records);

// Which row a reading of a record belongs on (see HistoryGrid).
std::string ReadingRowKey(const std::vector<HistoryReading>& readings, std::size_t index);

// The date a record stands for, as the instrument prints dates: its test date,
// else its capture's day ("2026-12-08T14:05:09" -> "12/08/2026").
std::string RecordDateText(const HistoryRecord& record);
// Its day as "2015-03-14": the test day, else the capture's; empty when neither is known.
std::string RecordDay(const HistoryRecord& record);

// The test before the one on screen: the newest record of the history that is
// not from the capture shown (same capture time), not the same test printed
// again (same test date and readings: the instrument keeps its results until
// erased) and not dated after it.
std::optional<HistoryRecord> PreviousRecord(const std::vector<HistoryRecord>& records, const HistoryRecord& shown,
                                            const std::string& shownCapturedAt);

// For each reading of shown, the reading of the same test in previous (the rows
// matched as in the grid); empty where previous lacks it.
std::vector<std::string> LastTimeReadings(const std::vector<HistoryReading>& shown, const HistoryRecord& previous);

} // namespace tessaprint::history
