#pragma once

#include "app/FormDocuments.h"
#include "app/FormView.h"
#include "results/ResultsCsv.h"
#include "results/ResultsTable.h"
#include "util/CNotepad.h"
#include "util/Prompts.h"
#include "util/Result.h"
#include "util/SettingsStore.h"

#include <optional>
#include <string>

namespace tessaprint {

// The form's files: the captured lines saved (CR LF after each line) and
// chosen for opening, the results exported as CSV, the lines shown in a text
// editor, and where each file chooser starts.
class FormFiles {
public:
    FormFiles(FormView& view, SettingsStore& settings, Prompts& prompts, const ResultsTable& table,
              const FormDocuments& documents);

    // "Notepad": the received lines go to a text editor started for them.
    void OnNotepad();
    void SetNotepad(CNotepad* notepad) { m_notepad = notepad; }

    void OnSaveCapture();
    Result<void> SaveCaptureTo(const std::string& path) const;
    // The file "Open Captured Lines" chose; nothing when the user cancelled.
    std::optional<std::string> ChooseCaptureToOpen();
    // File > Export Results as CSV: every equipment ID's readings, one row
    // each, for a maintenance system or a spreadsheet; capturedAt is when the
    // readings shown were captured.
    void OnExportCsv(const std::string& capturedAt);
    Result<CsvCounts> ExportCsvTo(const std::string& path, const std::string& capturedAt) const;

private:
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

    FormView& m_view;
    SettingsStore& m_settings;
    Prompts& m_prompts;
    const ResultsTable& m_table;
    const FormDocuments& m_documents;
    CNotepad* m_notepad = nullptr;
};

} // namespace tessaprint
