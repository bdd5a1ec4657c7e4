#include "app/CQuellmaxApp.h"

#include "app/CMainFrame.h"
#include "docs/DocumentEngine.h"
#include "results/CQuellmaxView.h"
#include "util/SystemProcessLauncher.h"
#include "workorder/CWorkOrder1.h"

#include <QDir>

namespace tessaprint {

CQuellmaxApp::CQuellmaxApp(Parts parts) : m_parts(parts), m_windowSettings(parts.settings)
{
}

CQuellmaxApp::~CQuellmaxApp()
{
    // Also when the window was never closed (a test, a session ending).
    SaveWindow();
    // The controller goes before the form it talks to.
    m_controller.reset();
    m_frame.reset();
}

bool CQuellmaxApp::InitInstance(bool show)
{
    m_frame = std::make_unique<CMainFrame>();
    m_view = new CQuellmaxView;
    docs::WordProcessorFactory wordProcessor = m_parts.wordProcessor;
    if (!wordProcessor) {
        wordProcessor = [] { return std::make_unique<docs::DocumentEngine>(); };
    }
    m_controller = std::make_unique<CaptureController>(m_parts.driver, *m_view, m_parts.settings, m_parts.prompts,
                                                       m_parts.clock, std::move(wordProcessor));
    m_controller->SetKindChangedHandler(m_kindChanged);
    ProcessLauncher* launcher = m_parts.launcher;
    if (!launcher) {
        m_ownLauncher = MakeSystemProcessLauncher();
        launcher = m_ownLauncher.get();
    }
    m_notepad =
        std::make_unique<CNotepad>(*launcher, std::string(), QDir::tempPath().toStdString(), m_parts.editorCloseWaitMs);
    m_controller->SetNotepad(m_notepad.get());
    m_view->SetController(m_controller.get());
    m_frame->SetView(m_view, m_controller.get());

    QObject::connect(m_view, &CQuellmaxView::dataSheetRequested, m_frame.get(),
                     [this] { m_controller->OnDataSheet(); });
    QObject::connect(m_view, &CQuellmaxView::workOrderRequested, m_frame.get(), [this] { OnWorkOrder(); });
    QObject::connect(m_view, &CQuellmaxView::notepadRequested, m_frame.get(), [this] { m_controller->OnNotepad(); });
    QObject::connect(m_frame.get(), &CMainFrame::directoriesRequested, m_frame.get(),
                     [this] { OnOptionsDirectories(); });
    QObject::connect(m_frame.get(), &CMainFrame::newRequested, m_frame.get(), [this] { InitialUpdate(); });
    QObject::connect(m_frame.get(), &CMainFrame::closing, m_frame.get(), [this] { SaveWindow(); });

    InitialUpdate();
    // Only at start: a later update keeps the columns as they are.
    if (const auto widths = m_windowSettings.ReadingColumns()) {
        m_view->SetReadingColumnWidths(*widths);
    }
    if (show) {
        m_frame->show();
        m_frame->raise();
        m_frame->activateWindow();
    }
    return true;
}

void CQuellmaxApp::InitialUpdate()
{
    m_frame->RestoreAtNextResize(m_windowSettings.Geometry());
    m_controller->OnInitialUpdate();
    m_frame->RestoreAtNextResize({}); // only for this update's size request
    m_frame->OnUpdateComN();
}

void CQuellmaxApp::SaveWindow()
{
    if (m_frame && m_view) {
        m_windowSettings.Save(m_frame->saveGeometry(), m_view->ReadingColumnWidths());
    }
}

CWorkOrder1* CQuellmaxApp::workOrder() const
{
    return m_workOrder.data();
}

COptionsDirectory* CQuellmaxApp::directories() const
{
    return m_directories.data();
}

void CQuellmaxApp::OnOptionsDirectories()
{
    if (!m_directories) {
        m_directories = new COptionsDirectory(*m_controller, m_parts.prompts, m_frame.get());
    }
    m_directories->show();
    m_directories->raise();
    m_directories->activateWindow();
}

void CQuellmaxApp::OnWorkOrder()
{
    if (!m_workOrder) {
        CWorkOrder1::Services services{m_workOrderRecord,
                                       m_parts.settings,
                                       m_parts.prompts,
                                       m_parts.clock,
                                       [this] { return m_controller->reportsFolder(); },
                                       [this] { return m_controller->word2007(); },
                                       [this](const std::string& path) { m_controller->DocumentWritten(path); }};
        m_workOrder = new CWorkOrder1(std::move(services), m_workOrderPrompts, m_frame.get());
    }
    m_workOrder->show();
    m_workOrder->raise();
    m_workOrder->activateWindow();
}

int CQuellmaxApp::ExitInstance()
{
    return 0;
}

} // namespace tessaprint
