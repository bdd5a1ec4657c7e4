#pragma once

#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;

namespace tessaprint {

class CaptureController;
class CQuellmaxView;

// The only top-level window: the form as its client, the menu, the status
// bar, and the Port menu whose check mark follows the port tried last.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    // The form becomes the client; the controller serves the Port menu and the
    // capture file commands.
    void SetView(CQuellmaxView* view, CaptureController* controller);

    QAction* portAction(int n) const;
    // Sets the Port menu's check marks from the controller's port.
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
    void newRequested();

private:
    void CreateMenus();
    void CreateStatusBar();

    CaptureController* m_controller = nullptr;
    QMenu* m_portMenu = nullptr;
    QList<QAction*> m_portActions;
    QLabel* m_statusMessage = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_newAction = nullptr;
};

} // namespace tessaprint
