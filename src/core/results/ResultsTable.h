#pragma once

#include "results/ResultsViews.h"
#include "text/TextArena.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaprint {

struct SplitReadingResult {
    std::string testName;
    std::string reading;
};

// What one line of results says: an equipment ID (the text after the first
// ':' of a line that names EquipmentID), a date (of a line with "Date:" and a
// '/'), a value (the text after the first '.'); any of them, or none.
struct ResultLineParts {
    std::optional<std::string_view> equipmentId;
    std::optional<std::string_view> date;
    std::optional<std::string_view> value;
};
ResultLineParts ReadResultLine(std::string_view line);

// The captured results: one record per equipment ID, each with the date seen
// while it was filled and its values in arrival order. The instrument's own
// memory holds 50 records of 100 values; a larger capture is kept whole, so
// the table grows past those sizes instead of dropping anything.
class ResultsTable {
public:
    // Sized for the instrument's memory; the table grows past it.
    static constexpr int kInitialRecords = 50;
    static constexpr int kValuesPerRecord = 100;

    ResultsTable();
    // The values are views into the table's own text blocks: a copy would
    // point into the original. Moving keeps the blocks where they are.
    ResultsTable(const ResultsTable&) = delete;
    ResultsTable& operator=(const ResultsTable&) = delete;
    ResultsTable(ResultsTable&&) noexcept = default;
    ResultsTable& operator=(ResultsTable&&) noexcept = default;
    // A copy with texts of its own, as the table is now: work that must not
    // see the lines still arriving uses one. Named, not a copy constructor,
    // so that no copy is made by accident.
    ResultsTable Copy() const;

    // Files one complete line (no CR or LF) into the table; announces every new
    // equipment ID on the selector.
    void ParseResultLine(EquipmentIdSelector& selector, std::string_view line);

    // Lists the record chosen in the selector. The caller empties the list first.
    void FillReadingList(const EquipmentIdSelector& selector, ReadingListView& list) const;

    // Cuts a value before the first word after the first that begins a
    // reading (a digit, or a sign or comparison before one):
    // "Ground Resistance 0.123 Ohms" → "Ground Resistance", "0.123 Ohms";
    // "External Leakage -0.1 uA" → "External Leakage", "-0.1 uA".
    static SplitReadingResult SplitReading(std::string_view value);

    // Full clear for a new capture; the dates and the current date stay.
    void ClearResults();
    // Counters to 0; every string stays.
    void ResetCounters();

    // The record the selector's item stands for: the record it was announced
    // for, while that record still carries the item's ID (a repeated ID then
    // lists the record that was chosen), else the lowest record with that ID;
    // -1 when none has it.
    int RecordForSelectorItem(int item, const std::string& itemText) const;

    // Records held: at least kInitialRecords, more when a capture was larger.
    int RecordCapacity() const { return static_cast<int>(m_records.size()); }
    const std::string& EquipmentId(int record) const;
    const std::string& Date(int record) const;
    // Value n of record r; empty outside the filled part of the table. The
    // text stays good until the next full clear or the table goes.
    std::string_view Value(int record, int n) const;
    // Values of a record, up to the last one filled; empty ones count.
    int ValueCount(int record) const;
    // Value slots a record has held, empty ones included; at least kValuesPerRecord.
    int ValueSlots(int record) const;

    int recordIndex() const { return m_recordIndex; }
    int valueIndex() const { return m_valueIndex; }
    const std::string& currentEquipmentId() const { return m_currentEquipmentId; }
    const std::string& previousEquipmentId() const { return m_previousEquipmentId; }
    const std::string& currentDate() const { return m_currentDate; }
    // The Data Sheet sets both before it builds a document.
    void SetCurrentEquipmentId(std::string id) { m_currentEquipmentId = std::move(id); }
    void SetCurrentDate(std::string date) { m_currentDate = std::move(date); }

private:
    // The ID and date texts repeat from record to record; each record points
    // at one copy, so a capture of many short records costs little memory.
    struct Record {
        std::uint32_t equipmentId = 0; // into m_texts; 0 is the empty text
        std::uint32_t date = 0;
        std::vector<std::string_view> values; // into m_valueTexts
    };

    Record& RecordAt(int index);
    std::uint32_t Intern(const std::string& text);
    const std::string& Text(std::uint32_t index) const { return m_texts[index]; }
    void Announce(EquipmentIdSelector& selector);

    // A deque grows without moving what it holds, so a long capture never
    // needs its records twice in memory.
    std::deque<Record> m_records;
    std::vector<std::string> m_texts{std::string()};
    // The value texts, in a few large blocks rather than one allocation each.
    TextArena m_valueTexts;
    std::unordered_map<std::string, std::uint32_t> m_textIndex{{std::string(), 0}};
    // The texts the records point at last, so most lines need no lookup.
    std::uint32_t m_idText = 0;
    std::uint32_t m_dateText = 0;
    // The record each selector item was announced for, in announcing order;
    // emptied by the full clear only, like the selector itself.
    std::vector<int> m_announced;
    int m_recordIndex = 0;
    int m_valueIndex = 0;
    std::string m_currentEquipmentId;
    std::string m_previousEquipmentId;
    std::string m_currentDate;
};

} // namespace tessaprint
