#pragma once

#include "app/FormView.h"

#include <QByteArray>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTreeWidget;

namespace tessaprint {

class CaptureController;
class ReadingCellDelegate;

// The main form: the received lines, the equipment ID selector, the
// Item/Test/Reading list, the command buttons and the instrument kind. Its
// controls carry their numeric ids as object names and are arranged by
// layouts that follow the font and the scale; a splitter shares the height
// between the received lines and the readings, and a larger form gives its
// room to those two lists. It only displays; its clicks go to the controller.
class CQuellmaxView : public QWidget, public FormView {
    Q_OBJECT
public:
    // The Item, Test and Reading columns (what the settings remember).
    static constexpr int kReadingColumns = 3;
    // The fourth column, the previous test's reading, after the reading.
    static constexpr int kLastTimeColumn = 3;
    static constexpr int kAllColumns = 4;
    // With verdicts on, a fifth column: shown after the reading, before
    // "Last time" (short words, so that the reading keeps its room beside Test).
    static constexpr int kVerdictColumn = 4;
    static constexpr int kColumnsWithVerdict = 5;
    // Item and Test widen for their texts to at most these shares of the list.
    static constexpr int kMostItemPercent = 15;
    static constexpr int kMostTestPercent = 35;

    explicit CQuellmaxView(QWidget* parent = nullptr);

    // The Item, Test and Reading widths the user chose (or the settings
    // gave): each record's fit starts from them.
    std::array<int, kReadingColumns> ReadingColumnWidths() const;
    void SetReadingColumnWidths(const std::array<int, kReadingColumns>& widths);
    // Where the splitter between the received lines and the readings is.
    QByteArray SplitterState() const;
    // False, with the splitter as it was, for a state that does not read.
    bool RestoreSplitterState(const QByteArray& state);

    void SetController(CaptureController* controller) { m_controller = controller; }
    // Where the frame-level requests go (size, status line, and the frame's
    // own commands that must wait while a capture is in progress).
    void SetFrameHooks(std::function<void(int, int)> raiseAndResize, std::function<void(const QString&)> status,
                       std::function<void(bool)> captureCommandsEnabled);

    // EquipmentIdSelector
    void SetSelectorCaption(const std::string& text) override;
    void AddSelectorItem(const std::string& text) override;
    void SetSelectorCurrent(int index) override;
    int SelectorCurrent() const override;
    int SelectorCount() const override;
    std::string SelectorItemText(int index) const override;
    // ReadingListView
    void InsertReadingRow(int row, const std::string& item, const std::string& testName,
                          const std::string& reading) override;
    // ReceiveView
    void AppendLine(const std::string& line) override;
    void SetVersionText(const std::string& text) override;
    void PostResultsReady() override;
    // FormView
    void ClearLines() override;
    int LineCount() const override;
    std::string LineText(int index) const override;
    void ScrollLinesToEnd() override;
    void ClearSelector() override;
    void ClearReadingRows() override;
    int ReadingRowCount() const override;
    std::string ReadingRowText(int row, int column) const override;
    void SetupReadingColumns() override;
    void SetResultsCaption(const std::string& text) override;
    void SetLastTime(int row, const std::string& reading, bool sharp) override;
    void SetSelectorToolTip(const std::string& text) override;
    void SetVerdictsShown(bool shown) override;
    void ShowRecordVerdict(const verdict::RecordVerdict& verdict) override;
    void ShowDeviceLine(const std::string& text, bool offerAdd) override;
    // The History button and View > History: off, with the reason as tooltip, without a history.
    void SetHistoryAvailable(bool available, const QString& reason);
    std::string VersionText() const override;
    void SetDataSheetEnabled(bool enabled) override;
    bool IsDataSheetEnabled() const override;
    void SetAllDataSheetsRunning(bool running) override;
    std::optional<InstrumentKind> CheckedKind() const override;
    void SetCheckedKind(std::optional<InstrumentKind> kind) override;
    void SetCaptureCommandsEnabled(bool enabled) override;
    void RaiseAndResizeFrame(int width, int height) override;
    void ShowStatus(const std::string& text) override;

signals:
    void dataSheetRequested();
    void allDataSheetsRequested();
    // Data Sheet (and All Data Sheets with it) went on or off.
    void dataSheetEnabledChanged(bool enabled);
    void workOrderRequested();
    void notepadRequested();
    void historyRequested();
    // "Add..." beside an ID the equipment list does not hold.
    void addDeviceRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A new palette recolours the "Last time" cells that differ sharply.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* AddButton(int id, const QString& caption, QWidget* parent = nullptr);
    QRadioButton* AddRadio(int id, const QString& caption, QWidget* parent);
    // What a new row's texts need, by column.
    void NoteContentWidths(int row);
    // The columns for the rows shown and the list's width: Item and Test
    // from the user's widths, the reading always in view beside Test, "Last
    // time" in what is left.
    void FitReadingColumns();
    void UpdateDataSheetButtons();
    // The Verdict column and the record's verdict label as SetVerdictsShown said.
    void ShowVerdictColumn();
    // The verdict marks again in the form's palette.
    void RecolourVerdicts();

    CaptureController* m_controller = nullptr;
    std::function<void(int, int)> m_raiseAndResize;
    std::function<void(const QString&)> m_status;
    std::function<void(bool)> m_captureCommandsEnabled;

    QLineEdit* m_editVersion;
    QComboBox* m_comboEquipmentId;
    QTreeWidget* m_listReadings = nullptr; // made after the form's font is set (changeEvent)
    QListWidget* m_listLines;
    QLabel* m_staticSelect;
    QLabel* m_staticResults;
    QLabel* m_recordVerdict; // the record's verdict, under the selector
    QLabel* m_deviceLine;    // the chosen ID in the equipment list, under that
    QPushButton* m_addDevice;
    QRadioButton* m_radioQuellmax;
    QRadioButton* m_radioKappa;
    QRadioButton* m_radioPactrx;
    QPushButton* m_btnDataSheet;
    QPushButton* m_btnAllDataSheets;
    bool m_dataSheetWanted = true; // as the controller said last
    bool m_allDataSheetsRunning = false;
    QPushButton* m_btnResult;
    QPushButton* m_btnClearMemory;
    QPushButton* m_btnClearScreen;
    QPushButton* m_btnHistory;
    QButtonGroup* m_kindGroup;
    bool m_columnsReady = false;
    QSplitter* m_splitter = nullptr;
    ReadingCellDelegate* m_readingCells = nullptr;
    bool m_splitterPlaced = false; // by its first size, the user or a stored place
    std::array<int, kReadingColumns> m_columnWidths{50, 100, 440};
    std::array<int, kColumnsWithVerdict> m_contentWidths{}; // the widest text of each column's rows
    bool m_fittingColumns = false;
    bool m_verdictsShown = false;
    // The record's verdict shown, for a new palette.
    std::optional<verdict::RecordOutcome> m_recordOutcome;
};

} // namespace tessaprint
