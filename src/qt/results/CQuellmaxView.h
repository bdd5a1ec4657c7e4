#pragma once

#include "app/FormView.h"

#include <QRect>
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
class QTreeWidget;

namespace tessaprint {

class CaptureController;

// The main form: the received lines, the equipment ID selector, the
// Item/Test/Reading list, the command buttons and the instrument kind. Its
// controls carry their numeric ids as object names and sit where the form's
// dialog units put them when the form has its default size; a larger form
// gives the room to the two lists, a smaller one takes it from the empty band
// below them first, then from the received lines, then from the readings.
// It only displays; its clicks go to the controller.
class CQuellmaxView : public QWidget, public FormView {
    Q_OBJECT
public:
    // The Item, Test and Reading columns (what the settings remember).
    static constexpr int kReadingColumns = 3;
    // The fourth column, the previous test's reading; shown between Test and Reading.
    static constexpr int kLastTimeColumn = 3;
    static constexpr int kLastTimeWidth = 110;
    // A column widens by itself to at most this share of the list's width.
    static constexpr int kAutoColumnPercent = 60;

    explicit CQuellmaxView(QWidget* parent = nullptr);

    // The form's size while the frame has its default size: there every
    // control sits at its dialog-unit place. Until it is known the controls
    // stay there whatever the form's size.
    void SetDefaultSize(QSize size);
    QSize defaultSize() const { return m_defaultSize; }
    // The Item, Test and Reading column widths.
    std::array<int, kReadingColumns> ReadingColumnWidths() const;
    void SetReadingColumnWidths(const std::array<int, kReadingColumns>& widths);

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

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A new palette recolours the "Last time" cells that differ sharply.
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // How a control follows the form's size (any combination).
    enum Anchor : unsigned {
        kFixed = 0,
        kFollowRight = 1U << 0,    // moves with the right edge of the lists
        kWiden = 1U << 1,          // grows with the form's width
        kBelowLines = 1U << 2,     // moves down with the received lines' bottom edge
        kLinesHeight = 1U << 3,    // grows with the received lines' share of the height
        kReadingsHeight = 1U << 4, // grows with the readings' share of the height
    };
    struct Placement {
        QWidget* control;
        QRect rect; // at the default size, in pixels
        unsigned anchors;
    };

    QPushButton* AddButton(int id, const QString& caption, QRect dlu, unsigned anchors);
    QPushButton* AddButtonAt(int id, const QString& caption, QRect pixels, unsigned anchors);
    // A caption wider than its button is drawn in narrower (then slightly
    // smaller) letters, so that it shows whole.
    static void FitCaption(QPushButton* button);
    QRadioButton* AddRadio(int id, const QString& caption, QRect dlu);
    void Place(QWidget* control, QRect rect, unsigned anchors);
    void PlaceControls();
    void SetTabOrder();
    // Widens the columns a new row needs, up to the cap; never narrows one.
    void FitReadingColumns(int row);
    void UpdateDataSheetButtons();

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
    std::vector<Placement> m_placements;
    QSize m_defaultSize;
    // What the default size leaves empty below the lowest control, less a margin.
    int m_spareHeight = 0;
};

} // namespace tessaprint
