#pragma once

#include "app/FormView.h"
#include "app/HistorySink.h"
#include "results/ResultsTable.h"
#include "verdict/VerdictEngine.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaprint {

// The form and the test history: every capture whose results are ready
// (also one cut off, or opened from a file) goes to it, and the chosen
// equipment ID's previous test is looked up in it for the "Last time" column
// and the selector's tooltip.
class FormHistory {
public:
    FormHistory(FormView& view, const ResultsTable& table);

    // Unset: no history.
    void SetSink(HistorySink* sink) { m_history = sink; }
    // The capture shown goes to the history: port "" for a file or when no
    // port is open, archiveName the archive's or the file's name, captureId
    // "" for lines opened from a file. With verdicts on (verdicts not null)
    // each record goes with the verdicts its readings get now, and the
    // history keeps them as they are.
    void RecordCapture(const std::string& port, const std::string& archivePath, const std::string& capturedAt,
                       const std::string& captureId, const verdict::VerdictEngine* verdicts = nullptr);
    // The chosen ID's previous test (before capturedAt), looked up in the
    // background; a later change of the rows drops what an earlier lookup brings.
    void LookUpLastTime(const std::string& capturedAt);
    void ForgetLastTime();

private:
    void ShowLastTime(const std::vector<history::HistoryRecord>& records, const std::string& capturedAt);

    FormView& m_view;
    const ResultsTable& m_table;
    HistorySink* m_history = nullptr;
    // Counts the rows' changes; a lookup's answer counts only while it is unchanged
    // (and not at all once the form is gone).
    std::shared_ptr<int> m_lastTimeGeneration = std::make_shared<int>(0);
};

} // namespace tessaprint
