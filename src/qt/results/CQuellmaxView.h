#pragma once

#include "app/FormView.h"

#include <QWidget>

#include <functional>

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
// dialog units put them. It only displays; its clicks go to the controller.
class CQuellmaxView : public QWidget, public FormView {
    Q_OBJECT
public:
    // The form measures 614 × 411 dialog units.
    static constexpr int kFormWidthDlu = 614;
    static constexpr int kFormHeightDlu = 411;

    explicit CQuellmaxView(QWidget* parent = nullptr);

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
    std::string VersionText() const override;
    void SetDataSheetEnabled(bool enabled) override;
    bool IsDataSheetEnabled() const override;
    std::optional<InstrumentKind> CheckedKind() const override;
    void SetCheckedKind(std::optional<InstrumentKind> kind) override;
    void SetCaptureCommandsEnabled(bool enabled) override;
    void RaiseAndResizeFrame(int width, int height) override;
    void ShowStatus(const std::string& text) override;

signals:
    void dataSheetRequested();
    void workOrderRequested();
    void notepadRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QPushButton* AddButton(int id, const QString& caption, QRect dlu);
    QRadioButton* AddRadio(int id, const QString& caption, QRect dlu);

    CaptureController* m_controller = nullptr;
    std::function<void(int, int)> m_raiseAndResize;
    std::function<void(const QString&)> m_status;
    std::function<void(bool)> m_captureCommandsEnabled;

    QLineEdit* m_editVersion;
    QComboBox* m_comboEquipmentId;
    QTreeWidget* m_listReadings;
    QListWidget* m_listLines;
    QLabel* m_staticSelect;
    QLabel* m_staticResults;
    QRadioButton* m_radioQuellmax;
    QRadioButton* m_radioKappa;
    QRadioButton* m_radioPactrx;
    QPushButton* m_btnDataSheet;
    QPushButton* m_btnResult;
    QPushButton* m_btnClearMemory;
    QPushButton* m_btnClearScreen;
    QButtonGroup* m_kindGroup;
    bool m_columnsReady = false;
};

} // namespace tessaprint
