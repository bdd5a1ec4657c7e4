#pragma once

#include "verdict/EquipmentList.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace tessaprint {

class Prompts;
class QtHistoryRecorder;

// View > Equipment: the department's equipment list, kept in the history's
// database, in a table with the columns of the list's CSV. A row is checked
// as a row of that file is whenever a cell changes; a fault is said in words
// under the table and its cell is marked, and a row is stored only once it
// is sound. "Import CSV..." checks the whole file first and takes nothing
// from a file with a bad line; "Export CSV..." writes the stored list. The
// history is asked in the background: the window never waits for it.
class CEquipmentDlg : public QDialog {
    Q_OBJECT
public:
    enum Column { Id, Description, Location, Class, AppliedParts, Interval, Cord, Profile, Settings, kColumns };

    // listChanged: the stored list after each change, for the rest of the program.
    CEquipmentDlg(QtHistoryRecorder& recorder, Prompts& prompts,
                  std::function<void(const std::vector<verdict::Device>&)> listChanged, QWidget* parent = nullptr);

    // Reads the stored list into the table again (unsaved rows go).
    void Reload();
    // A new row for this ID (class I, every 12 months), stored at once, with
    // its class cell to edit; without an ID, its ID cell is edited first.
    void AddRow(const QString& id);
    // The fault shown, empty when none.
    QString fault() const;

signals:
    // The stored list is in the table.
    void listShown();
    // The history answered a change (stored, removed, imported, or why not).
    void changeAnswered();

private:
    // Runs job with the history's equipment list; done(answer) while the window is still there.
    template <typename T, typename Job, typename Done> void Ask(Job job, Done done);
    void Fill(const std::vector<verdict::Device>& devices);
    void SetRow(int row, const std::vector<std::string>& fields, const QString& storedId);
    std::vector<std::string> RowFields(int row) const;
    // Checks the row; stores it when it is sound (replacing the ID it had).
    void OnCellChanged(QTableWidgetItem* item);
    void MarkCell(int row, int column, const QString& why);
    void ClearMarks(int row);
    void ShowFault(const QString& text);
    void OnRemove();
    void OnImport();
    void OnExport();
    // After a change: the stored list again, for listChanged.
    void TellOthers();

    QtHistoryRecorder& m_recorder;
    Prompts& m_prompts;
    std::function<void(const std::vector<verdict::Device>&)> m_listChanged;
    QTableWidget* m_table;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_import;
    QPushButton* m_export;
    QLabel* m_fault;
    bool m_filling = false;
    // Until the stored list is in the table, a row asked for waits.
    bool m_loaded = false;
    std::optional<QString> m_pendingAdd;
    int m_reloadAsked = 0;
};

} // namespace tessaprint
