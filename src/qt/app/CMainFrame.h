#pragma once

#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;

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
    explicit CMainFrame(QWidget* parent = nullptr);

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
    // Open and New wait while a capture is in progress.
    void SetCaptureCommandsEnabled(bool enabled);

signals:
    void directoriesRequested();
    void portSettingsRequested();
    void newRequested();

private:
    void CreateMenus();
    void CreateStatusBar();
    void UpdatePortLabels();

    CaptureController* m_controller = nullptr;
    QMenu* m_portMenu = nullptr;
    QList<QAction*> m_portActions;
    SerialPortList* m_ports = nullptr;
    std::function<QString(int n)> m_deviceOf;
    QLabel* m_statusMessage = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_newAction = nullptr;
};

} // namespace tessaprint
