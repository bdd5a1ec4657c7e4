#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// A capture's records one at a time, for lines taken once from the first (a
// saved capture read again): grouped by equipment ID as ResultsTable files
// them, and those of them the selector lists, each once and in its order, as
// RecordsOnSelector takes them. A record is given out when the next one
// begins or the capture ends, and then forgotten, so a capture of any length
// holds no more than its largest record. Lines before the first ID belong to
// the first record; lines without any ID give no record.
class RecordStream {
public:
    struct Record {
        std::string equipmentId; // as the table holds it: as printed, blanks and all
        std::string date;        // the last date seen while the record was filled
        std::vector<std::string> values;
    };
    // May take the record's texts: the record is emptied after it.
    using Take = std::function<void(Record& record)>;

    explicit RecordStream(Take take) : m_take(std::move(take)) {}

    // One complete line (no CR or LF), as ResultsTable::ParseResultLine takes it.
    void ParseResultLine(std::string_view line);
    // The capture has ended: its last record is given out.
    void Finish();

private:
    void GiveOut();

    Take m_take;
    Record m_record;
    std::string m_currentEquipmentId;
    std::string m_previousEquipmentId;
    std::string m_currentDate;
    // An ID line came: from then on every record is on the selector.
    bool m_named = false;
};

} // namespace tessaprint
