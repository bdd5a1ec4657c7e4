#include "history/HistoryGrid.h"

#include "history/ReadingNumber.h"

#include <algorithm>
#include <map>

namespace tessaprint::history {

std::string ReadingRowKey(const std::vector<HistoryReading>& readings, std::size_t index)
{
    const HistoryReading& reading = readings[index];
    if (!reading.test.empty()) {
        const auto named = std::count_if(readings.begin(), readings.end(),
                                         [&](const HistoryReading& other) { return other.test == reading.test; });
        if (named == 1) {
            return "t:" + reading.test;
        }
    }
    return "i:" + std::to_string(reading.item) + ":" + reading.test;
}

std::string RecordDay(const HistoryRecord& record)
{
    if (record.testDay) {
        return *record.testDay;
    }
    return record.capturedAt.size() >= 10 ? record.capturedAt.substr(0, 10) : std::string();
}

std::string RecordDateText(const HistoryRecord& record)
{
    if (!record.testDate.empty()) {
        return record.testDate;
    }
    const std::string day = RecordDay(record);
    if (day.size() == 10) {
        return day.substr(5, 2) + "/" + day.substr(8, 2) + "/" + day.substr(0, 4);
    }
    return "(no date)";
}

HistoryGrid MakeHistoryGrid(const std::vector<HistoryRecord>& records)
{
    HistoryGrid grid;
    const std::size_t columns = records.size();
    std::map<std::string, int> sameDate;
    for (const HistoryRecord& record : records) {
        ++sameDate[RecordDateText(record)];
    }
    std::map<std::string, int> sameTime;
    for (const HistoryRecord& record : records) {
        std::string header = RecordDateText(record);
        if (sameDate[header] > 1) {
            header += "\n" + (record.capturedAt.size() >= 19 ? record.capturedAt.substr(11, 8) : record.capturedAt);
            if (const int seen = ++sameTime[header]; seen > 1) {
                header += " #" + std::to_string(seen);
            }
        }
        grid.headers.push_back(std::move(header));
    }

    // Rows are made newest record first, so the newest order leads.
    std::map<std::string, std::size_t> rowOf;
    for (std::size_t c = columns; c-- > 0;) {
        const auto& readings = records[c].readings;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const std::string key = ReadingRowKey(readings, i);
            auto [at, added] = rowOf.emplace(key, grid.rows.size());
            if (added) {
                grid.rows.push_back(
                    {readings[i].item, readings[i].test, std::vector<std::optional<HistoryGridCell>>(columns)});
            }
            auto& cell = grid.rows[at->second].cells[c];
            if (!cell) { // a key twice in one record cannot happen; the first stays
                cell = HistoryGridCell{readings[i].reading, false, readings[i].verdict, readings[i].limit,
                                       readings[i].rule};
            }
        }
    }
    for (HistoryGridRow& row : grid.rows) {
        const std::string* before = nullptr;
        for (auto& cell : row.cells) {
            if (!cell) {
                continue;
            }
            if (before) {
                cell->sharp = DiffersSharply(*before, cell->reading);
            }
            before = &cell->reading;
        }
    }
    return grid;
}

namespace {

bool SameTest(const HistoryRecord& a, const HistoryRecord& b)
{
    if (a.testDate != b.testDate || a.readings.size() != b.readings.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.readings.size(); ++i) {
        if (a.readings[i].test != b.readings[i].test || a.readings[i].reading != b.readings[i].reading) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<HistoryRecord> PreviousRecord(const std::vector<HistoryRecord>& records, const HistoryRecord& shown,
                                            const std::string& shownCapturedAt)
{
    const std::string shownDay = RecordDay(shown);
    const HistoryRecord* best = nullptr;
    for (const HistoryRecord& record : records) {
        if ((!shownCapturedAt.empty() && record.capturedAt == shownCapturedAt) || SameTest(record, shown)) {
            continue;
        }
        const std::string day = RecordDay(record);
        if (!shownDay.empty() && !day.empty() && day > shownDay) {
            continue;
        }
        // The list is oldest first; among equals the later one is newer.
        if (!best || std::make_pair(day, record.capturedAt) >= std::make_pair(RecordDay(*best), best->capturedAt)) {
            best = &record;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    return *best;
}

std::vector<std::string> LastTimeReadings(const std::vector<HistoryReading>& shown, const HistoryRecord& previous)
{
    std::map<std::string, std::string> byKey;
    for (std::size_t i = 0; i < previous.readings.size(); ++i) {
        byKey.emplace(ReadingRowKey(previous.readings, i), previous.readings[i].reading);
    }
    std::vector<std::string> last;
    last.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto found = byKey.find(ReadingRowKey(shown, i));
        last.push_back(found == byKey.end() ? std::string() : found->second);
    }
    return last;
}

} // namespace tessaprint::history
