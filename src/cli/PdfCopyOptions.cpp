#include "CliCommands.h"

#include "app/QtSettingsStore.h"
#include "docs/OfficeLocator.h"
#include "docs/PdfConverter.h"
#include "util/QtProcessRunner.h"

#include <iostream>

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

bool WritePdfCopy(const PdfCopyOptions& options, const std::string& document)
{
    const QtSettingsStore settings;
    const docs::PdfCopySettings read = docs::PdfCopySettings::Read(settings);
    const Result<std::string> office =
        options.office.empty() ? docs::FindOffice(read.officeCommand, docs::OfficeEnvironment::Current())
                               : docs::FindOffice(options.office, docs::OfficeEnvironment::Current(), "--office");
    if (!office) {
        std::cerr << "tessaprint-cli: " << docs::PdfCopyFailedText(document, office.error()) << "\n";
        return false;
    }
    const std::unique_ptr<ProcessRunner> runner = MakeSystemProcessRunner();
    // The system's temporary folder.
    const docs::PdfConverter converter(*runner, std::string());
    const Result<std::string> pdf = converter.Convert(docs::PdfJob{document, office.value(), read.timeLimitSeconds});
    if (!pdf) {
        std::cerr << "tessaprint-cli: " << docs::PdfCopyFailedText(document, pdf.error()) << "\n";
        return false;
    }
    std::cout << pdf.value() << "\n";
    return true;
}

} // namespace tessaprint
