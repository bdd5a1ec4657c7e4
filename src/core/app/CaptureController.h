#pragma once

#include "app/CaptureSession.h"
#include "app/FormView.h"
#include "app/HistorySink.h"
#include "docs/AllDataSheets.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfConverter.h"
#include "docs/WordApplication.h"
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

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tessaprint {

// What the main form does: it owns the results table, the receive path and
// the port, carries out the form's commands and keeps the settings mirrors.
// The capture itself (its progress, limits and archive) is the session's.
// The window only displays and forwards clicks.
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

    // "Data Sheet": the test record of the chosen equipment ID, saved in the
    // reports folder and handed to the document opener.
    void OnDataSheet();
    // A document was written: remembered, named in the status bar (until the
    // next message) and handed to the document opener. When nothing opens it,
    // the status bar says so and the folder action is offered its folder; the
    // first time in a run a message also says where it is.
    void DocumentWritten(const std::string& path);
    // Told the folder of a document that nothing opened, for a way to it
    // beside the status bar's message (until the next message).
    void SetFolderActionHandler(std::function<void(const std::string& folder)> handler)
    {
        m_folderAction = std::move(handler);
    }
    // Shows a saved document (the desktop's word processor); false when no
    // program would open it. Unset in tests.
    void SetDocumentOpener(std::function<bool(const std::string&)> opener) { m_openDocument = std::move(opener); }

    // "All Data Sheets": what it works on, taken now: a copy of the results
    // and of the selector's items (the port may go on filling the table), the
    // checked kind, the reports folder and the Word 2007 flag in use.
    docs::AllDataSheetsInput AllDataSheetsSnapshot() const;
    // What every document is written with; "All Data Sheets" makes its own from it.
    const docs::WordProcessorFactory& wordProcessor() const { return m_wordProcessor; }
    // "All Data Sheets" ended: the status bar sums it up, and one message says
    // what was written, what failed and why, and whether it was cancelled;
    // its "Open Reports Folder" hands the folder to the folder opener. No
    // document is opened.
    void AllDataSheetsDone(const docs::AllDataSheetsResult& result);
    // Shows a folder in the desktop's file manager; false when nothing did. Unset in tests.
    void SetFolderOpener(std::function<bool(const std::string&)> opener) { m_openFolder = std::move(opener); }
    // Shows the folder through the folder opener; a message when nothing showed it.
    void OpenFolder(const std::string& folder);

    // Directories options, OK: the folder (as typed, not checked) and the
    // Word 2007 flag are stored and used from now on, and the folder is made.
    // With a folder of its own the folder stays that one and is not stored.
    void ApplyDirectories(const std::string& folder, bool word2007);
    // The demo's: every document and capture goes to this folder (absolute)
    // whatever the settings say, and the Directories options cannot change
    // it. Set before the first update.
    void SetOwnReportsFolder(std::string folder);
    bool HasOwnReportsFolder() const { return !m_ownReportsFolder.empty(); }
    // "Also save a PDF copy": stored as "Directories"/"SavePdf".
    void ApplySavePdf(bool savePdf);
    bool savePdf() const;

    // PDF copies: copier converts a document in the background and reports
    // through PdfCopyDone. Unset: no copies are made.
    void SetPdfCopier(std::function<void(const docs::PdfJob&)> copier) { m_pdfCopier = std::move(copier); }
    // Where the office program is looked for: this computer, unless a test says otherwise.
    void SetOfficeEnvironment(docs::OfficeEnvironment environment) { m_officeEnvironment = std::move(environment); }
    // The office program a PDF copy would be made with now, or why there is none.
    Result<std::string> FindOfficeProgram() const;
    // A document was written (Data Sheet, Export to Word, or each document of
    // a batch): with "Directories"/"SavePdf" set, its PDF copy is queued. An
    // office program that cannot be found is reported at once.
    void QueuePdfCopy(const std::string& documentPath);
    // A PDF copy is done: the status bar says where it is, or why there is none.
    void PdfCopyDone(const std::string& documentPath, const Result<std::string>& pdf);

    // "Notepad": the received lines go to a text editor started for them.
    void OnNotepad();
    void SetNotepad(CNotepad* notepad) { m_notepad = notepad; }

    // The captured lines as a file (CR LF after each line), and back: an
    // opened capture is shown and parsed as if it had just arrived.
    void OnSaveCapture();
    void OnOpenCapture();
    Result<void> SaveCaptureTo(const std::string& path) const;
    // File > Export Results as CSV: every equipment ID's readings, one row
    // each, for a maintenance system or a spreadsheet.
    void OnExportCsv();
    Result<CsvCounts> ExportCsvTo(const std::string& path) const;
    Result<void> OpenCaptureFrom(const std::string& path);

    // The test history: every capture whose results are ready (also one cut
    // off, or opened from a file) goes to it, and the chosen equipment ID's
    // previous test is looked up in it for the "Last time" column and the
    // selector's tooltip. Unset: no history.
    void SetHistorySink(HistorySink* sink) { m_history = sink; }
    // "Data Sheet" of a record of the history, handed on as the form's own.
    void OnPastDataSheet(const history::HistoryRecord& record);

    // Where the latest capture was archived (the .txt); empty before any.
    const std::string& lastArchivePath() const { return m_session.LastArchivePath(); }

    // Settings mirrors.
    const std::string& reportsFolder() const { return m_reportsFolder; }
    int word2007() const { return m_word2007; }
    const std::string& unitType() const { return m_unitType; }
    // Where the latest document went (with extension); empty before any.
    const std::string& lastDocumentPath() const { return m_lastDocument; }
    int currentPort() const { return m_port.currentPort(); }
    // Whether the port tried last is open now (not busy, not lost).
    bool IsPortOpen() const { return m_driver.IsOpen(); }
    // After a lost port: whether the program still waits for its adapter.
    bool IsWaitingForAdapter() const { return m_replug.IsWatching(); }

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
    // The save-file chooser: a name without an extension gets extension, and
    // a file of that name is replaced only when the user says so; nothing
    // when the user cancels either question. It starts where ChooserStart says.
    std::optional<std::string> ChooseFileToWrite(const std::string& title, const std::string& filter,
                                                 const std::string& extension, const settings::Entry& lastFolder);
    // Where a file chooser starts: the folder it was last used in (the
    // setting lastFolder, in "Folders") while that is a folder, else the capture
    // archive's folder for captured lines and the reports folder for the rest.
    std::string ChooserStart(const settings::Entry& lastFolder) const;
    void RememberChooserFolder(const settings::Entry& lastFolder, const std::string& chosen);
    std::string PortText() const;
    // The capture shown goes to the history (port "" for a file, archiveName
    // the archive's or the file's name).
    void RecordCapture(const std::string& port, const std::string& archivePath);
    // The chosen ID's previous test, looked up in the background; a later
    // change of the rows drops what an earlier lookup brings.
    void LookUpLastTime();
    void ShowLastTime(const std::vector<history::HistoryRecord>& records);
    void ForgetLastTime();
    std::string KindText() const;

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
    std::string m_reportsFolder;
    std::string m_ownReportsFolder;
    int m_word2007 = 1;
    std::string m_unitType;
    std::string m_lastDocument;
    // The message that nothing opens .docx files was shown in this run.
    bool m_toldNoDocumentProgram = false;
    // When the readings shown were captured (ISO 8601 local time): the first
    // line's arrival, or an opened file's time; empty after a clear.
    std::string m_capturedAt;
    // The capture's identity in the history, made with its first line; empty
    // after a clear and for lines opened from a file.
    std::string m_captureId;
    docs::WordProcessorFactory m_wordProcessor;
    std::function<void(InstrumentKind)> m_kindChanged;
    std::function<bool(const std::string&)> m_openDocument;
    std::function<bool(const std::string&)> m_openFolder;
    std::function<void(const std::string&)> m_folderAction;
    CNotepad* m_notepad = nullptr;
    HistorySink* m_history = nullptr;
    // Counts the rows' changes; a lookup's answer counts only while it is unchanged
    // (and not at all once the controller is gone).
    std::shared_ptr<int> m_lastTimeGeneration = std::make_shared<int>(0);
    std::function<void(const docs::PdfJob&)> m_pdfCopier;
    docs::OfficeEnvironment m_officeEnvironment = docs::OfficeEnvironment::Current();
};

} // namespace tessaprint
