#include "app/FormDocuments.h"

#include "app/PastDataSheet.h"
#include "docs/DataSheet.h"
#include "docs/PdfCopySettings.h"
#include "results/ReportsFolder.h"
#include "util/Utf8Path.h"

namespace tessaprint {

FormDocuments::FormDocuments(FormView& view, SettingsStore& settings, Prompts& prompts, Clock& clock,
                             ResultsTable& table, docs::WordProcessorFactory wordProcessor)
    : m_view(view), m_settings(settings), m_prompts(prompts), m_clock(clock), m_table(table),
      m_reportsFolder(DefaultReportsFolder()), m_wordProcessor(std::move(wordProcessor))
{
}

void FormDocuments::ReadSettings()
{
    m_reportsFolder =
        HasOwnReportsFolder() ? m_ownReportsFolder : m_settings.Read(settings::kReports, DefaultReportsFolder());
    m_word2007 = m_settings.Read(settings::kWord2007) == "0" ? 0 : 1;
}

void FormDocuments::OnDataSheet()
{
    const std::unique_ptr<docs::WordApplication> word = m_wordProcessor();
    docs::DataSheetDispatch dispatch(m_table, *word, m_clock);
    docs::DataSheetRequest request =
        docs::MakeDataSheetRequest(m_view, m_view, m_view.CheckedKind(), m_reportsFolder, m_word2007);
    if (m_verdicts) {
        request.verdict = docs::JudgeDataSheetRows(*m_verdicts, request);
    }
    const Result<docs::DataSheetDocument> written = dispatch.OnDataSheet(request);
    if (!written) {
        m_prompts.ShowMessageBox(docs::ComErrorText(written.error()));
        return;
    }
    DocumentWritten(written.value().savedPath);
}

void FormDocuments::OnPastDataSheet(const history::HistoryRecord& record)
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

docs::AllDataSheetsInput FormDocuments::AllDataSheetsSnapshot() const
{
    docs::AllDataSheetsInput input{m_table.Copy(), {}, m_view.CheckedKind(), m_reportsFolder, m_word2007, m_verdicts};
    for (int item = 0; item < m_view.SelectorCount(); ++item) {
        input.listing.AddSelectorItem(m_view.SelectorItemText(item));
    }
    input.listing.SetSelectorCurrent(m_view.SelectorCurrent());
    return input;
}

void FormDocuments::AllDataSheetsDone(const docs::AllDataSheetsResult& result)
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

void FormDocuments::SetOwnReportsFolder(std::string folder)
{
    m_ownReportsFolder = std::move(folder);
    if (HasOwnReportsFolder()) {
        m_reportsFolder = m_ownReportsFolder;
    }
}

void FormDocuments::ApplyDirectories(const std::string& folder, bool word2007)
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

void FormDocuments::ApplySavePdf(bool savePdf)
{
    m_settings.Write(settings::kSavePdf, savePdf ? "1" : "0");
}

bool FormDocuments::savePdf() const
{
    return docs::PdfCopySettings::Read(m_settings).savePdf;
}

Result<std::string> FormDocuments::FindOfficeProgram() const
{
    return docs::FindOffice(docs::PdfCopySettings::Read(m_settings).officeCommand, m_officeEnvironment);
}

void FormDocuments::QueuePdfCopy(const std::string& documentPath)
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

Result<docs::PdfBatchJob> FormDocuments::PdfBatchJobFor(std::vector<std::string> documents) const
{
    const docs::PdfCopySettings pdf = docs::PdfCopySettings::Read(m_settings);
    const Result<std::string> office = docs::FindOffice(pdf.officeCommand, m_officeEnvironment);
    if (!office) {
        return office.error();
    }
    return docs::PdfBatchJob{std::move(documents), office.value(), pdf.timeLimitSeconds};
}

void FormDocuments::PdfCopyDone(const std::string& documentPath, const Result<std::string>& pdf)
{
    m_view.ShowStatus(pdf ? docs::PdfCopySavedText(pdf.value()) : docs::PdfCopyFailedText(documentPath, pdf.error()));
}

void FormDocuments::DocumentWritten(const std::string& path)
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

void FormDocuments::OpenFolder(const std::string& folder)
{
    if (m_openFolder && !m_openFolder(folder)) {
        m_prompts.ShowMessageBox("The reports folder\n" + folder +
                                 "\ncould not be shown: no file manager on this computer opened it.");
    }
}

} // namespace tessaprint
