#include "app/FormHistory.h"

#include "app/CaptureSession.h"
#include "history/HistoryGrid.h"
#include "history/HistoryVerdicts.h"
#include "history/ReadingNumber.h"
#include "results/RecordsOnSelector.h"
#include "text/Plural.h"
#include "text/Trim.h"
#include "util/Utf8Path.h"

#include <cstdlib>

namespace tessaprint {

FormHistory::FormHistory(FormView& view, const ResultsTable& table) : m_view(view), m_table(table)
{
}

void FormHistory::RecordCapture(const std::string& port, const std::string& archivePath, const std::string& capturedAt,
                                const std::string& captureId, const verdict::VerdictEngine* verdicts)
{
    if (!m_history) {
        return;
    }
    history::HistoryCapture capture = history::MakeHistoryCapture(m_table, m_view);
    if (capture.records.empty()) {
        return; // lines without an equipment ID give the history nothing
    }
    capture.capturedAt = capturedAt;
    // Lines opened from a file have none: the sink gives them the identity of their lines.
    capture.captureId = captureId;
    if (const auto kind = m_view.CheckedKind()) {
        capture.kind = UnitTypeText(*kind);
        // Judged once, here: a later profile judges later captures only.
        if (verdicts) {
            history::JudgeHistoryCapture(*verdicts, *kind, capture);
        }
    }
    capture.port = port;
    if (!archivePath.empty()) {
        capture.archiveName = PathToUtf8(PathFromUtf8(archivePath).filename());
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(m_view.LineCount()));
    for (int i = 0; i < m_view.LineCount(); ++i) {
        lines.push_back(m_view.LineText(i));
    }
    m_history->Submit(std::move(capture), std::move(lines));
}

void FormHistory::ForgetLastTime()
{
    ++*m_lastTimeGeneration;
    m_view.SetSelectorToolTip("");
}

void FormHistory::LookUpLastTime(const std::string& capturedAt)
{
    ForgetLastTime();
    const int item = m_view.SelectorCurrent();
    if (!m_history || item < 0) {
        return;
    }
    const int record = m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    if (record < 0) {
        return;
    }
    const std::weak_ptr<int> generation = m_lastTimeGeneration;
    const int asked = *m_lastTimeGeneration;
    m_history->Lookup(std::string(TrimBlanks(m_table.EquipmentId(record))),
                      [this, generation, asked, capturedAt](Result<std::vector<history::HistoryRecord>> records) {
                          const auto current = generation.lock();
                          if (!current || *current != asked) {
                              return; // the controller is gone, or shows other rows now
                          }
                          if (!records) {
                              m_view.SetSelectorToolTip("The history could not be read: " + records.error().message);
                              return;
                          }
                          ShowLastTime(records.value(), capturedAt);
                      });
}

void FormHistory::ShowLastTime(const std::vector<history::HistoryRecord>& records, const std::string& capturedAt)
{
    const int item = m_view.SelectorCurrent();
    const int record = item < 0 ? -1 : m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    if (record < 0) {
        return;
    }
    history::HistoryRecord shown;
    shown.equipmentId = std::string(TrimBlanks(m_table.EquipmentId(record)));
    shown.testDate = std::string(TrimBlanks(m_table.Date(record)));
    shown.testDay = history::ParseTestDay(shown.testDate);
    for (int row = 0; row < m_view.ReadingRowCount(); ++row) {
        history::HistoryReading reading;
        reading.item = std::atoi(m_view.ReadingRowText(row, 0).c_str());
        reading.test = m_view.ReadingRowText(row, 1);
        reading.reading = m_view.ReadingRowText(row, 2);
        shown.readings.push_back(std::move(reading));
    }
    const auto previous = history::PreviousRecord(records, shown, capturedAt);
    if (!previous) {
        m_view.SetSelectorToolTip("No earlier test of " + shown.equipmentId + " in the history.");
        return;
    }
    const std::vector<std::string> last = history::LastTimeReadings(shown.readings, *previous);
    int sharp = 0;
    for (std::size_t row = 0; row < last.size(); ++row) {
        const bool differs = history::DiffersSharply(last[row], shown.readings[row].reading);
        sharp += differs ? 1 : 0;
        m_view.SetLastTime(static_cast<int>(row), last[row], differs);
    }
    m_view.SetSelectorToolTip(
        "Last tested " + history::RecordDateText(*previous) + ": " +
        (sharp == 0
             ? std::string("no reading differs sharply from then.")
             : Plural(static_cast<std::size_t>(sharp), "reading differs", "readings differ") + " sharply from then."));
}

} // namespace tessaprint
