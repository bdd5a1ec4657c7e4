#include "CliCommands.h"

#include "HistoryAccess.h"
#include "app/QtSettingsStore.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfBatchConverter.h"
#include "docs/PdfConverter.h"
#include "history/HistoryDatabase.h"
#include "util/QtProcessRunner.h"

#include <QCoreApplication>

#include <iostream>
#include <optional>

namespace tessaprint {

void AddPdfCopyOptions(CLI::App& command, PdfCopyOptions& options)
{
    CLI::Option* pdf =
        command.add_flag("--pdf", options.pdf, "also write <name>.pdf beside each document, with LibreOffice");
    command
        .add_option("--office", options.office,
                    "the office program for --pdf (default: " + settings::PathName(settings::kOfficeCommand) +
                        ", else soffice or libreoffice on PATH or in its usual install places)")
        ->type_name("PATH")
        ->needs(pdf);
}

int WritePdfCopies(const PdfCopyOptions& options, const std::vector<std::string>& documents)
{
    if (documents.empty()) {
        return 0;
    }
    const QtSettingsStore settings;
    const docs::PdfCopySettings read = docs::PdfCopySettings::Read(settings);
    const Result<std::string> office =
        options.office.empty() ? docs::FindOffice(read.officeCommand, docs::OfficeEnvironment::Current())
                               : docs::FindOffice(options.office, docs::OfficeEnvironment::Current(), "--office");
    if (!office) {
        for (const std::string& document : documents) {
            std::cerr << "tessaprint-cli: " << docs::PdfCopyFailedText(document, office.error()) << "\n";
        }
        return static_cast<int>(documents.size());
    }
    // The office profiles kept where the window keeps its own, so a second
    // run skips the office program's first-run setup; the names make that
    // folder the window's.
    std::optional<QtForHistory> qt;
    if (QCoreApplication::instance() == nullptr) {
        qt.emplace();
    }
    const std::unique_ptr<ProcessRunner> runner = MakeSystemProcessRunner();
    // The system's temporary folder.
    const docs::PdfBatchConverter converter(*runner, std::string(), history::HistoryDataFolder());
    int failures = 0;
    converter.Convert(docs::PdfBatchJob{documents, office.value(), read.timeLimitSeconds},
                      [&documents, &failures](std::size_t index, const Result<std::string>& pdf) {
                          if (pdf) {
                              std::cout << pdf.value() << std::endl;
                          } else {
                              ++failures;
                              std::cerr << "tessaprint-cli: " << docs::PdfCopyFailedText(documents[index], pdf.error())
                                        << "\n";
                          }
                      });
    return failures;
}

bool WritePdfCopy(const PdfCopyOptions& options, const std::string& document)
{
    return WritePdfCopies(options, {document}) == 0;
}

} // namespace tessaprint
