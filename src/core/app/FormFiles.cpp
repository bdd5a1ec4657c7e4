#include "app/FormFiles.h"

#include "app/CaptureSession.h"
#include "results/CaptureArchive.h"
#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "text/Plural.h"
#include "util/AtomicFile.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <filesystem>
#include <optional>
#include <sstream>

namespace tessaprint {

namespace {
constexpr const char* kCaptureFilter = "Captures (*.txt);;All files (*)";
constexpr const char* kCsvFilter = "CSV files (*.csv);;All files (*)";
// The folder each kind of file chooser was last used in.

bool IsFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    return !folder.empty() && std::filesystem::is_directory(folder, ec);
}
} // namespace

FormFiles::FormFiles(FormView& view, SettingsStore& settings, Prompts& prompts, const ResultsTable& table,
                     const FormDocuments& documents)
    : m_view(view), m_settings(settings), m_prompts(prompts), m_table(table), m_documents(documents)
{
}

void FormFiles::OnNotepad()
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

Result<void> FormFiles::SaveCaptureTo(const std::string& path) const
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

std::optional<std::string> FormFiles::ChooseFileToWrite(const std::string& title, const std::string& filter,
                                                        const std::string& extension, const settings::Entry& lastFolder)
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

std::string FormFiles::ChooserStart(const settings::Entry& lastFolder) const
{
    if (const std::filesystem::path remembered = PathFromUtf8(m_settings.Read(lastFolder)); IsFolder(remembered)) {
        return PathToUtf8(remembered);
    }
    // Captures are archived below the reports folder, which holds everything else the program writes.
    const std::filesystem::path reports = ResolveReportsFolder(m_documents.reportsFolder());
    if (const std::filesystem::path captures = CaptureArchiveFolder(m_documents.reportsFolder());
        lastFolder.key == settings::kCapturedLinesFolder.key && IsFolder(captures)) {
        return PathToUtf8(captures);
    }
    return IsFolder(reports) ? PathToUtf8(reports) : std::string();
}

void FormFiles::RememberChooserFolder(const settings::Entry& lastFolder, const std::string& chosen)
{
    const std::filesystem::path folder = PathFromUtf8(chosen).parent_path();
    if (!folder.empty()) {
        m_settings.Write(lastFolder, PathToUtf8(folder));
    }
}

std::optional<std::string> FormFiles::ChooseCaptureToOpen()
{
    const auto path =
        m_prompts.ChooseOpenFile("Open Captured Lines", kCaptureFilter, ChooserStart(settings::kCapturedLinesFolder));
    if (path) {
        RememberChooserFolder(settings::kCapturedLinesFolder, *path);
    }
    return path;
}

void FormFiles::OnSaveCapture()
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

Result<CsvCounts> FormFiles::ExportCsvTo(const std::string& path, const std::string& capturedAt) const
{
    CsvSource source;
    if (const auto kind = m_view.CheckedKind()) {
        source.instrument = UnitTypeText(*kind);
    }
    source.capturedAt = capturedAt;
    std::ostringstream csv;
    // Verdicts on: each row with its limit and verdict, as the list judges it.
    std::optional<CsvVerdicts> verdicts;
    if (const verdict::VerdictEngine* engine = m_documents.verdictEngine().get()) {
        // None checked judges as the electrical safety analyzer, as Data Sheet does.
        verdicts.emplace(CsvVerdicts{*engine, m_view.CheckedKind().value_or(InstrumentKind::Quellmax)});
    }
    const CsvCounts counts = WriteResultsCsv(csv, m_table, m_view, source, verdicts ? &*verdicts : nullptr);
    if (const Result<std::filesystem::path> written = ReplaceFile(PathFromUtf8(path), csv.str()); !written) {
        return Error{written.error().code, "Cannot export the results to " + path + ": " + written.error().message};
    }
    return counts;
}

void FormFiles::OnExportCsv(const std::string& capturedAt)
{
    if (m_view.SelectorCount() == 0) {
        m_prompts.ShowError("There are no results to export: press RESULT, or open a saved capture, first.");
        return;
    }
    const auto path = ChooseFileToWrite("Export Results as CSV", kCsvFilter, ".csv", settings::kCsvExportFolder);
    if (!path) {
        return;
    }
    const Result<CsvCounts> exported = ExportCsvTo(*path, capturedAt);
    if (!exported) {
        m_prompts.ShowError(exported.error().message);
        return;
    }
    m_view.ShowStatus(
        "Exported " + Plural(static_cast<std::size_t>(exported.value().readings), "reading", "readings") + " of " +
        Plural(static_cast<std::size_t>(exported.value().records), "equipment ID", "equipment IDs") + " to " + *path);
}

} // namespace tessaprint
