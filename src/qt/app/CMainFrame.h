#pragma once

#include <QByteArray>
#include <QMainWindow>

#include <functional>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace tessaprint {

class CaptureController;
class CQuellmaxView;
class SerialPortList;

// The only top-level window: the form as its client, the menu, the status
// bar, and the Port menu, whose check mark is on the port that is open and
// whose COM ports say which device each is and what is on it.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // A stored window smaller than this was not stored by this one.
    static constexpr int kLeastStoredWidth = 300;
    static constexpr int kLeastStoredHeight = 200;

    // What a title bar is taken to need while the window system has not said.
    static constexpr int kTitleBarAllowance = 30;

    // builtInReportsFolder: the folder whose tree is made before any setting
    // is read (the built-in one, or the demo's own).
    explicit CMainFrame(const std::string& builtInReportsFolder, QWidget* parent = nullptr);

    // window moved and, down to the minimum, shrunk so that it with its
    // decoration lie inside the area; unchanged when they already do.
    static QRect FittedInto(const QRect& window, const QMargins& decoration, const QRect& area, const QSize& minimum);

    // The next size request (the form's first update asks for the default
    // size) restores this QWidget::saveGeometry geometry instead, when it is
    // usable; an empty one restores nothing.
    void RestoreAtNextResize(QByteArray geometry) { m_pendingGeometry = std::move(geometry); }

    // The form becomes the client; the controller serves the Port menu and the
    // capture file commands.
    void SetView(CQuellmaxView* view, CaptureController* controller);

    // The system's ports and the device of COMn (n from 1 to 10) for the Port
    // menu's labels, which follow when an adapter is plugged in or out.
    void SetPortList(SerialPortList* ports, std::function<QString(int n)> deviceOf);

    QAction* portAction(int n) const;
    // Sets the Port menu's check mark on the open port and its labels from
    // the port list.
    void OnUpdateComN();
    // The status bar's message: "Ready" at first, then the capture's
    // progress or the last result. A menu's prompt covers it only while an
    // item is highlighted.
    void ShowStatusMessage(const QString& text);
    QString statusText() const;
    // "Open folder" beside the status bar's message, until the next message:
    // openFolderRequested(folder) when it is clicked.
    void OfferFolder(const QString& folder);
    // View > History, Equipment and Due for Test: off, with the reason, without a history.
    void SetHistoryAvailable(bool available, const QString& reason);
    // Open and New wait while a capture is in progress.
    void SetCaptureCommandsEnabled(bool enabled);

signals:
    void directoriesRequested();
    void limitsRequested();
    void portSettingsRequested();
    void newRequested();
    void historyRequested();
    void equipmentRequested();
    void dueForTestRequested();
    // File > Data Sheets for All Equipment IDs.
    void allDataSheetsRequested();
    void openFolderRequested(const QString& folder);
    // The window is about to close: the moment to remember its geometry.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    void UpdatePortLabels();
    // The status bar's port ("COM1  /dev/ttyUSB0") and whether it is open
    // ("Connected"), its device missing ("Not connected") or there but not
    // opened ("Port in use").
    void UpdatePortState();
    void RaiseAndResize(int width, int height);
    // False, with the frame as it was, when the geometry is unreadable or
    // would leave the window off every screen.
    bool RestoreStoredGeometry(const QByteArray& geometry);
    // Into the available area of the screen that shows most of the window.
    void FitOnScreen();

    CaptureController* m_controller = nullptr;
    QMenu* m_portMenu = nullptr;
    QList<QAction*> m_portActions;
    SerialPortList* m_ports = nullptr;
    std::function<QString(int n)> m_deviceOf;
    QLabel* m_statusMessage = nullptr;
    QLabel* m_statusPort = nullptr;
    QLabel* m_statusConnection = nullptr;
    QPushButton* m_openFolder = nullptr;
    QString m_folderOffered;
    QAction* m_openAction = nullptr;
    QAction* m_newAction = nullptr;
    QAction* m_csvAction = nullptr;
    QAction* m_historyAction = nullptr;
    QAction* m_equipmentAction = nullptr;
    QAction* m_dueAction = nullptr;
    QAction* m_allDataSheetsAction = nullptr;
    QByteArray m_pendingGeometry;
    bool m_fittedInFrame = false;
};

} // namespace tessaprint
