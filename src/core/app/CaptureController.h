#pragma once

#include "app/CaptureSession.h"
#include "app/FormDocuments.h"
#include "app/FormFiles.h"
#include "app/FormHistory.h"
#include "app/FormView.h"
#include "app/HistorySink.h"
#include "app/LimitsChoice.h"
#include "link/PortConnection.h"
#include "link/ReceivePath.h"
#include "link/ReplugWatch.h"
#include "results/ResultsCsv.h"
#include "results/ResultsTable.h"
#include "util/CNotepad.h"
#include "util/Clock.h"
#include "util/Prompts.h"
#include "util/Result.h"
#include "util/SettingsStore.h"
#include "verdict/EquipmentList.h"
#include "verdict/VerdictEngine.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint {

// What the main form does: it owns the results table, the receive path and
// the port, carries out the form's commands and keeps the settings mirrors.
// The capture itself (its progress, limits and archive) is the session's,
// the documents and the reports folder FormDocuments', the saved and exported
// files FormFiles', the test history FormHistory's. The window only displays
// and forwards clicks, all of them to this class.
class CaptureController : private CaptureSession::Listener {
public:
    static constexpr int kFrameWidth = 950;
    static constexpr int kFrameHeight = 780;
    static constexpr int kVersionFrameWidth = 920;
    static constexpr int kVersionFrameHeight = 730;
    // The corner double click that enables "Data Sheet" (form pixels).
    static constexpr int kCornerX = 900;
    static constexpr int kCornerY = 650;
    // The second line of the erase question when nothing is on disk yet.
    static inline const std::string kNothingReadLine = "Nothing has been read from it since the port was opened.";

    // Documents are written with what wordProcessor makes: the document engine
    // in the program, a recording or failing double in tests.
    CaptureController(SerialDriver& driver, FormView& view, SettingsStore& settings, Prompts& prompts, Clock& clock,
                      docs::WordProcessorFactory wordProcessor);
    ~CaptureController() override;

    // The form's first update: settings, port, frame size, list, radio buttons.
    void OnInitialUpdate();

    void OnResult();
    void OnClearMemory();
    void OnVersion();
    void OnTest();
    void OnSelectEquipment();
    void OnClearScreen();
    void OnKindQuellmax();
    void OnKindKappa();
    void OnKindPactrx();
    // The queued "results ready" message, after the quiet time.
    void OnResultsReady();
    void OnLButtonDblClk(int x, int y);
    // Port menu COMn. A capture still arriving on the old port is cut and
    // archived with what came.
    void SwitchPort(int n);
    // The driver closed the port because it stopped working. For a minute
    // the port opens again by itself when its adapter comes back.
    void OnPortLost();
    void OnVersionTimeout();

    // Documents, PDF copies and the Directories options: see FormDocuments.
    void OnDataSheet() { m_documents.OnDataSheet(); }
    void DocumentWritten(const std::string& path) { m_documents.DocumentWritten(path); }
    void SetFolderActionHandler(std::function<void(const std::string& folder)> handler)
    {
        m_documents.SetFolderActionHandler(std::move(handler));
    }
    void SetDocumentOpener(std::function<bool(const std::string&)> opener)
    {
        m_documents.SetDocumentOpener(std::move(opener));
    }
    docs::AllDataSheetsInput AllDataSheetsSnapshot() const { return m_documents.AllDataSheetsSnapshot(); }
    const docs::WordProcessorFactory& wordProcessor() const { return m_documents.wordProcessor(); }
    void AllDataSheetsDone(const docs::AllDataSheetsResult& result) { m_documents.AllDataSheetsDone(result); }
    void SetFolderOpener(std::function<bool(const std::string&)> opener)
    {
        m_documents.SetFolderOpener(std::move(opener));
    }
    void OpenFolder(const std::string& folder) { m_documents.OpenFolder(folder); }
    void ApplyDirectories(const std::string& folder, bool word2007) { m_documents.ApplyDirectories(folder, word2007); }
    void SetOwnReportsFolder(std::string folder) { m_documents.SetOwnReportsFolder(std::move(folder)); }
    bool HasOwnReportsFolder() const { return m_documents.HasOwnReportsFolder(); }
    void ApplySavePdf(bool savePdf) { m_documents.ApplySavePdf(savePdf); }
    bool savePdf() const { return m_documents.savePdf(); }
    void SetPdfCopier(std::function<void(const docs::PdfJob&)> copier) { m_documents.SetPdfCopier(std::move(copier)); }
    void SetOfficeEnvironment(docs::OfficeEnvironment environment)
    {
        m_documents.SetOfficeEnvironment(std::move(environment));
    }
    Result<std::string> FindOfficeProgram() const { return m_documents.FindOfficeProgram(); }
    void QueuePdfCopy(const std::string& documentPath) { m_documents.QueuePdfCopy(documentPath); }
    Result<docs::PdfBatchJob> PdfBatchJobFor(std::vector<std::string> documents) const
    {
        return m_documents.PdfBatchJobFor(std::move(documents));
    }
    void PdfCopyDone(const std::string& documentPath, const Result<std::string>& pdf)
    {
        m_documents.PdfCopyDone(documentPath, pdf);
    }

    // Notepad, saved lines and CSV: see FormFiles.
    void OnNotepad() { m_files.OnNotepad(); }
    void SetNotepad(CNotepad* notepad) { m_files.SetNotepad(notepad); }
    void OnSaveCapture() { m_files.OnSaveCapture(); }
    Result<void> SaveCaptureTo(const std::string& path) const { return m_files.SaveCaptureTo(path); }
    // Not while a capture is in progress.
    void OnExportCsv();
    Result<CsvCounts> ExportCsvTo(const std::string& path) const { return m_files.ExportCsvTo(path, m_capturedAt); }
    // An opened capture is shown and parsed as if it had just arrived.
    void OnOpenCapture();
    Result<void> OpenCaptureFrom(const std::string& path);
    // A capture named outside the file chooser (the program's command line):
    // opened as File > Open opens it, a file that cannot be read said as an error.
    void OpenNamedCapture(const std::string& path);

    // The test history: every capture whose results are ready (also one cut
    // off, or opened from a file) goes to it, and the chosen equipment ID's
    // previous test is looked up in it for the "Last time" column and the
    // selector's tooltip. Unset: no history.
    void SetHistorySink(HistorySink* sink) { m_lastTime.SetSink(sink); }
    // "Data Sheet" of a record of the history, handed on as the form's own.
    void OnPastDataSheet(const history::HistoryRecord& record) { m_documents.OnPastDataSheet(record); }

    // Where the latest capture was archived (the .txt); empty before any.
    const std::string& lastArchivePath() const { return m_session.LastArchivePath(); }

    // Settings mirrors.
    const std::string& reportsFolder() const { return m_documents.reportsFolder(); }
    int word2007() const { return m_documents.word2007(); }
    const std::string& unitType() const { return m_unitType; }
    // Where the latest document went (with extension); empty before any.
    const std::string& lastDocumentPath() const { return m_documents.lastDocumentPath(); }
    int currentPort() const { return m_port.currentPort(); }
    // Whether the port tried last is open now (not busy, not lost).
    bool IsPortOpen() const { return m_driver.IsOpen(); }
    // After a lost port: whether the program still waits for its adapter.
    bool IsWaitingForAdapter() const { return m_replug.IsWatching(); }

    // Verdicts: the engine that judges the readings shown, the documents,
    // the CSV export and the history; nullptr (the default): verdicts off.
    // The record shown is judged again at once.
    void SetVerdictEngine(std::shared_ptr<const verdict::VerdictEngine> engine);
    const verdict::VerdictEngine* verdictEngine() const { return m_verdicts.get(); }
    // Options > Limits as stored.
    LimitsChoice limitsChoice() const { return LimitsChoice::Read(m_settings); }
    // Options > Limits, OK: with verdicts on the files are loaded and checked
    // first. A fault (naming the file and its line) changes nothing: the
    // choice is not stored and the verdicts stay as they were. Otherwise it
    // is stored and judges from now on. The form's first update applies the
    // stored choice the same way; a fault then is reported once and leaves
    // verdicts off.
    Result<void> ApplyLimits(const LimitsChoice& choice);

    // The equipment list kept in the history (none: no history, or not read
    // yet): verdicts go by it when Options > Limits names no equipment list
    // file, and the chosen ID's line under the selector comes from it.
    void SetStoredEquipment(std::optional<std::vector<verdict::Device>> devices);
    const std::optional<std::vector<verdict::Device>>& storedEquipment() const { return m_storedDevices; }
    // The chosen record's equipment ID (trimmed); empty when none is chosen.
    std::string ChosenEquipmentId() const;

    ResultsTable& table() { return m_table; }
    const ResultsTable& table() const { return m_table; }

    // Told when the user picks another instrument kind (the demo's simulated
    // instrument follows it).
    void SetKindChangedHandler(std::function<void(InstrumentKind)> handler) { m_kindChanged = std::move(handler); }

private:
    // What the receive path shows goes through here to the form, so the
    // capture sees every line and the version reply.
    class ReceiveTap : public ReceiveView {
    public:
        explicit ReceiveTap(CaptureController& owner) : m_owner(owner) {}
        void AppendLine(const std::string& line) override;
        void SetVersionText(const std::string& text) override;
        void PostResultsReady() override;

    private:
        CaptureController& m_owner;
    };

    // CaptureSession::Listener
    CaptureSession::Origin CaptureOrigin() const override;
    void CaptureCommandsEnabled(bool enabled) override { m_view.SetCaptureCommandsEnabled(enabled); }
    void CaptureStatus(const std::string& text) override { m_view.ShowStatus(text); }
    void CaptureError(const std::string& text) override { m_prompts.ShowError(text); }
    void CaptureCutOff() override;

    void SetKind(InstrumentKind kind);
    void ClearForm();
    void ShowResults();
    // Archives what the last capture holds that is not on disk yet; when that
    // fails, asks whether to go on all the same. True to go on.
    bool SecureLastCapture();
    // The lost port's adapter is back: open the port again; true when it opened.
    bool ReopenLostPort();
    // Tells the user that the port is not open; true when it is open.
    bool RequireOpenPort(const std::string& what);
    std::string PortText() const;
    // The capture shown goes to the history (port "" for a file, archiveName
    // the archive's or the file's name).
    void RecordCapture(const std::string& port, const std::string& archivePath);
    std::string KindText() const;
    // The stored Options > Limits, at the form's first update.
    void ApplyStoredLimits();
    // The record the list shows, judged as listed (verdicts on only).
    void JudgeShownRecord();
    // The chosen ID's line from the stored equipment list.
    void ShowDeviceLine();

    ReceiveTap m_tap;
    SerialDriver& m_driver;
    FormView& m_view;
    SettingsStore& m_settings;
    Prompts& m_prompts;
    Clock& m_clock;
    ResultsTable m_table;
    ReceivePath m_receive;
    PortConnection m_port;
    CaptureSession m_session;
    std::unique_ptr<Timer> m_versionTimer;
    ReplugWatch m_replug;
    FormDocuments m_documents;
    FormFiles m_files;
    FormHistory m_lastTime;
    std::string m_unitType;
    // When the readings shown were captured (ISO 8601 local time): the first
    // line's arrival, or an opened file's time; empty after a clear.
    std::string m_capturedAt;
    // The capture's identity in the history, made with its first line; empty
    // after a clear and for lines opened from a file.
    std::string m_captureId;
    std::function<void(InstrumentKind)> m_kindChanged;
    std::shared_ptr<const verdict::VerdictEngine> m_verdicts;
    std::optional<std::vector<verdict::Device>> m_storedDevices;
    verdict::EquipmentList m_storedList;
    // The stored limits' fault reported last, so that File > New does not say it again.
    std::string m_reportedLimitsFault;
};

} // namespace tessaprint
