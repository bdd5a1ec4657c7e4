#pragma once

#include "history/HistoryStore.h"

#include <QDialog>

#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QChartView;
class QCompleter;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QStringListModel;
class QTableWidget;

namespace tessaprint {

class QtHistoryRecorder;

// "History": one equipment ID's tests over time. The ID box completes from
// every ID the history has seen (by prefix, without case), and the Recent
// list beside the table offers the IDs tested last, so an ID is one click
// away before anything is typed; the table has a
// row per test and a column per test date, oldest left, a reading that
// differs sharply from the date before it marked (SharpHighlight); the chart
// draws the chosen row's readings on a time axis, in the window's colours;
// "Data Sheet" writes the chosen column's record as its document was then.
// The history is asked in the background: the window never waits for it.
class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFirstDateColumn = 2; // after Item and Test

    CHistoryDlg(QtHistoryRecorder& recorder, std::function<void(const history::HistoryRecord&)> dataSheet,
                QWidget* parent = nullptr);

    // Looks the ID up (as the history spells it, when it knows it in other
    // letters) and shows its records when they come.
    void ShowId(const QString& typed);
    // The records shown, oldest first (a column each).
    const std::vector<history::HistoryRecord>& records() const { return m_records; }

signals:
    // The records of an ID (or why there are none) are shown.
    void recordsShown();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void AskForIds(const QString& prefix);
    // Fills the Recent list; asked whenever the window is shown and whenever the ID box is emptied.
    void AskForRecentIds();
    // The IDs of an answer, or nothing with the reason in the status line.
    std::optional<QStringList> IdsOrSayWhy(const Result<std::vector<std::string>>& ids);
    void OnRecentChosen(QListWidgetItem* item);
    void ShowRecords(const std::vector<history::HistoryRecord>& records);
    void ShowChart(int row);
    // The table's marks and the chart in the window's palette, light or dark.
    void FollowPalette();
    void StyleChart();
    void OnCurrentCell(int row, int column);
    void OnDataSheet();

    QtHistoryRecorder& m_recorder;
    std::function<void(const history::HistoryRecord&)> m_dataSheet;
    QLineEdit* m_id;
    QStringListModel* m_idModel;
    QCompleter* m_completer;
    QListWidget* m_recent;
    QTableWidget* m_table = nullptr; // null until made: changeEvent may come first
    QChartView* m_chart = nullptr;
    QLabel* m_chartNote;
    QLabel* m_status;
    QPushButton* m_dataSheetButton;
    std::vector<history::HistoryRecord> m_records;
    // Only the latest question's answer counts.
    int m_idsAsked = 0;
    int m_recentAsked = 0;
    int m_lookupAsked = 0;
};

} // namespace tessaprint
