#pragma once

#include "app/CaptureController.h"
#include "app/WindowSettings.h"
#include "docs/COptionsDirectory.h"
#include "docs/PdfCopyQueue.h"
#include "util/CNotepad.h"
#include "workorder/CWorkOrder1.h"
#include "workorder/WorkOrderForm.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tessaprint {

class CDueForTestDlg;
class CEquipmentDlg;
class CHistoryDlg;
class AllDataSheetsRunner;
class CAllDataSheetsDlg;
class CMainFrame;
class QtHistoryRecorder;
class COptionsLimits;
class CPortSettingsDlg;
class CQuellmaxView;
class SerialPortList;

// The application: the main frame with its form and the controller behind
// it, put together from the parts it works with (a real port or the
// simulated instrument, the user's settings or a test's, real dialogs or
// scripted answers).
class CQuellmaxApp {
public:
    struct Parts {
        SerialDriver& driver;
        SettingsStore& settings;
        Prompts& prompts;
        Clock& clock;
        // How text editors are started ("Notepad"); the system's own when unset.
        ProcessLauncher* launcher = nullptr;
        int editorCloseWaitMs = CApplication::kDefaultCloseWaitMs;
        // Whether the desktop names a default program for text files, which
        // Notepad uses without an editor setting; xdg-mime's answer when unset.
        CNotepad::DesktopDefaultQuery desktopTextDefault = {};
        // What Data Sheet documents are written with; the document engine when unset.
        docs::WordProcessorFactory wordProcessor = {};
        // The serial ports the Port menu and Port > Settings... show; the system's own when unset.
        SerialPortList* ports = nullptr;
        // Makes the test history's store; called once, on the recorder's own
        // thread. Unset: no history (History is off, "No history store").
        std::function<std::unique_ptr<history::HistoryStore>()> historyStore = {};
        // Where captures waiting for the history are kept; unset: in the
        // application data folder, history-queue.json.
        QString historyQueueFile = {};
        // The demo's folder for every document and capture, whatever the
        // settings say (CaptureController::SetOwnReportsFolder); unset: the
        // settings' folder, below the built-in one.
        std::string ownReportsFolder = {};
        // Where the office program for PDF copies is looked for; this computer when unset.
        const docs::OfficeEnvironment* officeEnvironment = nullptr;
    };

    explicit CQuellmaxApp(Parts parts);
    ~CQuellmaxApp();

    // Creates the frame and the form, runs the form's first update (settings,
    // port, size: the remembered window when there is one) and shows the
    // window.
    bool InitInstance(bool show = true);
    // Told when the user picks another instrument kind; set before InitInstance.
    void SetKindChangedHandler(std::function<void(InstrumentKind)> handler) { m_kindChanged = std::move(handler); }
    int ExitInstance();

    CMainFrame* frame() const { return m_frame.get(); }
    CQuellmaxView* view() const { return m_view; }
    CaptureController* controller() const { return m_controller.get(); }
    // The work order window while it is open.
    CWorkOrder1* workOrder() const;
    // The entry dialogs the work order window uses; the real ones when unset.
    void SetWorkOrderPrompts(WorkOrderPrompts* prompts) { m_workOrderPrompts = prompts; }
    // "Work Order": the one window, made when there is none, then shown.
    void OnWorkOrder();
    // Options > Directories, likewise.
    void OnOptionsDirectories();
    COptionsDirectory* directories() const;
    // Options > Limits: the one dialog, made when there is none, then shown.
    void OnOptionsLimits();
    COptionsLimits* limits() const;
    // Port > Settings...: the one dialog, made when there is none, then shown.
    void OnPortSettings();
    CPortSettingsDlg* portSettings() const;
    CNotepad* notepad() const { return m_notepad.get(); }
    // View > History and the form's History button: the one window, made when there is none, then shown.
    void OnHistory();
    CHistoryDlg* history() const;
    // View > Equipment: the one window, made when there is none, then shown.
    void OnEquipment();
    CEquipmentDlg* equipment() const;
    // View > Due for Test, likewise.
    void OnDueForTest();
    void RefreshDueList();
    CDueForTestDlg* dueForTest() const;
    // The history's recorder; none without a history store.
    QtHistoryRecorder* historyRecorder() const { return m_recorder.get(); }
    // The PDF copies under way (controller()->QueuePdfCopy asks for one; All
    // Data Sheets asks for its documents' in one batch). Office profiles are
    // kept beside the program's other data (the history's queue file).
    PdfCopyQueue* pdfCopies() const { return m_pdfCopies.get(); }
    // "All Data Sheets" (also File > Data Sheets for All Equipment IDs): the
    // test record of every equipment ID, written off the window's thread
    // while a modeless dialog shows the progress; with PDF copies on, the
    // documents written then get theirs in one batch, the dialog counting
    // them. Data Sheet and All Data Sheets wait meanwhile; a capture may go on.
    void OnAllDataSheets();
    // Its runner, whose documentWritten(QString) tells of each document.
    AllDataSheetsRunner* allDataSheets() const { return m_allDataSheets.get(); }
    // Its progress dialog while it runs.
    CAllDataSheetsDlg* allDataSheetsProgress() const;

private:
    QRect KeepInView() const;
    // The form's first update, also File > New's.
    void InitialUpdate();
    // The window's geometry and column widths into the settings.
    void SaveWindow();
    // The history's recorder, and the archive's import at the first start with one.
    void StartHistory();
    // The equipment list kept in the history, read for the controller.
    void ReadStoredEquipment();
    QString HistoryQueueFile() const;
    QString OfficeProfileRoot() const;
    // The documents are written: their PDF copies follow, or the run ends.
    void AllDataSheetsFinished();
    // The dialog goes and the summary is shown.
    void EndAllDataSheets(const docs::AllDataSheetsResult& result);
    // The window closes: a run is cancelled and waited for, and says nothing more.
    void StopAllDataSheets();

    Parts m_parts;
    WindowSettings m_windowSettings;
    std::function<void(InstrumentKind)> m_kindChanged;
    std::unique_ptr<CMainFrame> m_frame;
    CQuellmaxView* m_view = nullptr; // owned by the frame
    std::unique_ptr<CaptureController> m_controller;
    // Goes before the controller it reports to.
    std::unique_ptr<PdfCopyQueue> m_pdfCopies;
    WorkOrderRecord m_workOrderRecord;
    WorkOrderPrompts* m_workOrderPrompts = nullptr;
    QPointer<CWorkOrder1> m_workOrder;
    QPointer<COptionsDirectory> m_directories;
    QPointer<COptionsLimits> m_limits;
    QPointer<CPortSettingsDlg> m_portSettings;
    QPointer<CHistoryDlg> m_history;
    QPointer<CEquipmentDlg> m_equipment;
    QPointer<CDueForTestDlg> m_dueForTest;
    std::unique_ptr<QtHistoryRecorder> m_recorder;
    std::unique_ptr<AllDataSheetsRunner> m_allDataSheets;
    QPointer<CAllDataSheetsDlg> m_allDataSheetsProgress;
    // All Data Sheets' PDF copies while they are made: their batch and the
    // run's result they are counted into.
    struct PdfPhase {
        PdfCopyQueue::Ticket ticket = 0;
        docs::AllDataSheetsResult result;
    };
    std::optional<PdfPhase> m_pdfPhase;
    std::unique_ptr<SerialPortList> m_ownPorts;
    std::unique_ptr<ProcessLauncher> m_ownLauncher;
    std::unique_ptr<ProcessLauncher> m_busyLauncher;
    // Goes last of all at exit, closing the editor it started.
    std::unique_ptr<CNotepad> m_notepad;
};

} // namespace tessaprint
