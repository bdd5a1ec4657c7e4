#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/CaptureController.h"
#include "link/SerialPortList.h"
#include "results/CQuellmaxView.h"
#include "results/ReportsFolder.h"
#include "util/ControlId.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <tuple>
#include <utility>

namespace tessaprint {

CMainFrame::CMainFrame(const std::string& builtInReportsFolder, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(ControlName(ControlId::Window::MainFrame));
    // The tree of the built-in folder, before any setting is read.
    // A folder that cannot be made is said at the first save into it.
    (void)CreateReportsFolderTree(builtInReportsFolder);

    setWindowTitle(QStringLiteral("Tessaprint"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    // The position is the window's frame (title bar included), so that the
    // title bar starts on the screen.
    move(0, 0);
    resize(1200, 1200);
    CreateMenus();
    CreateStatusBar();
}

void CMainFrame::CreateMenus()
{
    const auto action = [this](QMenu* menu, const QString& label, int id, const QString& prompt = {}) {
        QAction* a = menu->addAction(label);
        a->setObjectName(ControlName(id));
        a->setStatusTip(prompt);
        return a;
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    QAction* open = action(file, QStringLiteral("&Open Captured Lines..."), ControlId::Command::FileOpen,
                           QStringLiteral("Show and parse lines saved from an earlier capture"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* save = action(file, QStringLiteral("&Save Captured Lines..."), ControlId::Command::FileSave,
                           QStringLiteral("Save the received lines to a text file"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* csv = action(file, QStringLiteral("Export Results as &CSV..."), ControlId::Command::FileExportCsv,
                          QStringLiteral("Save every equipment ID's readings as a table for a maintenance system"));
    QAction* fresh =
        action(file, QStringLiteral("&New"), ControlId::Command::FileNew, QStringLiteral("Read the settings again"));
    fresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    file->addSeparator();
    m_allDataSheetsAction =
        action(file, QStringLiteral("Data Sheets for &All Equipment IDs"), ControlId::Command::FileAllDataSheets,
               QStringLiteral("Write the test record of every equipment ID into the reports folder"));
    connect(m_allDataSheetsAction, &QAction::triggered, this, &CMainFrame::allDataSheetsRequested);
    file->addSeparator();
    QAction* exit = action(file, QStringLiteral("E&xit"), ControlId::Command::FileExit,
                           QStringLiteral("Quit the application; prompts to save documents"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(open, &QAction::triggered, this, [this] {
        if (m_controller) {
            m_controller->OnOpenCapture();
        }
    });
    connect(save, &QAction::triggered, this, [this] {
        if (m_controller) {
            m_controller->OnSaveCapture();
        }
    });
    connect(csv, &QAction::triggered, this, [this] {
        if (m_controller) {
            m_controller->OnExportCsv();
        }
    });
    connect(fresh, &QAction::triggered, this, &CMainFrame::newRequested);
    m_openAction = open;
    m_csvAction = csv;
    m_newAction = fresh;

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    QAction* statusBarAction = action(view, QStringLiteral("&Status Bar"), ControlId::Command::ViewStatusBar,
                                      QStringLiteral("Show or hide the status bar"));
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addSeparator();
    m_historyAction = action(view, QStringLiteral("&History..."), ControlId::Command::ViewHistory,
                             QStringLiteral("Show an equipment ID's tests over time"));
    // Also while the form has the focus; off with the item.
    m_historyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(m_historyAction, &QAction::triggered, this, &CMainFrame::historyRequested);
    m_equipmentAction = action(view, QStringLiteral("&Equipment..."), ControlId::Command::ViewEquipment,
                               QStringLiteral("Show and edit the department's equipment list"));
    connect(m_equipmentAction, &QAction::triggered, this, &CMainFrame::equipmentRequested);
    m_dueAction = action(view, QStringLiteral("&Due for Test..."), ControlId::Command::ViewDueForTest,
                         QStringLiteral("Show which devices are due, overdue or failed their last test"));
    connect(m_dueAction, &QAction::triggered, this, &CMainFrame::dueForTestRequested);

    m_portMenu = menuBar()->addMenu(QStringLiteral("&Port"));
    m_portMenu->setObjectName(QStringLiteral("menuPort"));
    for (int n = 1; n <= ControlId::Command::PortCount; ++n) {
        QAction* port = action(m_portMenu, QStringLiteral("COM%1").arg(n), ControlId::Command::Port(n));
        port->setCheckable(true);
        connect(port, &QAction::triggered, this, [this, n] {
            if (m_controller) {
                m_controller->SwitchPort(n);
            }
            OnUpdateComN();
        });
        m_portActions.append(port);
    }
    m_portMenu->addSeparator();
    QAction* portSettings = action(m_portMenu, QStringLiteral("&Settings..."), ControlId::Command::PortSettings,
                                   QStringLiteral("Show the serial ports and choose the device of each COM port"));
    connect(portSettings, &QAction::triggered, this, &CMainFrame::portSettingsRequested);
    connect(m_portMenu, &QMenu::aboutToShow, this, &CMainFrame::OnUpdateComN);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("menuOptions"));
    QAction* directories = action(options, QStringLiteral("&Directories..."), ControlId::Command::OptionsDirectories,
                                  QStringLiteral("Choose the reports folder and whether documents get a PDF copy"));
    connect(directories, &QAction::triggered, this, &CMainFrame::directoriesRequested);
    QAction* limits = action(options, QStringLiteral("&Limits..."), ControlId::Command::OptionsLimits,
                             QStringLiteral("Choose whether and by which limits the readings are judged"));
    connect(limits, &QAction::triggered, this, &CMainFrame::limitsRequested);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    QAction* about = action(help, QStringLiteral("&About Tessaprint..."), ControlId::Command::HelpAbout,
                            QStringLiteral("Display program information, version number and copyright"));
    connect(about, &QAction::triggered, this, [this] {
        CAboutDlg dialog(this);
        dialog.exec();
    });
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(ControlName(ControlId::Frame::StatusBar));
    // Where the instrument is and whether the program can talk to it: what
    // the technician looks for when RESULT brings nothing.
    m_statusPort = new QLabel(bar);
    m_statusPort->setObjectName(QStringLiteral("statusPort"));
    m_statusPort->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(m_statusPort);
    m_statusConnection = new QLabel(bar);
    m_statusConnection->setObjectName(QStringLiteral("statusConnection"));
    m_statusConnection->setTextFormat(Qt::PlainText);
    bar->addPermanentWidget(m_statusConnection);
    // A widget of the bar, not a passing message: a menu's prompt hides it
    // while an item is highlighted and it comes back afterwards.
    m_statusMessage = new QLabel(QStringLiteral("Ready"), bar);
    m_statusMessage->setObjectName(QStringLiteral("statusMessage"));
    m_statusMessage->setTextFormat(Qt::PlainText);
    // Long messages must not widen the window.
    m_statusMessage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_statusMessage->setMinimumWidth(1);
    bar->insertWidget(0, m_statusMessage, 1);
    m_openFolder = new QPushButton(QStringLiteral("Open folder"), bar);
    m_openFolder->setObjectName(QStringLiteral("statusOpenFolder"));
    m_openFolder->setFlat(true);
    m_openFolder->setFocusPolicy(Qt::NoFocus); // the form's Tab order stays the form's
    m_openFolder->hide();
    bar->insertWidget(1, m_openFolder);
    connect(m_openFolder, &QPushButton::clicked, this, [this] { emit openFolderRequested(m_folderOffered); });
    UpdatePortState();
}

void CMainFrame::OfferFolder(const QString& folder)
{
    m_folderOffered = folder;
    m_openFolder->setToolTip(folder);
    m_openFolder->show();
}

void CMainFrame::UpdatePortState()
{
    const int n = m_controller ? m_controller->currentPort() : 0;
    if (n == 0) {
        m_statusPort->setText(QStringLiteral("No port"));
        m_statusPort->setToolTip(QString());
        m_statusConnection->setText(QStringLiteral("Not connected"));
        return;
    }
    // As the Port menu names it, without what the system lists there.
    QString port = QStringLiteral("COM%1").arg(n);
    QString device;
    const QList<SerialPortEntry> ports = m_ports ? m_ports->Ports() : QList<SerialPortEntry>();
    if (m_deviceOf) {
        device = m_deviceOf(n);
#ifndef Q_OS_WIN
        port += QStringLiteral("  ") + device;
#endif
    }
    m_statusPort->setText(port);
    m_statusPort->setToolTip(m_deviceOf ? port + SerialPortList::Presence(device, ports) : port);
    if (m_controller->IsPortOpen()) {
        m_statusConnection->setText(QStringLiteral("Connected"));
    } else if (m_controller->IsWaitingForAdapter() || (m_deviceOf && !SerialPortList::IsThere(device, ports))) {
        m_statusConnection->setText(QStringLiteral("Not connected"));
    } else {
        // Found but not opened: "Port COMn is in use !", as the program says when it tries.
        m_statusConnection->setText(QStringLiteral("Port in use"));
    }
}

void CMainFrame::SetHistoryAvailable(bool available, const QString& reason)
{
    m_historyAction->setEnabled(available);
    m_historyAction->setToolTip(available ? QStringLiteral("History (Ctrl+H)") : reason);
    m_historyAction->setStatusTip(available ? QStringLiteral("Show an equipment ID's tests over time") : reason);
    // The equipment list lives in the history's database.
    for (QAction* action : {m_equipmentAction, m_dueAction}) {
        action->setEnabled(available);
        action->setToolTip(available ? action->text().remove(QLatin1Char('&')).remove(QStringLiteral("...")) : reason);
    }
}

void CMainFrame::SetView(CQuellmaxView* view, CaptureController* controller)
{
    m_controller = controller;
    setCentralWidget(view);
    // Keys for the form's busiest buttons, from any control of the window. A
    // button's own shortcut would click it a moment later (it is drawn
    // pressed first); these click it at once, and only while it is on.
    for (const auto& [id, key, caption] :
         {std::tuple{ControlId::Form::Result, QKeySequence(Qt::Key_F5), "RESULT"},
          std::tuple{ControlId::Form::DataSheet, QKeySequence(Qt::CTRL | Qt::Key_D), "Data Sheet"}}) {
        auto* button = view->findChild<QAbstractButton*>(ControlName(id));
        if (!button) {
            continue;
        }
        auto* shortcut = new QAction(this);
        shortcut->setShortcut(key);
        addAction(shortcut);
        connect(shortcut, &QAction::triggered, button, [button] {
            if (button->isEnabled() && button->isVisible()) {
                button->click();
            }
        });
        button->setToolTip(
            QStringLiteral("%1 (%2)").arg(QLatin1String(caption), key.toString(QKeySequence::NativeText)));
    }
    view->SetFrameHooks([this](int width, int height) { RaiseAndResize(width, height); },
                        [this](const QString& text) { ShowStatusMessage(text); },
                        [this](bool enabled) { SetCaptureCommandsEnabled(enabled); });
    // The menu item goes on and off with Data Sheet.
    m_allDataSheetsAction->setEnabled(view->IsDataSheetEnabled());
    connect(view, &CQuellmaxView::dataSheetEnabledChanged, m_allDataSheetsAction, &QAction::setEnabled);
    OnUpdateComN();
}

void CMainFrame::RaiseAndResize(int width, int height)
{
    raise();
    activateWindow();
    const QByteArray stored = std::exchange(m_pendingGeometry, QByteArray());
    if (stored.isEmpty() || !RestoreStoredGeometry(stored)) {
        resize(width, height);
        // The default size is taller than a laptop's screen: the status bar must not fall off it.
        FitOnScreen();
    }
}

QRect CMainFrame::FittedInto(const QRect& window, const QMargins& decoration, const QRect& area, const QSize& minimum)
{
    const QRect outer = window.marginsAdded(decoration);
    if (area.contains(outer)) {
        return window;
    }
    const QSize size = outer.size().boundedTo(area.size()).expandedTo(minimum.grownBy(decoration));
    const QRect moved(std::clamp(outer.x(), area.x(), std::max(area.x(), area.x() + area.width() - size.width())),
                      std::clamp(outer.y(), area.y(), std::max(area.y(), area.y() + area.height() - size.height())),
                      size.width(), size.height());
    return moved.marginsRemoved(decoration);
}

void CMainFrame::FitOnScreen()
{
    if (isMaximized() || isFullScreen()) {
        return;
    }
    // The screen that shows most of the window; the decoration is what the
    // window system adds around it. Until the window system has framed the
    // window that is not known: a title bar's height is kept free above it.
    const QRect now = geometry();
    const QRect outer = frameGeometry();
    QMargins decoration(now.left() - outer.left(), now.top() - outer.top(), outer.right() - now.right(),
                        outer.bottom() - now.bottom());
    const bool framed = testAttribute(Qt::WA_WState_Created) && !decoration.isNull();
    if (!framed) {
        decoration = QMargins(0, kTitleBarAllowance, 0, 0);
    }
    const QRect window = framed ? now : QRect(pos() + QPoint(decoration.left(), decoration.top()), now.size());
    const QScreen* best = QGuiApplication::primaryScreen();
    long long bestArea = -1;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(window.marginsAdded(decoration));
        const long long area = seen.isEmpty() ? 0 : 1LL * seen.width() * seen.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best) {
        return;
    }
    const QRect fitted = FittedInto(window, decoration, best->availableGeometry(), minimumSizeHint());
    if (fitted != window) {
        resize(fitted.size());
        // A window's position is that of its frame.
        move(fitted.topLeft() - QPoint(decoration.left(), decoration.top()));
    }
}

bool CMainFrame::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // Once the window system has framed the window, its real title bar and
    // borders are known: fitted again with them, once.
    if (!m_fittedInFrame && isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show) &&
        frameGeometry() != geometry()) {
        m_fittedInFrame = true;
        FitOnScreen();
    }
    return handled;
}

bool CMainFrame::RestoreStoredGeometry(const QByteArray& geometry)
{
    // Qt reads a cut-off or hand-made geometry as a window of no size or of
    // one pixel, which the minimum size would then hide; a window not half
    // as large as the smallest frame was not stored by this one.
    QWidget probe;
    if (!probe.restoreGeometry(geometry) || probe.width() < kLeastStoredWidth || probe.height() < kLeastStoredHeight ||
        !restoreGeometry(geometry)) {
        return false;
    }
    // Qt brings a window stored off the screens back, but may leave its
    // corner (and the window menu) off the edge or make it larger than the
    // screen.
    FitOnScreen();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    emit closing();
    QMainWindow::closeEvent(event);
}

QAction* CMainFrame::portAction(int n) const
{
    return n >= 1 && n <= m_portActions.size() ? m_portActions[n - 1] : nullptr;
}

void CMainFrame::SetPortList(SerialPortList* ports, std::function<QString(int n)> deviceOf)
{
    if (m_ports) {
        disconnect(m_ports, nullptr, this, nullptr);
    }
    m_ports = ports;
    m_deviceOf = std::move(deviceOf);
    if (m_ports) {
        connect(m_ports, &SerialPortList::changed, this, &CMainFrame::UpdatePortLabels);
    }
    UpdatePortLabels();
}

void CMainFrame::OnUpdateComN()
{
    // A port that is busy or was lost has no mark, though it is the one tried last.
    const int open = m_controller && m_controller->IsPortOpen() ? m_controller->currentPort() : 0;
    for (int n = 1; n <= m_portActions.size(); ++n) {
        m_portActions[n - 1]->setChecked(n == open);
    }
    UpdatePortLabels();
}

void CMainFrame::UpdatePortLabels()
{
    const QList<SerialPortEntry> ports = m_ports ? m_ports->Ports() : QList<SerialPortEntry>();
    for (int n = 1; n <= m_portActions.size(); ++n) {
        // The port's last digit is its mnemonic: Alt+P, 1 … 9, 0.
        QString label = QStringLiteral("COM%1").arg(n);
        label.insert(label.size() - 1, QLatin1Char('&'));
        if (m_deviceOf) {
            const QString device = m_deviceOf(n);
#ifdef Q_OS_WIN
            const QString shown = SerialPortList::Presence(device, ports); // COMn is the device itself
#else
            const QString shown = QStringLiteral("  ") + device + SerialPortList::Presence(device, ports);
#endif
            label += QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")); // no mnemonics from names
        }
        m_portActions[n - 1]->setText(label);
    }
    UpdatePortState();
}

void CMainFrame::ShowStatusMessage(const QString& text)
{
    m_statusMessage->setText(text);
    m_statusMessage->setToolTip(text);
    m_openFolder->hide(); // it went with the message before
    // A message may tell of the port: lost, open again, switched.
    UpdatePortState();
}

QString CMainFrame::statusText() const
{
    return m_statusMessage->text();
}

void CMainFrame::SetCaptureCommandsEnabled(bool enabled)
{
    m_openAction->setEnabled(enabled);
    m_newAction->setEnabled(enabled);
    m_csvAction->setEnabled(enabled); // a capture still arriving is not all of it
}

} // namespace tessaprint
