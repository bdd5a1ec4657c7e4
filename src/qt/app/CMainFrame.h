#pragma once

#include <QByteArray>
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
    // The smallest frame (menu and status bar included): with a 30-pixel
    // title bar and a 48-pixel panel it fits a 1366 × 768 screen with 90
    // pixels to spare for taller title bars, a second panel or larger fonts,
    // and an 800 × 600 screen whole.
    static constexpr int kMinimumWidth = 800;
    static constexpr int kMinimumHeight = 600;

    explicit CMainFrame(QWidget* parent = nullptr);

    // The next size request (the form's first update asks for the default
    // size) restores this QWidget::saveGeometry geometry instead, when it is
    // usable; an empty one restores nothing.
    void RestoreAtNextResize(QByteArray geometry) { m_pendingGeometry = std::move(geometry); }
    // The form's size inside a frame of this size with the status bar shown.
    QSize FormSizeIn(QSize frameSize) const;

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
    // The window is about to close: the moment to remember its geometry.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    void RaiseAndResize(int width, int height);
    // False, with the frame as it was, when the geometry is unreadable or
    // would leave the window off every screen.
    bool RestoreStoredGeometry(const QByteArray& geometry);

    CaptureController* m_controller = nullptr;
    QMenu* m_portMenu = nullptr;
    QList<QAction*> m_portActions;
    QLabel* m_statusMessage = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_newAction = nullptr;
    QByteArray m_pendingGeometry;
};

} // namespace tessaprint
