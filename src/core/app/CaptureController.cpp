#include "app/CaptureController.h"

#include "app/DeviceLine.h"
#include "docs/DataSheet.h"
#include "history/HistoryStore.h"
#include "link/InstrumentCommands.h"
#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "results/RecordsOnSelector.h"
#include "results/ReportsFolder.h"
#include "results/ResultsCsv.h"
#include "text/IsoLocalTime.h"
#include "text/Plural.h"
#include "text/Trim.h"
#include "util/AtomicFile.h"
#include "util/FileIo.h"

namespace tessaprint {

CaptureController::CaptureController(SerialDriver& driver, FormView& view, SettingsStore& settings, Prompts& prompts,
                                     Clock& clock, docs::WordProcessorFactory wordProcessor)
    : m_tap(*this), m_driver(driver), m_view(view), m_settings(settings), m_prompts(prompts), m_clock(clock),
      m_receive(driver, m_table, view, m_tap, clock),
      m_port(driver, settings, prompts,
             PortConnection::RouteEvents([this](int code) { return m_receive.OnDriverEvent(code); },
                                         [this] { OnPortLost(); })),
      m_session(m_receive, settings, clock, *this), m_versionTimer(clock.CreateTimer()),
      m_replug(
          driver, clock, [this] { return ReopenLostPort(); },
          [this] {
              m_view.ShowStatus("Port " + PortText() +
                                " did not come back within a minute; choose it in the Port menu once its adapter "
                                "is plugged in again.");
          }),
      m_documents(view, settings, prompts, clock, m_table, std::move(wordProcessor)),
      m_files(view, settings, prompts, m_table, m_documents), m_lastTime(view, m_table)
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
    return {currentPort(), PortText(), KindText(), m_documents.reportsFolder()};
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
    m_documents.ReadSettings();
    m_unitType = m_settings.Read(settings::kUnitType);
    m_replug.Stop();
    m_port.OpenConfiguredPort();
    m_session.PortOpened();
    m_view.RaiseAndResizeFrame(kFrameWidth, kFrameHeight);
    m_view.ClearReadingRows();
    m_lastTime.ForgetLastTime();
    m_view.SetupReadingColumns();
    const auto kind = KindFromUnitType(m_unitType);
    m_view.SetCheckedKind(kind);
    if (kind && m_kindChanged) {
        m_kindChanged(*kind);
    }
    m_view.SetDataSheetEnabled(false);
    ApplyStoredLimits();
    if (!kept.empty()) {
        m_view.ShowStatus("The capture on " + port + " was cut off; " + kept + ".");
    }
}

void CaptureController::ApplyStoredLimits()
{
    Result<std::shared_ptr<const verdict::VerdictEngine>> engine =
        MakeChosenEngine(limitsChoice(), m_storedDevices ? &*m_storedDevices : nullptr);
    if (!engine) {
        // Never judged by half the limits: without them, no verdicts at all.
        SetVerdictEngine(nullptr);
        if (engine.error().message != m_reportedLimitsFault) {
            m_reportedLimitsFault = engine.error().message;
            m_prompts.ShowError("Readings are not judged against limits: " + engine.error().message +
                                "\nCorrect the file, or choose another in Options > Limits.");
        }
        return;
    }
    m_reportedLimitsFault.clear();
    SetVerdictEngine(std::move(engine.value()));
}

Result<void> CaptureController::ApplyLimits(const LimitsChoice& choice)
{
    Result<std::shared_ptr<const verdict::VerdictEngine>> engine =
        MakeChosenEngine(choice, m_storedDevices ? &*m_storedDevices : nullptr);
    if (!engine) {
        return engine.error();
    }
    choice.Write(m_settings);
    m_reportedLimitsFault.clear();
    SetVerdictEngine(std::move(engine.value()));
    return {};
}

void CaptureController::SetVerdictEngine(std::shared_ptr<const verdict::VerdictEngine> engine)
{
    m_verdicts = std::move(engine);
    m_documents.SetVerdictEngine(m_verdicts);
    m_view.SetVerdictsShown(m_verdicts != nullptr);
    JudgeShownRecord();
}

void CaptureController::SetStoredEquipment(std::optional<std::vector<verdict::Device>> devices)
{
    m_storedDevices = std::move(devices);
    m_storedList = verdict::EquipmentList(m_storedDevices ? *m_storedDevices : std::vector<verdict::Device>());
    const LimitsChoice choice = limitsChoice();
    if (choice.on && choice.sources.inventoryFile.empty()) {
        ApplyStoredLimits();
    }
    ShowDeviceLine();
}

std::string CaptureController::ChosenEquipmentId() const
{
    const int item = m_view.SelectorCurrent();
    const int record = item < 0 ? -1 : m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    return record < 0 ? std::string() : std::string(TrimBlanks(m_table.EquipmentId(record)));
}

void CaptureController::ShowDeviceLine()
{
    const std::string id = ChosenEquipmentId();
    if (!m_storedDevices || id.empty()) {
        m_view.ShowDeviceLine("", false);
        return;
    }
    const verdict::Device* device = m_storedList.Find(id);
    if (!device) {
        m_view.ShowDeviceLine(kNotInEquipmentList, true);
        return;
    }
    const int item = m_view.SelectorCurrent();
    const int record = m_table.RecordForSelectorItem(item, m_view.SelectorItemText(item));
    m_view.ShowDeviceLine(DeviceLineText(*device, history::ParseTestDay(std::string(TrimBlanks(m_table.Date(record))))),
                          false);
}

void CaptureController::JudgeShownRecord()
{
    const int item = m_view.SelectorCurrent();
    if (!m_verdicts || item < 0) {
        return;
    }
    // Judged as Data Sheet judges it, so the window and the document agree.
    m_view.ShowRecordVerdict(docs::JudgeDataSheetRows(
        *m_verdicts, docs::MakeDataSheetRequest(m_view, m_view, m_view.CheckedKind(), std::string(), 1)));
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
    m_lastTime.ForgetLastTime();
    ShowDeviceLine();
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
    m_lastTime.LookUpLastTime(m_capturedAt);
    JudgeShownRecord();
    ShowDeviceLine();
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
    // Another instrument's rules judge the same rows.
    JudgeShownRecord();
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
    m_lastTime.LookUpLastTime(m_capturedAt);
    JudgeShownRecord();
    ShowDeviceLine();
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
    m_lastTime.RecordCapture(currentPort() > 0 ? port : std::string(), archivePath, m_capturedAt, m_captureId,
                             m_verdicts.get());
}

void CaptureController::OnExportCsv()
{
    if (!m_session.InProgress()) {
        m_files.OnExportCsv(m_capturedAt);
    }
}

void CaptureController::OnLButtonDblClk(int x, int y)
{
    if (x > kCornerX && y > kCornerY) {
        m_view.SetDataSheetEnabled(true);
    }
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

void CaptureController::OnOpenCapture()
{
    if (m_session.InProgress() || !SecureLastCapture()) {
        return;
    }
    if (const auto path = m_files.ChooseCaptureToOpen()) {
        OpenNamedCapture(*path);
    }
}

void CaptureController::OpenNamedCapture(const std::string& path)
{
    if (const Result<void> opened = OpenCaptureFrom(path); !opened) {
        m_prompts.ShowError(opened.error().message);
    } else {
        m_view.ShowStatus("Opened " + std::to_string(m_view.LineCount()) + " lines from " + path);
    }
}

} // namespace tessaprint
