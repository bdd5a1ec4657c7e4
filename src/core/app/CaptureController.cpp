#include "app/CaptureController.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/InstrumentCommands.h"
#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "util/FileIo.h"

namespace tessaprint {

namespace {
constexpr const char* kCaptureFilter = "Captured lines (*.txt);;All files (*)";
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
    : m_driver(driver), m_view(view), m_settings(settings), m_prompts(prompts),
      m_receive(driver, m_table, view, view, clock),
      m_port(driver, settings, prompts, [this](int code) { return m_receive.OnDriverEvent(code); }),
      m_reportsFolder(DefaultReportsFolder()), m_clock(clock)
{
}

void CaptureController::OnInitialUpdate()
{
    m_reportsFolder = m_settings.GetProfileString(settings::kDirectories, settings::kReports, DefaultReportsFolder());
    m_unitType = m_settings.GetProfileString(settings::kSettings, settings::kUnitType, settings::kDefaultUnitType);
    m_port.OpenConfiguredPort();
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
    ClearForm();
    SendCommand(m_driver, kPrintCommand);
}

void CaptureController::OnClearMemory()
{
    // The radio buttons decide, not the stored setting.
    std::string text;
    switch (m_view.CheckedKind().value_or(InstrumentKind::Pactrx)) {
    case InstrumentKind::Quellmax:
        text = "Erase all results in the Quellmax?";
        break;
    case InstrumentKind::Kappa5100:
        text = "Erase all results in the Kappa 5100?";
        break;
    case InstrumentKind::Pactrx:
        return; // the pacemaker analyzer is not erased from here
    }
    if (m_prompts.ShowConfirm(text) == kIdOk) {
        SendCommand(m_driver, kClearMemoryCommand);
        m_table.ResetCounters();
    }
}

void CaptureController::OnVersion()
{
    m_view.SetVersionText("------");
    SendVersionRequest(m_driver);
    m_view.RaiseAndResizeFrame(kVersionFrameWidth, kVersionFrameHeight);
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
    m_view.ClearLines();
    m_view.SetDataSheetEnabled(false);
    m_table.ResetCounters();
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

void CaptureController::OnResultsReady()
{
    m_view.SetResultsCaption("Results");
    m_view.ClearReadingRows();
    m_table.FillReadingList(m_view, m_view);
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
    ClearForm();
    ReplayLines(ParseCaptureFile(content), m_table, m_view, m_view);
    OnResultsReady();
    return true;
}

void CaptureController::OnSaveCapture()
{
    const auto path = m_prompts.ChooseSaveFile("Save Captured Lines", kCaptureFilter);
    std::string error;
    if (path && !SaveCaptureTo(*path, error)) {
        m_prompts.ShowError(error);
    } else if (path) {
        m_view.ShowStatus("Saved " + std::to_string(m_view.LineCount()) + " lines to " + *path);
    }
}

void CaptureController::OnOpenCapture()
{
    const auto path = m_prompts.ChooseOpenFile("Open Captured Lines", kCaptureFilter);
    std::string error;
    if (path && !OpenCaptureFrom(*path, error)) {
        m_prompts.ShowError(error);
    } else if (path) {
        m_view.ShowStatus("Opened " + std::to_string(m_view.LineCount()) + " lines from " + *path);
    }
}

} // namespace tessaprint
