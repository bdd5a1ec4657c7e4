#include "app/CaptureController.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/InstrumentCommands.h"
#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "util/FileIo.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

namespace tessaprint {

namespace {
constexpr const char* kCaptureFilter = "Captures (*.txt);;All files (*)";

std::string Plural(std::size_t count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
} // namespace

std::string UnitTypeText(InstrumentKind kind)
{
    switch (kind) {
    case InstrumentKind::Quellmax:
        return "Quellmax";
    case InstrumentKind::Kappa5100:
        return "Kappa 5100";
    case InstrumentKind::Pactrx:
        return "PTRX";
    }
    return {};
}

std::optional<InstrumentKind> KindFromUnitType(const std::string& unitType)
{
    for (auto kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        if (unitType == UnitTypeText(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

CaptureController::CaptureController(SerialDriver& driver, FormView& view, SettingsStore& settings, Prompts& prompts,
                                     Clock& clock)
    : m_tap(*this), m_driver(driver), m_view(view), m_settings(settings), m_prompts(prompts),
      m_receive(driver, m_table, view, m_tap, clock), m_port(driver, settings, prompts,
                                                             [this](int code) {
                                                                 if (((code >> 8) & 0xFF) == (kPortLostEvent >> 8)) {
                                                                     OnPortLost();
                                                                     return code & 0xFFFF;
                                                                 }
                                                                 return m_receive.OnDriverEvent(code);
                                                             }),
      m_reportsFolder(DefaultReportsFolder()), m_clock(clock), m_answerTimer(clock.CreateTimer()),
      m_versionTimer(clock.CreateTimer()), m_captureTimeLimit(clock.CreateTimer()), m_byteLimit(clock.CreateTimer()),
      m_drainTimer(clock.CreateTimer())
{
    m_receive.SetTextTap([this](const std::uint8_t* data, std::size_t count) { OnTextBytes(data, count); });
    m_answerTimer->SetHandler([this] { OnAnswerTimeout(); });
    m_versionTimer->SetHandler([this] { OnVersionTimeout(); });
    m_captureTimeLimit->SetHandler([this] { OnCaptureTimeLimit(); });
    m_byteLimit->SetHandler([this] { OnCaptureByteLimit(); });
    m_drainTimer->SetHandler([this] { OnDrained(); });
}

void CaptureController::ReceiveTap::AppendLine(const std::string& line)
{
    m_owner.m_view.AppendLine(line);
    m_owner.OnLine(line);
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

std::string CaptureController::PortText() const
{
    return currentPort() > 0 ? PortConnection::PortName(currentPort()) : std::string("no port");
}

std::string CaptureController::KindText() const
{
    const auto kind = m_view.CheckedKind();
    return kind ? UnitTypeText(*kind) : std::string("Unknown");
}

std::string CaptureController::lastArchivePath() const
{
    return m_lastArchive;
}

std::string CaptureController::ArchiveShortName() const
{
    // The status bar names it below the reports folder the user chose.
    return "captures/" + PathToUtf8(PathFromUtf8(m_lastArchive).filename());
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

CaptureController::Capture CaptureController::NewCapture() const
{
    Capture capture;
    capture.port = currentPort();
    capture.kindText = KindText();
    capture.started = m_clock.LocalTime();
    return capture;
}

void CaptureController::BeginProgress()
{
    if (!m_inProgress) {
        m_inProgress = true;
        m_view.SetCaptureCommandsEnabled(false);
        m_captureTimeLimit->Start(Limits().maxSeconds * 1000);
    }
}

void CaptureController::EndProgress()
{
    m_answerTimer->Stop();
    m_captureTimeLimit->Stop();
    m_byteLimit->Stop();
    if (m_inProgress) {
        m_inProgress = false;
        m_view.SetCaptureCommandsEnabled(true);
    }
}

void CaptureController::OnTextBytes(const std::uint8_t* data, std::size_t count)
{
    if (m_draining) {
        m_drainedBytes += count;
        m_drainTimer->Start(ReceivePath::kResultsQuietMs);
        return;
    }
    if (!m_capture) {
        // The instrument prints unasked (its own print key): that is a capture too.
        m_capture = NewCapture();
    }
    m_capture->raw.append(reinterpret_cast<const char*>(data), count);
    m_capture->dirty = true;
    if (!m_inProgress) {
        BeginProgress();
        m_view.ShowStatus("Capture in progress on " + PortText() + ": receiving…");
    }
    const CaptureSettings limits = Limits();
    m_answerTimer->Start(limits.answerTimeoutMs);
    if (m_capture->raw.size() >= limits.maxBytes && !m_byteLimit->IsActive()) {
        // Ended once the receive handler has returned, so the bytes read so
        // far still make their lines.
        m_byteLimit->Start(0);
    }
}

void CaptureController::OnCaptureByteLimit()
{
    if (m_inProgress) {
        EndCaptureAtLimit("reached its limit of " + ByteCountText(Limits().maxBytes) + " (\"Serial\"/\"" +
                          CaptureSettings::kMaxBytesKey + "\")");
    }
}

void CaptureController::OnCaptureTimeLimit()
{
    if (m_inProgress) {
        EndCaptureAtLimit("ran for its limit of " + DurationText(std::int64_t{Limits().maxSeconds} * 1000) +
                          " (\"Serial\"/\"" + CaptureSettings::kMaxSecondsKey + "\")");
    }
}

void CaptureController::EndCaptureAtLimit(const std::string& reason)
{
    const std::string port = PortText();
    const std::string kept = CutCapture();
    m_draining = true;
    m_drainedBytes = 0;
    m_receive.SetDiscardingText(true);
    m_drainTimer->Start(ReceivePath::kResultsQuietMs);
    m_view.ShowStatus("The capture on " + port + " " + reason + " and was ended; " + kept +
                      ". What the line still sends is ignored until it goes quiet.");
}

void CaptureController::OnDrained()
{
    m_draining = false;
    m_receive.SetDiscardingText(false);
    if (m_drainedBytes > 0) {
        m_view.ShowStatus("The line on " + PortText() + " went quiet; " + ByteCountText(m_drainedBytes) +
                          " after the capture's limit were ignored.");
    }
}

void CaptureController::OnLine(const std::string& line)
{
    if (m_capture) {
        m_capture->lines.push_back(line);
    }
    m_view.ShowStatus("Capture in progress on " + PortText() + ": " + Plural(m_view.LineCount(), "line", "lines") +
                      ", " + Plural(m_view.SelectorCount(), "equipment ID", "equipment IDs"));
}

bool CaptureController::ArchiveCapture(Capture& capture, std::string& error)
{
    if (!capture.files) {
        const std::string stem =
            capture.started ? CaptureArchiveStem(capture.kindText, *capture.started) : capture.kindText + "-capture";
        CaptureArchiveFiles files;
        if (!ChooseCaptureArchive(m_reportsFolder, stem, files, error)) {
            return false;
        }
        capture.files = std::move(files);
    }
    if (!WriteCaptureArchive(*capture.files, capture.lines, capture.raw, error)) {
        return false;
    }
    capture.dirty = false;
    m_lastArchive = PathToUtf8(capture.files->lines);
    return true;
}

bool CaptureController::SecureLastCapture()
{
    if (!m_capture || !m_capture->dirty) {
        return true;
    }
    std::string error;
    if (ArchiveCapture(*m_capture, error)) {
        return true;
    }
    return m_prompts.ShowConfirm("The last capture could not be archived: " + error +
                                     "\nIts lines are still on the screen; File > Save Captured Lines keeps "
                                     "them.\nGo on and replace them?",
                                 DefaultButton::Cancel) == kIdOk;
}

std::string CaptureController::CutCapture()
{
    if (!m_capture || (!m_inProgress && !m_capture->dirty)) {
        m_capture.reset();
        EndProgress();
        return {};
    }
    Capture capture = std::move(*m_capture);
    m_capture.reset();
    const bool wasInProgress = m_inProgress;
    EndProgress();
    m_receive.CancelQuietTimer();
    m_receive.DiscardPartialLine();
    if (capture.raw.empty()) {
        return {}; // asked, but nothing came yet
    }
    if (wasInProgress) {
        ShowResults();
    }
    std::string error;
    if (!ArchiveCapture(capture, error)) {
        m_prompts.ShowError("The capture that was cut off could not be archived: " + error);
        return "what came could not be archived";
    }
    return "the " + Plural(capture.lines.size(), "line", "lines") + " that came were archived as " + ArchiveShortName();
}

void CaptureController::OnInitialUpdate()
{
    const std::string port = PortText();
    const std::string kept = CutCapture();
    m_reportsFolder = m_settings.GetProfileString(settings::kDirectories, settings::kReports, DefaultReportsFolder());
    m_unitType = m_settings.GetProfileString(settings::kSettings, settings::kUnitType, settings::kDefaultUnitType);
    m_port.OpenConfiguredPort();
    m_readSincePortOpened = false;
    m_view.RaiseAndResizeFrame(kFrameWidth, kFrameHeight);
    m_view.ClearReadingRows();
    m_view.SetupReadingColumns();
    m_word2007 =
        m_settings.GetProfileString(settings::kDirectories, settings::kWord2007, settings::kDefaultWord2007) == "0" ? 0
                                                                                                                    : 1;
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
}

void CaptureController::OnResult()
{
    if (m_inProgress || !RequireOpenPort("asked for its results") || !SecureLastCapture()) {
        return;
    }
    ClearForm();
    if (m_draining) {
        m_drainTimer->Stop();
        OnDrained();
    }
    // A line an earlier printout left unfinished must not start this one.
    m_receive.DiscardPartialLine();
    m_capture = NewCapture();
    BeginProgress();
    m_view.ShowStatus("Capture in progress on " + PortText() + ": waiting for the instrument…");
    SendCommand(m_driver, kPrintCommand);
    m_answerTimer->Start(Limits().answerTimeoutMs);
}

void CaptureController::OnAnswerTimeout()
{
    if (!m_inProgress) {
        return;
    }
    const std::string limit = DurationText(Limits().answerTimeoutMs);
    if (!m_capture || m_capture->raw.empty()) {
        m_capture.reset();
        EndProgress();
        m_view.ShowStatus("No answer from the instrument on " + PortText() + " within " + limit +
                          ". Check that it is switched on and connected to this port.");
        return;
    }
    // Bytes came, but no line was finished: a cut cable, or the wrong line speed.
    const std::size_t bytes = m_capture->raw.size();
    std::string error;
    const bool archived = ArchiveCapture(*m_capture, error);
    EndProgress();
    std::string text = "The instrument on " + PortText() + " sent " + Plural(bytes, "byte", "bytes") +
                       " but no complete line, then nothing for " + limit;
    m_view.ShowStatus(archived ? text + "; they were archived as " + ArchiveShortName() : text + ".");
    if (!archived) {
        m_prompts.ShowError("The capture could not be archived: " + error);
    }
}

void CaptureController::OnClearMemory()
{
    if (m_inProgress) {
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
    if (m_capture && m_capture->dirty) {
        std::string error;
        if (!ArchiveCapture(*m_capture, error)) {
            m_prompts.ShowError("The last capture could not be archived: " + error +
                                "\nThe instrument was not erased, so its results are still there.");
            return;
        }
    }
    DefaultButton defaultButton = DefaultButton::Ok;
    if (!m_readSincePortOpened) {
        text += "\n" + kNothingReadLine;
        defaultButton = DefaultButton::Cancel;
    }
    if (m_prompts.ShowConfirm(text, defaultButton) == kIdOk) {
        SendCommand(m_driver, kClearMemoryCommand);
        m_table.ResetCounters();
        m_capture.reset();
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
    m_versionTimer->Start(Limits().answerTimeoutMs);
}

void CaptureController::OnVersionTimeout()
{
    if (m_view.VersionText() == "------") {
        m_view.ShowStatus("No version came from the instrument on " + PortText() + " within " +
                          DurationText(Limits().answerTimeoutMs) + ".");
    }
}

void CaptureController::SwitchPort(int n)
{
    const std::string port = PortText();
    const std::string kept = CutCapture();
    m_receive.DiscardPartialLine(); // the old port's half line is not the new port's
    m_port.SwitchPort(n);
    m_readSincePortOpened = false;
    if (!kept.empty()) {
        m_view.ShowStatus("The capture on " + port + " was cut off by the switch to " + PortConnection::PortName(n) +
                          "; " + kept + ".");
    }
}

void CaptureController::OnPortLost()
{
    const std::string port = PortText();
    const std::string reason = m_driver.LastErrorText();
    const std::string kept = CutCapture();
    m_readSincePortOpened = false;
    m_view.ShowStatus(kept.empty() ? "Port " + port + " was lost and closed."
                                   : "The capture on " + port + " was cut off when the port was lost; " + kept + ".");
    m_prompts.ShowError("The serial port " + port + " stopped working and was closed:\n" +
                        (reason.empty() ? std::string("the system gave no reason") : reason));
}

void CaptureController::OnTest()
{
    m_view.ScrollLinesToEnd();
}

void CaptureController::OnSelectEquipment()
{
    m_view.ClearReadingRows();
    m_table.FillReadingList(m_view, m_view);
}

void CaptureController::OnClearScreen()
{
    if (m_inProgress || !SecureLastCapture()) {
        return;
    }
    m_capture.reset();
    m_view.ClearLines();
    m_view.SetDataSheetEnabled(false);
    m_table.ResetCounters();
    m_view.ShowStatus("Screen cleared; the equipment IDs and their readings stay listed.");
}

void CaptureController::SetKind(InstrumentKind kind)
{
    m_unitType = UnitTypeText(kind);
    m_settings.WriteProfileString(settings::kSettings, settings::kUnitType, m_unitType);
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
}

void CaptureController::OnResultsReady()
{
    ShowResults();
    std::string status = "Received " + Plural(m_view.LineCount(), "line", "lines") + ", " +
                         Plural(m_view.SelectorCount(), "equipment ID", "equipment IDs");
    std::string error;
    if (m_capture) {
        status += " from " + PortConnection::PortName(m_capture->port);
        if (m_capture->dirty) {
            status += ArchiveCapture(*m_capture, error) ? "; archived as " + ArchiveShortName() : "; NOT archived";
        }
        if (!m_capture->lines.empty()) {
            m_readSincePortOpened = true;
        }
    }
    EndProgress();
    m_view.ShowStatus(status);
    if (!error.empty()) {
        m_prompts.ShowError("The capture could not be archived: " + error +
                            "\nIts lines are on the screen; File > Save Captured Lines keeps them.");
    }
}

void CaptureController::OnLButtonDblClk(int x, int y)
{
    if (x > kCornerX && y > kCornerY) {
        m_view.SetDataSheetEnabled(true);
    }
}

void CaptureController::OnDataSheet()
{
    docs::DataSheetRequest request;
    request.checkedKind = m_view.CheckedKind();
    for (int row = 0; row < m_view.ReadingRowCount(); ++row) {
        request.rows.push_back(
            {m_view.ReadingRowText(row, 0), m_view.ReadingRowText(row, 1), m_view.ReadingRowText(row, 2)});
    }
    request.selectorCurrent = m_view.SelectorCurrent();
    request.selectorItemText = m_view.SelectorItemText(request.selectorCurrent);
    request.reportsFolder = m_reportsFolder;
    request.word2007 = m_word2007;

    docs::DocumentEngine word;
    docs::DataSheetDispatch dispatch(m_table, word, m_clock);
    const docs::DataSheetResult result = dispatch.OnDataSheet(request);
    if (!result.ok) {
        m_prompts.ShowMessageBox(result.errorBox);
        return;
    }
    DocumentWritten(result.savedPath);
}

void CaptureController::ApplyDirectories(const std::string& folder, bool word2007)
{
    m_reportsFolder = folder;
    m_settings.WriteProfileString(settings::kDirectories, settings::kReports, folder);
    m_word2007 = word2007 ? 1 : 0;
    m_settings.WriteProfileString(settings::kDirectories, settings::kWord2007, word2007 ? "1" : "0");
    std::string error;
    if (!CreateReportsFolderTree(folder, &error)) {
        // Kept all the same: the save will say so if the folder is still missing then.
        m_view.ShowStatus(error);
    }
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
    m_notepad->SetEditorSetting(m_settings.GetProfileString(settings::kSettings, "szTextEditor", ""));
    const std::string problem = m_notepad->StartNotepad(lines);
    if (!problem.empty()) {
        m_prompts.ShowMessageBox(problem);
    }
}

void CaptureController::DocumentWritten(const std::string& path)
{
    m_lastDocument = path;
    m_view.ShowStatus("Saved " + path);
    if (m_openDocument) {
        m_openDocument(path);
    }
}

bool CaptureController::SaveCaptureTo(const std::string& path, std::string& error) const
{
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(m_view.LineCount()));
    for (int i = 0; i < m_view.LineCount(); ++i) {
        lines.push_back(m_view.LineText(i));
    }
    if (!WriteWholeFile(path, FormatCaptureFile(lines), error)) {
        error = "Cannot save the captured lines: " + error;
        return false;
    }
    return true;
}

bool CaptureController::OpenCaptureFrom(const std::string& path, std::string& error)
{
    std::string content;
    if (!ReadWholeFile(path, content, error)) {
        error = "Cannot open the captured lines: " + error;
        return false;
    }
    // Lines from a file are already on disk: they start no capture.
    m_capture.reset();
    ClearForm();
    m_receive.DiscardPartialLine();
    ReplayCaptureFile(content, m_table, m_view, m_view);
    ShowResults();
    return true;
}

void CaptureController::OnSaveCapture()
{
    auto path = m_prompts.ChooseSaveFile("Save Captured Lines", kCaptureFilter);
    if (!path) {
        return;
    }
    // "Open Captured Lines" lists *.txt: a name without an extension gets it.
    if (!std::filesystem::path(PathFromUtf8(*path)).has_extension()) {
        *path += ".txt";
        std::error_code ec;
        if (std::filesystem::exists(PathFromUtf8(*path), ec) &&
            m_prompts.ShowConfirm(*path + " already exists.\nReplace it?", DefaultButton::Cancel) != kIdOk) {
            return;
        }
    }
    std::string error;
    if (!SaveCaptureTo(*path, error)) {
        m_prompts.ShowError(error);
    } else {
        m_view.ShowStatus("Saved " + Plural(m_view.LineCount(), "line", "lines") + " to " + *path);
    }
}

void CaptureController::OnOpenCapture()
{
    if (m_inProgress || !SecureLastCapture()) {
        return;
    }
    const auto path = m_prompts.ChooseOpenFile("Open Captured Lines", kCaptureFilter);
    std::string error;
    if (path && !OpenCaptureFrom(*path, error)) {
        m_prompts.ShowError(error);
    } else if (path) {
        m_view.ShowStatus("Opened " + std::to_string(m_view.LineCount()) + " lines from " + *path);
    }
}

} // namespace tessaprint
