#pragma once

#include "history/DueList.h"
#include "verdict/VerdictEngine.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class QWidget;

namespace tessaprint {

class Clock;
class QtHistoryRecorder;

// How a due status is marked: failed and overdue a red tint of the list's
// own base colour, due soon an amber one, ok a green one, the others the
// list's own colours; the text colour always reads on its tint (the
// contrast of SharpHighlight), in a light palette and a dark one. The word
// says the status, so colour is never the only cue.
class DueColours {
public:
    explicit DueColours(const QWidget& window);
    // Invalid (the list's own) for the neutral statuses.
    QColor Background(history::DueStatus status) const;
    QColor Text(history::DueStatus status) const;

private:
    QColor m_text;
    QColor m_red;
    QColor m_amber;
    QColor m_green;
};

// View > Due for Test: every device of the equipment list with its last
// test, its due day and its status, sorted by due day, filtered to all, to
// the overdue and failed, or to those due within a number of days (which is
// also what "due soon" means). A double click opens the device's history.
// The history is asked in the background: the window never waits for it.
class CDueForTestDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { Id, Description, Location, LastTest, Due, Status, kColumns };
    enum Filter { All, OverdueAndFailed, DueWithin };
    static constexpr int kDefaultDays = 30;

    // engine: judges each device's last test for "failed" (nullptr: not judged).
    CDueForTestDlg(QtHistoryRecorder& recorder, Clock& clock,
                   std::function<std::shared_ptr<const verdict::VerdictEngine>()> engine,
                   std::function<void(const QString& equipmentId)> openHistory, QWidget* parent = nullptr);

    // Asks the history again (as the window is shown, and when the days change).
    void Refresh();
    // The schedule as the history gave it last, unfiltered.
    const std::vector<history::DueEntry>& entries() const { return m_entries; }

signals:
    // The schedule is in the table.
    void scheduleShown();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowEntries();
    bool Passes(const history::DueEntry& entry) const;

    QtHistoryRecorder& m_recorder;
    Clock& m_clock;
    std::function<std::shared_ptr<const verdict::VerdictEngine>()> m_engine;
    std::function<void(const QString&)> m_openHistory;
    QComboBox* m_filter;
    QSpinBox* m_days;
    QTableWidget* m_table = nullptr; // null until made: changeEvent may come first
    QLabel* m_status;
    std::vector<history::DueEntry> m_entries;
    std::string m_on;
    int m_asked = 0;
};

} // namespace tessaprint
