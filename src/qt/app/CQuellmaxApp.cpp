#include "app/CQuellmaxApp.h"

#include "app/CMainFrame.h"
#include "docs/DocumentEngine.h"
#include "docs/DocumentOpener.h"
#include "history/CDueForTestDlg.h"
#include "history/CEquipmentDlg.h"
#include "history/CHistoryDlg.h"
#include "history/QtHistoryRecorder.h"
#include "link/CPortSettingsDlg.h"
#include "link/QtSerialDriver.h"
#include "link/SystemSerialPortList.h"
#include "results/AllDataSheetsRunner.h"
#include "results/CAllDataSheetsDlg.h"
#include "results/COptionsLimits.h"
#include "results/CQuellmaxView.h"
#include "results/CaptureArchive.h"
#include "results/ReportsFolder.h"
#include "text/Plural.h"
#include "util/BusyWaitLauncher.h"
#include "util/ControlId.h"
#include "util/QtProcessRunner.h"
#include "util/SystemProcessLauncher.h"
#include "util/ToolWindowPlacement.h"
#include "util/Utf8Path.h"
#include "workorder/CWorkOrder1.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStandardPaths>

namespace tessaprint {

namespace {

// A window of the program shown, above the others and with the focus.
void BringToFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

CQuellmaxApp::CQuellmaxApp(Parts parts) : m_parts(parts), m_windowSettings(parts.settings)
{
}

CQuellmaxApp::~CQuellmaxApp()
{
    // Also when the window was never closed (a test, a session ending).
    SaveWindow();
    StopAllDataSheets();
    // A conversion under way ends first; the controller goes before the form it
    // talks to, the history's thread after both.
    m_pdfCopies.reset();
    m_controller.reset();
    m_frame.reset();
    m_recorder.reset();
}

bool CQuellmaxApp::InitInstance(bool show)
{
    // Every window without an icon of its own, the About box and the desktop's task list show this one.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tessaprint/tessaprint.svg")));
    m_frame = std::make_unique<CMainFrame>(m_parts.ownReportsFolder.empty() ? DefaultReportsFolder()
                                                                            : m_parts.ownReportsFolder);
    m_view = new CQuellmaxView;
    docs::WordProcessorFactory wordProcessor = m_parts.wordProcessor;
    if (!wordProcessor) {
        wordProcessor = [] { return std::make_unique<docs::DocumentEngine>(); };
    }
    m_controller = std::make_unique<CaptureController>(m_parts.driver, *m_view, m_parts.settings, m_parts.prompts,
                                                       m_parts.clock, std::move(wordProcessor));
    m_controller->SetKindChangedHandler(m_kindChanged);
    m_controller->SetOwnReportsFolder(m_parts.ownReportsFolder);
    if (m_parts.officeEnvironment) {
        m_controller->SetOfficeEnvironment(*m_parts.officeEnvironment);
    }
    m_pdfCopies = std::make_unique<PdfCopyQueue>(MakeSystemProcessRunner(), QDir::tempPath().toStdString(),
                                                 OfficeProfileRoot().toStdString());
    m_pdfCopies->SetDoneHandler([this](const std::string& document, const Result<std::string>& pdf) {
        m_controller->PdfCopyDone(document, pdf);
    });
    m_controller->SetPdfCopier([copies = m_pdfCopies.get()](const docs::PdfJob& job) { copies->Request(job); });
    ProcessLauncher* launcher = m_parts.launcher;
    if (!launcher) {
        m_ownLauncher = MakeSystemProcessLauncher();
        launcher = m_ownLauncher.get();
    }
    // While the program waits for an editor to close it looks busy and takes no clicks.
    m_busyLauncher = std::make_unique<BusyWaitLauncher>(*launcher);
    m_notepad = std::make_unique<CNotepad>(*m_busyLauncher, std::string(), QDir::tempPath().toStdString(),
                                           m_parts.editorCloseWaitMs);
    CNotepad::DesktopDefaultQuery textDefault = m_parts.desktopTextDefault;
    if (!textDefault) {
        textDefault = [] { return !DocumentOpener::QueryXdgDefault(QStringLiteral("text/plain")).isEmpty(); };
    }
    m_notepad->SetDesktopDefaultQuery(std::move(textDefault));
    m_controller->SetNotepad(m_notepad.get());
    m_view->SetController(m_controller.get());
    m_frame->SetView(m_view, m_controller.get());
    SerialPortList* ports = m_parts.ports;
    if (!ports) {
        m_ownPorts = std::make_unique<SystemSerialPortList>(m_parts.clock);
        ports = m_ownPorts.get();
    }
    m_frame->SetPortList(
        ports, [resolver = QtSerialDriver::SettingsResolver(m_parts.settings)](int n) { return resolver(n - 1); });

    QObject::connect(m_view, &CQuellmaxView::dataSheetRequested, m_frame.get(),
                     [this] { m_controller->OnDataSheet(); });
    // A document that nothing opened: "Open folder" beside the status bar's message.
    m_controller->SetFolderActionHandler(
        [this](const std::string& folder) { m_frame->OfferFolder(QString::fromStdString(folder)); });
    QObject::connect(m_frame.get(), &CMainFrame::openFolderRequested, m_frame.get(),
                     [this](const QString& folder) { m_controller->OpenFolder(folder.toStdString()); });
    m_allDataSheets = std::make_unique<AllDataSheetsRunner>();
    QObject::connect(m_view, &CQuellmaxView::allDataSheetsRequested, m_frame.get(), [this] { OnAllDataSheets(); });
    QObject::connect(m_frame.get(), &CMainFrame::allDataSheetsRequested, m_frame.get(), [this] { OnAllDataSheets(); });
    QObject::connect(
        m_allDataSheets.get(), &AllDataSheetsRunner::progress, m_frame.get(),
        [this](int index, int total, const QString& id) {
            if (m_allDataSheetsProgress) {
                m_allDataSheetsProgress->SetProgress(
                    index, total,
                    QString::fromStdString(docs::AllDataSheetsProgressText(index, total, id.toStdString())));
            }
        });
    QObject::connect(m_allDataSheets.get(), &AllDataSheetsRunner::finished, m_frame.get(),
                     [this] { AllDataSheetsFinished(); });
    QObject::connect(m_view, &CQuellmaxView::workOrderRequested, m_frame.get(), [this] { OnWorkOrder(); });
    QObject::connect(m_view, &CQuellmaxView::notepadRequested, m_frame.get(), [this] { m_controller->OnNotepad(); });
    QObject::connect(m_frame.get(), &CMainFrame::directoriesRequested, m_frame.get(),
                     [this] { OnOptionsDirectories(); });
    QObject::connect(m_frame.get(), &CMainFrame::limitsRequested, m_frame.get(), [this] { OnOptionsLimits(); });
    QObject::connect(m_frame.get(), &CMainFrame::portSettingsRequested, m_frame.get(), [this] { OnPortSettings(); });
    QObject::connect(m_frame.get(), &CMainFrame::newRequested, m_frame.get(), [this] { InitialUpdate(); });
    QObject::connect(m_view, &CQuellmaxView::historyRequested, m_frame.get(), [this] { OnHistory(); });
    QObject::connect(m_frame.get(), &CMainFrame::historyRequested, m_frame.get(), [this] { OnHistory(); });
    QObject::connect(m_frame.get(), &CMainFrame::equipmentRequested, m_frame.get(), [this] { OnEquipment(); });
    QObject::connect(m_frame.get(), &CMainFrame::dueForTestRequested, m_frame.get(), [this] { OnDueForTest(); });
    // "Add..." beside an ID the list does not hold: a new row for it.
    QObject::connect(m_view, &CQuellmaxView::addDeviceRequested, m_frame.get(), [this] {
        const QString id = QString::fromStdString(m_controller->ChosenEquipmentId());
        OnEquipment();
        if (m_equipment) {
            m_equipment->AddRow(id);
        }
    });
    QObject::connect(m_frame.get(), &CMainFrame::closing, m_frame.get(), [this] {
        SaveWindow();
        StopAllDataSheets();
    });

    InitialUpdate();
    StartHistory();
    // Only at start: a later update keeps the columns as they are.
    if (const auto widths = m_windowSettings.ReadingColumns()) {
        m_view->SetReadingColumnWidths(*widths);
    }
    m_view->RestoreSplitterState(m_windowSettings.Splitter());
    if (show) {
        BringToFront(m_frame.get());
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

QString CQuellmaxApp::HistoryQueueFile() const
{
    return m_parts.historyQueueFile.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                                                    QStringLiteral("/history-queue.json")
                                              : m_parts.historyQueueFile;
}

QString CQuellmaxApp::OfficeProfileRoot() const
{
    // Beside the program's other data: the demo's stays in the demo's folder.
    return QFileInfo(HistoryQueueFile()).absolutePath();
}

void CQuellmaxApp::StartHistory()
{
    if (!m_parts.historyStore) {
        const QString reason = QStringLiteral("No history store");
        m_view->SetHistoryAvailable(false, reason);
        m_frame->SetHistoryAvailable(false, reason);
        return;
    }
    const QString queueFile = HistoryQueueFile();
    m_recorder = std::make_unique<QtHistoryRecorder>(
        m_parts.historyStore, m_parts.clock, queueFile,
        [this](const std::string& text) { m_frame->ShowStatusMessage(QString::fromStdString(text)); });
    m_controller->SetHistorySink(m_recorder.get());
    QObject::connect(m_recorder.get(), &QtHistoryRecorder::captureRecorded, m_frame.get(),
                     [this] { RefreshDueList(); });
    m_view->SetHistoryAvailable(true, {});
    m_frame->SetHistoryAvailable(true, {});
    ReadStoredEquipment();

    // Captures from before the history are taken in once, in the background.
    if (m_parts.settings.Read(settings::kArchiveImported) == "1") {
        return;
    }
    const std::string folder = PathToUtf8(CaptureArchiveFolder(m_controller->reportsFolder()));
    m_recorder->ImportArchive(folder, [this](const QtHistoryRecorder::ImportCounts& counts) {
        if (counts.failed > 0) {
            m_frame->ShowStatusMessage(
                QStringLiteral("History server not reachable (%1): the capture archive is taken in at the next start.")
                    .arg(QString::fromStdString(counts.firstError)));
            return;
        }
        m_parts.settings.Write(settings::kArchiveImported, "1");
        if (counts.added > 0 || counts.unreadable > 0 || !counts.refused.empty()) {
            // A refused file is named with its reason; the archive keeps it.
            QString refused;
            for (const std::string& file : counts.refused) {
                refused += (refused.isEmpty() ? QStringLiteral("; the history refused ") : QStringLiteral(", ")) +
                           QString::fromStdString(file);
            }
            m_frame->ShowStatusMessage(
                QStringLiteral("History: %1 from the capture archive taken in%2%3.")
                    .arg(QString::fromStdString(Plural(static_cast<std::size_t>(counts.added), "capture", "captures")),
                         counts.unreadable > 0 ? QStringLiteral("; %1 could not be read").arg(counts.unreadable)
                                               : QString(),
                         refused));
        }
    });
}

CHistoryDlg* CQuellmaxApp::history() const
{
    return m_history.data();
}

void CQuellmaxApp::OnHistory()
{
    if (!m_recorder) {
        return;
    }
    if (!m_history) {
        m_history = new CHistoryDlg(
            *m_recorder, [this](const history::HistoryRecord& record) { m_controller->OnPastDataSheet(record); },
            m_frame.get());
        PlaceBeside(m_history, m_frame.get(), KeepInView());
    }
    BringToFront(m_history);
}

void CQuellmaxApp::ReadStoredEquipment()
{
    m_recorder->WithEquipment<std::vector<verdict::Device>>(
        [](history::EquipmentStore& store) { return store.Equipment(); },
        [this](const Result<std::vector<verdict::Device>>& devices) {
            // A history that cannot be read now: no list, as without a history.
            if (devices) {
                m_controller->SetStoredEquipment(devices.value());
            }
        });
}

CEquipmentDlg* CQuellmaxApp::equipment() const
{
    return m_equipment.data();
}

void CQuellmaxApp::OnEquipment()
{
    if (!m_recorder) {
        return;
    }
    if (!m_equipment) {
        m_equipment = new CEquipmentDlg(
            *m_recorder, m_parts.prompts,
            [this](const std::vector<verdict::Device>& devices) {
                m_controller->SetStoredEquipment(devices);
                RefreshDueList();
            },
            m_frame.get());
        PlaceBeside(m_equipment, m_frame.get(), KeepInView());
    }
    BringToFront(m_equipment);
}

CDueForTestDlg* CQuellmaxApp::dueForTest() const
{
    return m_dueForTest.data();
}

void CQuellmaxApp::RefreshDueList()
{
    // A schedule on screen follows a new capture and a changed list; a
    // hidden one is asked again when it is shown.
    if (m_dueForTest && m_dueForTest->isVisible()) {
        m_dueForTest->Refresh();
    }
}

void CQuellmaxApp::OnDueForTest()
{
    if (!m_recorder) {
        return;
    }
    if (!m_dueForTest) {
        // "Failed" is judged by Options > Limits' files and the stored list,
        // whether or not the form shows verdicts; files with a fault judge nothing.
        const auto engine = [this]() -> std::shared_ptr<const verdict::VerdictEngine> {
            LimitsChoice choice = m_controller->limitsChoice();
            choice.on = true;
            const auto& stored = m_controller->storedEquipment();
            Result<std::shared_ptr<const verdict::VerdictEngine>> made =
                MakeChosenEngine(choice, stored ? &*stored : nullptr);
            return made ? made.value() : nullptr;
        };
        m_dueForTest = new CDueForTestDlg(
            *m_recorder, m_parts.clock, engine,
            [this](const QString& id) {
                OnHistory();
                if (m_history) {
                    m_history->ShowId(id);
                }
            },
            m_frame.get());
        PlaceBeside(m_dueForTest, m_frame.get(), KeepInView());
    }
    BringToFront(m_dueForTest);
}

void CQuellmaxApp::SaveWindow()
{
    if (m_frame && m_view) {
        m_windowSettings.Save(m_frame->saveGeometry(), m_view->ReadingColumnWidths(), m_view->SplitterState());
    }
}

void CQuellmaxApp::OnAllDataSheets()
{
    if (m_allDataSheets->IsRunning() || m_pdfPhase || !m_view->IsDataSheetEnabled()) {
        return;
    }
    m_view->SetAllDataSheetsRunning(true);
    m_allDataSheetsProgress = new CAllDataSheetsDlg(m_frame.get());
    QObject::connect(m_allDataSheetsProgress, &CAllDataSheetsDlg::cancelRequested, m_frame.get(), [this] {
        if (m_pdfPhase) {
            m_pdfCopies->Cancel(m_pdfPhase->ticket);
        } else {
            m_allDataSheets->Cancel();
        }
    });
    PlaceBeside(m_allDataSheetsProgress, m_frame.get(), KeepInView());
    m_allDataSheetsProgress->show();
    m_allDataSheets->Start(m_controller->AllDataSheetsSnapshot(), m_controller->wordProcessor(), m_parts.clock);
}

CAllDataSheetsDlg* CQuellmaxApp::allDataSheetsProgress() const
{
    return m_allDataSheetsProgress.data();
}

void CQuellmaxApp::AllDataSheetsFinished()
{
    docs::AllDataSheetsResult result = m_allDataSheets->result();
    if (result.written.empty() || !m_controller->savePdf()) {
        EndAllDataSheets(result);
        return;
    }
    docs::PdfCopiesOutcome copies;
    copies.total = static_cast<int>(result.written.size());
    const Result<docs::PdfBatchJob> job = result.cancelled
                                              ? Result<docs::PdfBatchJob>(Error{kErrorFail, docs::kPdfCopyCancelled})
                                              : m_controller->PdfBatchJobFor(result.written);
    if (!job) {
        // Cancelled while writing, or no office program: no copy is started.
        for (const std::string& document : result.written) {
            copies.Add(document, job.error());
        }
        result.pdfCopies = copies;
        EndAllDataSheets(result);
        return;
    }
    // Every document in one batch; the dialog stays for it.
    result.pdfCopies = copies;
    m_pdfPhase = PdfPhase{0, std::move(result)};
    if (m_allDataSheetsProgress) {
        m_allDataSheetsProgress->SetPdfProgress(0, copies.total);
    }
    m_pdfPhase->ticket = m_pdfCopies->RequestBatch(
        job.value(), [this](std::size_t, const std::string& document, const Result<std::string>& pdf) {
            if (!m_pdfPhase) {
                return;
            }
            docs::PdfCopiesOutcome& outcome = *m_pdfPhase->result.pdfCopies;
            outcome.Add(document, pdf);
            if (m_allDataSheetsProgress) {
                m_allDataSheetsProgress->SetPdfProgress(outcome.Reported(), outcome.total);
            }
            if (outcome.Reported() == outcome.total) {
                docs::AllDataSheetsResult ended = std::move(m_pdfPhase->result);
                m_pdfPhase.reset();
                EndAllDataSheets(ended);
            }
        });
}

void CQuellmaxApp::EndAllDataSheets(const docs::AllDataSheetsResult& result)
{
    delete m_allDataSheetsProgress.data();
    m_view->SetAllDataSheetsRunning(false);
    m_controller->AllDataSheetsDone(result);
}

void CQuellmaxApp::StopAllDataSheets()
{
    if (m_pdfPhase) {
        // The copies under way end with the program; nothing more is said of them.
        m_pdfCopies->Cancel(m_pdfPhase->ticket);
        m_pdfPhase.reset();
        delete m_allDataSheetsProgress.data();
        if (m_view) {
            m_view->SetAllDataSheetsRunning(false);
        }
        return;
    }
    if (!m_allDataSheets || !m_allDataSheets->IsRunning()) {
        return;
    }
    m_allDataSheets->Stop();
    delete m_allDataSheetsProgress.data();
    if (m_view) {
        m_view->SetAllDataSheetsRunning(false);
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
        PlaceBeside(m_directories, m_frame.get(), KeepInView());
    }
    BringToFront(m_directories);
}

COptionsLimits* CQuellmaxApp::limits() const
{
    return m_limits.data();
}

void CQuellmaxApp::OnOptionsLimits()
{
    if (!m_limits) {
        m_limits = new COptionsLimits(*m_controller, m_parts.prompts, m_frame.get());
        PlaceBeside(m_limits, m_frame.get(), KeepInView());
    }
    m_limits->open();
    m_limits->raise();
    m_limits->activateWindow();
}

CPortSettingsDlg* CQuellmaxApp::portSettings() const
{
    return m_portSettings.data();
}

void CQuellmaxApp::OnPortSettings()
{
    if (!m_portSettings) {
        m_portSettings = new CPortSettingsDlg(m_parts.settings, m_parts.ports ? *m_parts.ports : *m_ownPorts,
                                              m_controller->currentPort(), m_frame.get());
        // The menu's labels show the new devices at once.
        QObject::connect(m_portSettings, &QDialog::accepted, m_frame.get(), [this] { m_frame->OnUpdateComN(); });
    }
    m_portSettings->open();
    m_portSettings->raise();
    m_portSettings->activateWindow();
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
        PlaceBeside(m_workOrder, m_frame.get(), KeepInView());
    }
    BringToFront(m_workOrder);
}

QRect CQuellmaxApp::KeepInView() const
{
    // RESULT and the received lines: what a technician watches while a tool window is open.
    QRect area;
    for (const int id : {ControlId::Form::Result, ControlId::Form::Lines}) {
        if (const auto* control = m_frame->findChild<QWidget*>(ControlName(id))) {
            area |= QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
        }
    }
    return area;
}

int CQuellmaxApp::ExitInstance()
{
    return 0;
}

} // namespace tessaprint
