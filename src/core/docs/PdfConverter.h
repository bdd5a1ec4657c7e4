#pragma once

#include "docs/PdfCopySettings.h"
#include "util/ProcessRunner.h"
#include "util/Result.h"

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaprint::docs {

// One PDF copy to make: the document, the office program (see FindOffice)
// and how long it may take.
struct PdfJob {
    std::string document;
    std::string office;
    int timeLimitSeconds = PdfCopySettings::kDefaultTimeLimitSeconds;
};

// Makes the PDF copy of a written document with the office program in
// headless mode: "<folder>/<name>.docx" gives "<folder>/<name>.pdf". Each
// conversion has a fresh user profile of its own below the temporary folder,
// so an office program the user has open is never disturbed and two
// conversions never share one; the office program writes into a folder of
// the conversion's own, and only a file that is a PDF is moved beside the
// document, whole. The document itself is only read. A file already there
// under the PDF's name is older than the document (whose name was new), so it
// is a copy of another report: it is never replaced, and the copy gets
// "<name>-2.pdf", "-3", … as reports do. Everything the conversion made in the
// temporary folder goes when it ends, whichever way it ends. It is a batch of
// one document (see PdfBatchConverter), and with a profileRoot it uses the
// profiles kept there, which spares it the office program's first-start setup.
class PdfConverter {
public:
    // An empty tempFolder is the system's temporary folder.
    PdfConverter(ProcessRunner& runner, std::string tempFolder);
    // profileRoot: where office profiles are kept between conversions ("": none).
    PdfConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot);

    // The PDF's path, or why there is none (the reason alone, for
    // PdfCopyFailedText). stop ends a conversion under way (the program is
    // quitting).
    Result<std::string> Convert(const PdfJob& job, std::stop_token stop = {}) const;

    // The office program's arguments for one conversion.
    static std::vector<std::string> Arguments(const std::filesystem::path& profile,
                                              const std::filesystem::path& outFolder,
                                              const std::filesystem::path& document);

private:
    ProcessRunner& m_runner;
    std::string m_tempFolder;
    std::string m_profileRoot;
};

// "file:///tmp/a%20b", "file:///C:/Users/…": a folder as the office program takes it.
std::string FileUrl(const std::filesystem::path& folder);

// The status bar's words: "PDF copy saved: <path>", and "PDF copy of
// <name>.docx failed: <reason>".
std::string PdfCopySavedText(const std::string& pdfPath);
std::string PdfCopyFailedText(const std::string& documentPath, const Error& error);

} // namespace tessaprint::docs
