#include "app/CaptureController.h"

#include "app/PastDataSheet.h"
#include "docs/DataSheet.h"
#include "history/HistoryGrid.h"
#include "history/ReadingNumber.h"
#include "link/InstrumentCommands.h"
#include "link/Replay.h"
#include "results/CaptureArchive.h"
#include "results/CaptureFile.h"
#include "results/RecordsOnSelector.h"
#include "results/ReportsFolder.h"
#include "util/AtomicFile.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tessaprint {

namespace {
constexpr const char* kCaptureFilter = "Captures (*.txt);;All files (*)";
constexpr const char* kCsvFilter = "CSV files (*.csv);;All files (*)";

bool IsFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(folder, ec);
}
} // namespace

CaptureController::CaptureController(SerialDriver& driver, FormView& view, SettingsStore& settings, Prompts& prompts,
                                     Clock& clock, docs::WordProcessorFactory wordProcessor)
    : m_tap(*this), m_driver(driver), m_view(view), m_settings(settings), m_prompts(prompts), m_clock(clock),
      m_receive(driver, m_table, view, m_tap, clock), m_port(driver, settings, prompts,
                                                             [this](int code) {
                                                                 if (((code >> 8) & 0xFF) == (kPortLostEvent >> 8)) {
                                                                     OnPortLost();
                                                                     return code & 0xFFFF;
                                                                 }
                                                                 return m_receive.OnDriverEvent(code);
                                                             }),
      m_session(m_receive, settings, clock, *this), m_versionTimer(clock.CreateTimer()),
      m_replug(
          driver, clock, [this] { return ReopenLostPort(); },
          [this] {
              m_view.ShowStatus("Port " + PortText() +
                                " did not come back within a minute; choose it in the Port menu once its adapter "
                                "is plugged in again.");
          }),
      m_reportsFolder(DefaultReportsFolder()), m_wordProcessor(std::move(wordProcessor))
{
    m_receive.SetTextTap([this](const std::uint8_t* data, std::size_t count) { m_session.TextBytes(data, count); });
    m_versionTimer->SetHandler([this] { OnVersionTimeout(); });
}

CaptureController::~CaptureController() = default;

void CaptureController::ReceiveTap::AppendLine(const std::string& line)
{
    CaptureController& owner = m_owner;
    if (owner.m_captureId.empty()) {
        // The capture is made by its first line, and keeps its identity when
        // its printout goes on after a pause.
        owner.m_captureId = history::NewCaptureId();
    }
    if (owner.m_capturedAt.empty()) {
        // The readings shown were captured when their first line came.
        if (const auto now = owner.m_clock.LocalTime()) {
            owner.m_capturedAt = IsoLocalTime(*now);
        }
    }
    owner.m_view.AppendLine(line);
    owner.m_session.AddLine(line);
    owner.m_view.ShowStatus("Capture in progress on " + owner.PortText() + ": " +
                            Plural(owner.m_view.LineCount(), "line", "lines") + ", " +
                            Plural(owner.m_view.SelectorCount(), "equipment ID", "equipment IDs"));
}

void CaptureController::ReceiveTap::SetVersionText(const std::string& text)
{
    m_owner.m_versionTimer->Stop();
    m_owner.m_view.SetVersionText(text);
}

void CaptureController::ReceiveTap::PostResultsReady()
{
    m_owner.m_view.PostResultsReady();
}

CaptureSession::Origin CaptureController::CaptureOrigin() const
{
    return {currentPort(), PortText(), KindText(), m_reportsFolder};
}

std::string CaptureController::PortText() const
{
    return currentPort() > 0 ? PortConnection::PortName(currentPort()) : std::string("no port");
}

std::string CaptureController::KindText() const
{
    const auto kind = m_view.CheckedKind();
    return kind ? UnitTypeText(*kind) : std::string("Unknown");
}

bool CaptureController::RequireOpenPort(const std::string& what)
{
    if (m_driver.IsOpen()) {
        return true;
    }
    const std::string first = currentPort() > 0
                                  ? "Port " + PortText() + " is not open, so the instrument was not " + what + "."
                                  : "No serial port is open, so the instrument was not " + what + ".";
    m_prompts.ShowError(first + "\nChoose the port the instrument is connected to in the Port menu.");
    return false;
}

bool CaptureController::SecureLastCapture()
{
    const Result<void> secured = m_session.Secure();
    if (secured) {
        return true;
    }
    return m_prompts.ShowConfirm("The last capture could not be archived: " + secured.error().message +
                                     "\nIts lines are still on the screen; File > Save Captured Lines keeps "
                                     "them.\nGo on and replace them?",
                                 DefaultButton::Cancel) == kIdOk;
}

void CaptureController::OnInitialUpdate()
{
    const std::string port = PortText();
    const std::string kept = m_session.Cut();
    m_reportsFolder =
        HasOwnReportsFolder() ? m_ownReportsFolder : m_settings.Read(settings::kReports, DefaultReportsFolder());
    m_unitType = m_settings.Read(settings::kUnitType);
    m_replug.Stop();
    m_port.OpenConfiguredPort();
    m_session.PortOpened();
    m_view.RaiseAndResizeFrame(kFrameWidth, kFrameHeight);
    m_view.ClearReadingRows();
    ForgetLastTime();
    m_view.SetupReadingColumns();
    m_word2007 = m_settings.Read(settings::kWord2007) == "0" ? 0 : 1;
    const auto kind = KindFromUnitType(m_unitType);
    m_view.SetCheckedKind(kind);
    if (kind && m_kindChanged) {
        m_kindChanged(*kind);
    }
    m_view.SetDataSheetEnabled(false);
    if (!kept.empty()) {
        m_view.ShowStatus("The capture on " + port + " was cut off; " + kept + ".");
    }
}

void CaptureController::ClearForm()
{
    m_view.ClearSelector();
    m_view.ClearLines();
    m_view.SetDataSheetEnabled(false);
    m_view.ClearReadingRows();
    m_view.SetSelectorCaption("");
    m_view.SetResultsCaption("");
    m_table.ClearResults();
    m_capturedAt.clear();
    m_captureId.clear();
    ForgetLastTime();
}

void CaptureController::OnResult()
{
    if (m_session.InProgress() || !RequireOpenPort("asked for its results") || !SecureLastCapture()) {
        return;
    }
    ClearForm();
    m_session.Start();
    SendCommand(m_driver, kPrintCommand);
}

void CaptureController::OnClearMemory()
{
    if (m_session.InProgress()) {
        return;
    }
    // The radio buttons decide, not the stored setting.
    const auto kind = m_view.CheckedKind();
    std::string text;
    switch (kind.value_or(InstrumentKind::Pactrx)) {
    case InstrumentKind::Quellmax:
        text = "Erase all results in the Quellmax?";
        break;
    case InstrumentKind::Kappa5100:
        text = "Erase all results in the Kappa 5100?";
        break;
    case InstrumentKind::Pactrx:
        // The pacemaker analyzer is not erased from here.
        m_view.ShowStatus(kind ? "The PACTRX has no erase command; nothing was sent."
                               : "No instrument kind is chosen; nothing was sent.");
        return;
    }
    if (!RequireOpenPort("told to erase its results")) {
        return;
    }
    // The instrument's copy must never be the only one.
    if (const Result<void> secured = m_session.Secure(); !secured) {
        m_prompts.ShowError("The last capture could not be archived: " + secured.error().message +
                            "\nThe instrument was not erased, so its results are still there.");
        return;
    }
    DefaultButton defaultButton = DefaultButton::Ok;
    if (!m_session.ReadSincePortOpened()) {
        text += "\n" + kNothingReadLine;
        defaultButton = DefaultButton::Cancel;
    }
    if (m_prompts.ShowConfirm(text, defaultButton) == kIdOk) {
        SendCommand(m_driver, kClearMemoryCommand);
        m_table.ResetCounters();
        m_session.Forget();
        m_view.ShowStatus("Erase command sent to " + KindText() + " on " + PortText());
    }
}

void CaptureController::OnVersion()
{
    if (!RequireOpenPort("asked for its version")) {
        return;
    }
    m_view.SetVersionText("------");
    SendVersionRequest(m_driver);
    m_view.RaiseAndResizeFrame(kVersionFrameWidth, kVersionFrameHeight);
    m_versionTimer->Start(m_session.Limits().answerTimeoutMs);
}

void CaptureController::OnVersionTimeout()
{
    if (m_view.VersionText() == "------") {
        m_view.ShowStatus("No version came from the instrument on " + PortText() + " within " +
                          DurationText(m_session.Limits().answerTimeoutMs) + ".");
    }
}

void CaptureController::SwitchPort(int n)
{
    const std::string port = PortText();
    const std::string kept = m_session.Cut();
    m_receive.DiscardPartialLine(); // the old port's half line is not the new port's
    m_replug.Stop();                // the user chose: a lost port's adapter is no longer awaited
    m_port.SwitchPort(n);
    m_session.PortOpened();
    if (!kept.empty()) {
        m_view.ShowStatus("The capture on " + port + " was cut off by the switch to " + PortConnection::PortName(n) +
                          "; " + kept + ".");
    }
}

void CaptureController::OnPortLost()
{
    const std::string port = PortText();
    const std::string reason = m_driver.LastErrorText();
    const std::string kept = m_session.Cut();
    m_session.PortOpened();
    // Watching starts before the message: the adapter may come back while it is shown.
    m_replug.Start();
    m_view.ShowStatus((kept.empty() ? "Port " + port + " was lost and closed."
                                    : "The capture on " + port + " was cut off when the port was lost; " + kept + ".") +
                      " Waiting a minute for its adapter to come back.");
    m_prompts.ShowError("The serial port " + port + " stopped working and was closed:\n" +
                        (reason.empty() ? std::string("the system gave no reason") : reason) +
                        "\nIt opens again by itself if its adapter comes back within a minute.");
}

bool CaptureController::ReopenLostPort()
{
    if (!m_port.OpenComPort(m_port.currentPort())) {
        return false; // back, but not ready yet: the watch tries again
    }
    m_session.PortOpened();
    m_view.ShowStatus("Port " + PortText() + " is open again: its adapter came back.");
    return true;
}

void CaptureController::OnTest()
{
    m_view.ScrollLinesToEnd();
}

void CaptureController::OnSelectEquipment()
{
    m_view.ClearReadingRows();
    m_table.FillReadingList(m_view, m_view);
    LookUpLastTime();
}

void CaptureController::OnClearScreen()
{
    if (m_session.InProgress() || !SecureLastCapture()) {
        return;
    }
    m_session.Forget();
    m_view.ClearLines();
    m_view.SetDataSheetEnabled(false);
    m_table.ResetCounters();
    m_view.ShowStatus("Screen cleared; the equipment IDs and their readings stay listed.");
}

void CaptureController::SetKind(InstrumentKind kind)
{
    m_unitType = UnitTypeText(kind);
    m_settings.Write(settings::kUnitType, m_unitType);
    if (m_kindChanged) {
        m_kindChanged(kind);
    }
}

void CaptureController::OnKindQuellmax()
{
    SetKind(InstrumentKind::Quellmax);
}

void CaptureController::OnKindKappa()
{
    SetKind(InstrumentKind::Kappa5100);
}

void CaptureController::OnKindPactrx()
{
    SetKind(InstrumentKind::Pactrx);
}

void CaptureController::ShowResults()
{
    m_view.SetResultsCaption("Results");
    m_view.ClearReadingRows();
    m_table.FillReadingList(m_view, m_view);
    LookUpLastTime();
}

void CaptureController::OnResultsReady()
{
    ShowResults();
    const std::string counts = "Received " + Plural(m_view.LineCount(), "line", "lines") + ", " +
                               Plural(m_view.SelectorCount(), "equipment ID", "equipment IDs");
    const std::string archived = m_session.ResultsReady();
    m_view.ShowStatus(counts + archived);
    RecordCapture(PortText(), lastArchivePath());
}

void CaptureController::CaptureCutOff()
{
    ShowResults();
    // What came is archived by now, and kept in the history as it is.
    RecordCapture(PortText(), lastArchivePath());
}

void CaptureController::RecordCapture(const std::string& port, const std::string& archivePath)
{
    if (!m_history) {
        return;
    }
    history::HistoryCapture capture = history::MakeHistoryCapture(m_table, m_view);
    if (capture.records.empty()) {
        return; // lines without an equipment ID give the history nothing
    }
    capture.capturedAt = m_capturedAt;
    // Lines opened from a file have none: the sink gives them the identity of their lines.
    capture.captureId = m_captureId;
    if (const auto kind = m_view.CheckedKind()) {
        capture.kind = UnitTypeText(*kind);
    }
    capture.port = currentPort() > 0 ? port : std::string();
    if (!archivePath.empty()) {
        capture.archiveName = PathToUtf8(PathFromUtf8(archivePath).filename());
    }
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(m_view.LineCount()));
    for (int i = 0; i < m_view.LineCount(); ++i) {
        lines.push_back(m_view.LineText(i));
    }
    m_history->Submit(std::move(capture), std::move(lines));
}

void CaptureController::ForgetLastTime()
{
    ++*m_lastTimeGeneration;
    m_view.SetSelectorToolTip("");
}

void CaptureController::LookUpLastTime()
{
    ForgetLastTime();
    const int item = m_view.SelectorCurrent();
    if (!m_history || item < 0) {
        return;
    }
    const int record = m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    if (record < 0) {
        return;
    }
    const std::weak_ptr<int> generation = m_lastTimeGeneration;
    const int asked = *m_lastTimeGeneration;
    m_history->Lookup(std::string(TrimBlanks(m_table.EquipmentId(record))),
                      [this, generation, asked](Result<std::vector<history::HistoryRecord>> records) {
                          const auto current = generation.lock();
                          if (!current || *current != asked) {
                              return; // the controller is gone, or shows other rows now
                          }
                          if (!records) {
                              m_view.SetSelectorToolTip("The history could not be read: " + records.error().message);
                              return;
                          }
                          ShowLastTime(records.value());
                      });
}

void CaptureController::ShowLastTime(const std::vector<history::HistoryRecord>& records)
{
    const int item = m_view.SelectorCurrent();
    const int record = item < 0 ? -1 : m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    if (record < 0) {
        return;
    }
    history::HistoryRecord shown;
    shown.equipmentId = std::string(TrimBlanks(m_table.EquipmentId(record)));
    shown.testDate = std::string(TrimBlanks(m_table.Date(record)));
    shown.testDay = history::ParseTestDay(shown.testDate);
    for (int row = 0; row < m_view.ReadingRowCount(); ++row) {
        history::HistoryReading reading;
        reading.item = std::atoi(m_view.ReadingRowText(row, 0).c_str());
        reading.test = m_view.ReadingRowText(row, 1);
        reading.reading = m_view.ReadingRowText(row, 2);
        shown.readings.push_back(std::move(reading));
    }
    const auto previous = history::PreviousRecord(records, shown, m_capturedAt);
    if (!previous) {
        m_view.SetSelectorToolTip("No earlier test of " + shown.equipmentId + " in the history.");
        return;
    }
    const std::vector<std::string> last = history::LastTimeReadings(shown.readings, *previous);
    int sharp = 0;
    for (std::size_t row = 0; row < last.size(); ++row) {
        const bool differs = history::DiffersSharply(last[row], shown.readings[row].reading);
        sharp += differs ? 1 : 0;
        m_view.SetLastTime(static_cast<int>(row), last[row], differs);
    }
    m_view.SetSelectorToolTip(
        "Last tested " + history::RecordDateText(*previous) + ": " +
        (sharp == 0
             ? std::string("no reading differs sharply from then.")
             : Plural(static_cast<std::size_t>(sharp), "reading differs", "readings differ") + " sharply from then."));
}

void CaptureController::OnLButtonDblClk(int x, int y)
{
    if (x > kCornerX && y > kCornerY) {
        m_view.SetDataSheetEnabled(true);
    }
}

void CaptureController::OnDataSheet()
{
    const std::unique_ptr<docs::WordApplication> word = m_wordProcessor();
    docs::DataSheetDispatch dispatch(m_table, *word, m_clock);
    const Result<docs::DataSheetDocument> written = dispatch.OnDataSheet(
        docs::MakeDataSheetRequest(m_view, m_view, m_view.CheckedKind(), m_reportsFolder, m_word2007));
    if (!written) {
        m_prompts.ShowMessageBox(docs::ComErrorText(written.error()));
        return;
    }
    DocumentWritten(written.value().savedPath);
}

void CaptureController::OnPastDataSheet(const history::HistoryRecord& record)
{
    const std::unique_ptr<docs::WordApplication> word = m_wordProcessor();
    const Result<docs::DataSheetDocument> written =
        WritePastDataSheet(record, m_view.CheckedKind(), m_reportsFolder, m_word2007, *word);
    if (!written) {
        m_prompts.ShowMessageBox(docs::ComErrorText(written.error()));
        return;
    }
    DocumentWritten(written.value().savedPath);
}

docs::AllDataSheetsInput CaptureController::AllDataSheetsSnapshot() const
{
    docs::AllDataSheetsInput input{m_table.Copy(), {}, m_view.CheckedKind(), m_reportsFolder, m_word2007};
    for (int item = 0; item < m_view.SelectorCount(); ++item) {
        input.listing.AddSelectorItem(m_view.SelectorItemText(item));
    }
    input.listing.SetSelectorCurrent(m_view.SelectorCurrent());
    return input;
}

void CaptureController::AllDataSheetsDone(const docs::AllDataSheetsResult& result)
{
    if (!result.written.empty()) {
        m_lastDocument = result.written.back();
    }
    m_view.ShowStatus(docs::AllDataSheetsStatusText(result));
    if (m_prompts.ShowMessageWithAction("All Data Sheets", docs::AllDataSheetsSummaryText(result),
                                        "Open Reports Folder")) {
        OpenFolder(result.folder);
    }
}

void CaptureController::SetOwnReportsFolder(std::string folder)
{
    m_ownReportsFolder = std::move(folder);
    if (HasOwnReportsFolder()) {
        m_reportsFolder = m_ownReportsFolder;
    }
}

void CaptureController::ApplyDirectories(const std::string& folder, bool word2007)
{
    if (!HasOwnReportsFolder()) {
        m_reportsFolder = folder;
        m_settings.Write(settings::kReports, folder);
    }
    m_word2007 = word2007 ? 1 : 0;
    m_settings.Write(settings::kWord2007, word2007 ? "1" : "0");
    if (const Result<void> made = CreateReportsFolderTree(m_reportsFolder); !made) {
        // Kept all the same: the save will say so if the folder is still missing then.
        m_view.ShowStatus(made.error().message);
    }
}

void CaptureController::ApplySavePdf(bool savePdf)
{
    m_settings.Write(settings::kSavePdf, savePdf ? "1" : "0");
}

bool CaptureController::savePdf() const
{
    return docs::PdfCopySettings::Read(m_settings).savePdf;
}

Result<std::string> CaptureController::FindOfficeProgram() const
{
    return docs::FindOffice(docs::PdfCopySettings::Read(m_settings).officeCommand, m_officeEnvironment);
}

void CaptureController::QueuePdfCopy(const std::string& documentPath)
{
    const docs::PdfCopySettings pdf = docs::PdfCopySettings::Read(m_settings);
    if (!pdf.savePdf || !m_pdfCopier) {
        return;
    }
    const Result<std::string> office = docs::FindOffice(pdf.officeCommand, m_officeEnvironment);
    if (!office) {
        PdfCopyDone(documentPath, office.error());
        return;
    }
    m_pdfCopier(docs::PdfJob{documentPath, office.value(), pdf.timeLimitSeconds});
}

void CaptureController::PdfCopyDone(const std::string& documentPath, const Result<std::string>& pdf)
{
    m_view.ShowStatus(pdf ? docs::PdfCopySavedText(pdf.value()) : docs::PdfCopyFailedText(documentPath, pdf.error()));
}

void CaptureController::OnNotepad()
{
    if (!m_notepad) {
        return;
    }
    std::vector<std::string> lines;
    for (int i = 0; i < m_view.LineCount(); ++i) {
        lines.push_back(m_view.LineText(i));
    }
    m_notepad->SetEditorSetting(m_settings.Read(settings::kTextEditor));
    if (const Result<void> started = m_notepad->StartNotepad(lines); !started) {
        m_prompts.ShowMessageBox(started.error().message);
    }
}

void CaptureController::DocumentWritten(const std::string& path)
{
    m_lastDocument = path;
    m_view.ShowStatus("Saved " + path);
    // Queued before the document opens: the copy is under way while the word processor starts.
    QueuePdfCopy(path);
    if (!m_openDocument || m_openDocument(path)) {
        return;
    }
    // Said once in a message; after that the status bar says it, each time
    // with a way to the folder.
    const std::string folder = PathToUtf8(PathFromUtf8(path).parent_path());
    m_view.ShowStatus("Saved " + path + "; no program on this computer opens .docx files");
    if (m_folderAction) {
        m_folderAction(folder);
    }
    if (!m_toldNoDocumentProgram) {
        m_toldNoDocumentProgram = true;
        m_prompts.ShowMessageBox("The document was saved as\n" + path +
                                 "\nbut no program on this computer is set to open .docx files. Open it from "
                                 "that folder with a word processor such as LibreOffice Writer or Word.");
    }
}

void CaptureController::OpenFolder(const std::string& folder)
{
    if (m_openFolder && !m_openFolder(folder)) {
        m_prompts.ShowMessageBox("The reports folder\n" + folder +
                                 "\ncould not be shown: no file manager on this computer opened it.");
    }
}

Result<void> CaptureController::SaveCaptureTo(const std::string& path) const
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(m_view.LineCount()));
    for (int i = 0; i < m_view.LineCount(); ++i) {
        lines.push_back(m_view.LineText(i));
    }
    if (Result<void> written = WriteWholeFile(path, FormatCaptureFile(lines)); !written) {
        return Error{written.error().code, "Cannot save the captured lines: " + written.error().message};
    }
    return {};
}

Result<void> CaptureController::OpenCaptureFrom(const std::string& path)
{
    const Result<std::string> content = ReadWholeFile(path);
    if (!content) {
        return Error{content.error().code, "Cannot open the captured lines: " + content.error().message};
    }
    // Lines from a file are already on disk: they start no capture.
    m_session.Forget();
    ClearForm();
    m_receive.DiscardPartialLine();
    // A capture file is written as its capture ends.
    if (const auto written = FileModifiedLocalTime(path)) {
        m_capturedAt = IsoLocalTime(*written);
    }
    ReplayCaptureFile(content.value(), m_table, m_view, m_view);
    ShowResults();
    // Recorded again, it adds nothing: the history knows it by its lines.
    RecordCapture("", path);
    return {};
}

std::optional<std::string> CaptureController::ChooseFileToWrite(const std::string& title, const std::string& filter,
                                                                const std::string& extension,
                                                                const settings::Entry& lastFolder)
{
    auto path = m_prompts.ChooseSaveFile(title, filter, ChooserStart(lastFolder));
    if (!path) {
        return std::nullopt;
    }
    // The chooser asked about the name as typed; the one with the extension added is asked about here.
    if (!std::filesystem::path(PathFromUtf8(*path)).has_extension()) {
        *path += extension;
        std::error_code ec;
        if (std::filesystem::exists(PathFromUtf8(*path), ec) &&
            m_prompts.ShowConfirm(*path + " already exists.\nReplace it?", DefaultButton::Cancel) != kIdOk) {
            return std::nullopt;
        }
    }
    RememberChooserFolder(lastFolder, *path);
    return path;
}

std::string CaptureController::ChooserStart(const settings::Entry& lastFolder) const
{
    if (const std::filesystem::path remembered = PathFromUtf8(m_settings.Read(lastFolder)); IsFolder(remembered)) {
        return PathToUtf8(remembered);
    }
    // Captures are archived below the reports folder, which holds everything else the program writes.
    const std::filesystem::path reports = ResolveReportsFolder(m_reportsFolder);
    if (const std::filesystem::path captures = CaptureArchiveFolder(m_reportsFolder);
        lastFolder.key == settings::kCapturedLinesFolder.key && IsFolder(captures)) {
        return PathToUtf8(captures);
    }
    return IsFolder(reports) ? PathToUtf8(reports) : std::string();
}

void CaptureController::RememberChooserFolder(const settings::Entry& lastFolder, const std::string& chosen)
{
    const std::filesystem::path folder = PathFromUtf8(chosen).parent_path();
    if (!folder.empty()) {
        m_settings.Write(lastFolder, PathToUtf8(folder));
    }
}

void CaptureController::OnSaveCapture()
{
    // "Open Captured Lines" lists *.txt: a name without an extension gets it.
    const auto path = ChooseFileToWrite("Save Captured Lines", kCaptureFilter, ".txt", settings::kCapturedLinesFolder);
    if (!path) {
        return;
    }
    if (const Result<void> saved = SaveCaptureTo(*path); !saved) {
        m_prompts.ShowError(saved.error().message);
    } else {
        m_view.ShowStatus("Saved " + Plural(m_view.LineCount(), "line", "lines") + " to " + *path);
    }
}

void CaptureController::OnOpenCapture()
{
    if (m_session.InProgress() || !SecureLastCapture()) {
        return;
    }
    const auto path =
        m_prompts.ChooseOpenFile("Open Captured Lines", kCaptureFilter, ChooserStart(settings::kCapturedLinesFolder));
    if (!path) {
        return;
    }
    RememberChooserFolder(settings::kCapturedLinesFolder, *path);
    if (const Result<void> opened = OpenCaptureFrom(*path); !opened) {
        m_prompts.ShowError(opened.error().message);
    } else {
        m_view.ShowStatus("Opened " + std::to_string(m_view.LineCount()) + " lines from " + *path);
    }
}

Result<CsvCounts> CaptureController::ExportCsvTo(const std::string& path) const
{
    CsvSource source;
    if (const auto kind = m_view.CheckedKind()) {
        source.instrument = UnitTypeText(*kind);
    }
    source.capturedAt = m_capturedAt;
    std::ostringstream csv;
    const CsvCounts counts = WriteResultsCsv(csv, m_table, m_view, source);
    if (const Result<std::filesystem::path> written = ReplaceFile(PathFromUtf8(path), csv.str()); !written) {
        return Error{written.error().code, "Cannot export the results to " + path + ": " + written.error().message};
    }
    return counts;
}

void CaptureController::OnExportCsv()
{
    if (m_session.InProgress()) {
        return;
    }
    if (m_view.SelectorCount() == 0) {
        m_prompts.ShowError("There are no results to export: press RESULT, or open a saved capture, first.");
        return;
    }
    const auto path = ChooseFileToWrite("Export Results as CSV", kCsvFilter, ".csv", settings::kCsvExportFolder);
    if (!path) {
        return;
    }
    const Result<CsvCounts> exported = ExportCsvTo(*path);
    if (!exported) {
        m_prompts.ShowError(exported.error().message);
        return;
    }
    m_view.ShowStatus(
        "Exported " + Plural(static_cast<std::size_t>(exported.value().readings), "reading", "readings") + " of " +
        Plural(static_cast<std::size_t>(exported.value().records), "equipment ID", "equipment IDs") + " to " + *path);
}

} // namespace tessaprint
