#pragma once

#include "app/FormView.h"
#include "docs/AllDataSheets.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfBatchConverter.h"
#include "docs/PdfConverter.h"
#include "docs/WordApplication.h"
#include "history/HistoryStore.h"
#include "results/ResultsTable.h"
#include "util/Clock.h"
#include "util/Prompts.h"
#include "util/Result.h"
#include "util/SettingsStore.h"
#include "verdict/VerdictEngine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaprint {

// The form's documents: where they go (the reports folder and the Word 2007
// flag of the Directories options), "Data Sheet" and "All Data Sheets", their
// PDF copies and what the user is told once one is written.
class FormDocuments {
public:
    // Documents are written with what wordProcessor makes: the document engine
    // in the program, a recording or failing double in tests.
    FormDocuments(FormView& view, SettingsStore& settings, Prompts& prompts, Clock& clock, ResultsTable& table,
                  docs::WordProcessorFactory wordProcessor);

    // The form's first update: the reports folder and the Word 2007 flag as stored.
    void ReadSettings();

    // "Data Sheet": the test record of the chosen equipment ID, saved in the
    // reports folder and handed to the document opener.
    void OnDataSheet();
    // "Data Sheet" of a record of the history, handed on as the form's own.
    void OnPastDataSheet(const history::HistoryRecord& record);
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
    // A document was written (Data Sheet, Export to Word): with "Directories"/"SavePdf" set, its PDF copy is queued. An
    // office program that cannot be found is reported at once.
    void QueuePdfCopy(const std::string& documentPath);
    // The documents of a batch (All Data Sheets) as one batch of PDF copies
    // with the office program and time limit of the settings now, or why the
    // office program cannot be used. Whether copies are wanted is savePdf's.
    Result<docs::PdfBatchJob> PdfBatchJobFor(std::vector<std::string> documents) const;
    // A PDF copy is done: the status bar says where it is, or why there is none.
    void PdfCopyDone(const std::string& documentPath, const Result<std::string>& pdf);

    // Verdicts: what judges the records Data Sheet and All Data Sheets write
    // (and the CSV export's rows); nullptr: verdicts off, the documents as before.
    void SetVerdictEngine(std::shared_ptr<const verdict::VerdictEngine> engine) { m_verdicts = std::move(engine); }
    const std::shared_ptr<const verdict::VerdictEngine>& verdictEngine() const { return m_verdicts; }

    const std::string& reportsFolder() const { return m_reportsFolder; }
    int word2007() const { return m_word2007; }
    // Where the latest document went (with extension); empty before any.
    const std::string& lastDocumentPath() const { return m_lastDocument; }

private:
    FormView& m_view;
    SettingsStore& m_settings;
    Prompts& m_prompts;
    Clock& m_clock;
    ResultsTable& m_table;
    std::string m_reportsFolder;
    std::string m_ownReportsFolder;
    int m_word2007 = 1;
    std::string m_lastDocument;
    // The message that nothing opens .docx files was shown in this run.
    bool m_toldNoDocumentProgram = false;
    docs::WordProcessorFactory m_wordProcessor;
    std::function<bool(const std::string&)> m_openDocument;
    std::function<bool(const std::string&)> m_openFolder;
    std::function<void(const std::string&)> m_folderAction;
    std::function<void(const docs::PdfJob&)> m_pdfCopier;
    docs::OfficeEnvironment m_officeEnvironment = docs::OfficeEnvironment::Current();
    std::shared_ptr<const verdict::VerdictEngine> m_verdicts;
};

} // namespace tessaprint
