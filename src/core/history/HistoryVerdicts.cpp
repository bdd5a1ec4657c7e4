#include "history/HistoryVerdicts.h"

#include <string>
#include <vector>

namespace tessaprint::history {

void JudgeHistoryRecord(const verdict::VerdictEngine& engine, InstrumentKind kind, HistoryRecord& record)
{
    // The rows as the Item/Test/Reading list shows them, so the history
    // keeps the verdicts the window showed.
    std::vector<verdict::ReadingRow> rows;
    rows.reserve(record.readings.size());
    for (const HistoryReading& reading : record.readings) {
        rows.push_back({std::to_string(reading.item), reading.test, reading.reading});
    }
    const verdict::RecordVerdict judged = engine.JudgeRecord(kind, record.equipmentId, rows);
    record.verdictProfile = judged.profileName;
    record.verdictProfileVersion = judged.profileVersion;
    for (std::size_t i = 0; i < record.readings.size() && i < judged.readings.size(); ++i) {
        HistoryReading& reading = record.readings[i];
        const verdict::ReadingVerdict& verdict = judged.readings[i];
        reading.verdict = std::string(verdict::OutcomeWord(verdict.outcome));
        reading.limit = verdict.limit;
        reading.rule = verdict.ruleId;
    }
}

void JudgeHistoryCapture(const verdict::VerdictEngine& engine, InstrumentKind kind, HistoryCapture& capture)
{
    for (HistoryRecord& record : capture.records) {
        JudgeHistoryRecord(engine, kind, record);
    }
}

} // namespace tessaprint::history
