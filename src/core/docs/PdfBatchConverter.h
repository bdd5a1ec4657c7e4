#pragma once

#include "docs/PdfCopySettings.h"
#include "util/ProcessRunner.h"
#include "util/Result.h"

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace tessaprint::docs {

// One batch of PDF copies.
struct PdfBatchJob {
    std::vector<std::string> documents;                               // .docx paths
    std::string office;                                               // as FindOffice gives it
    int timeLimitSeconds = PdfCopySettings::kDefaultTimeLimitSeconds; // the setting (one document's limit)
};

// Told once per document, as its PDF is made or is known not to come:
// the document's place in PdfBatchJob::documents, and the PDF's path or why
// there is none (the reason alone, for PdfCopyFailedText).
using PdfCopyDone = std::function<void(std::size_t index, const Result<std::string>& pdf)>;

// The reason given for a document whose copy was stopped by the user before it was made.
inline constexpr const char* kPdfCopyCancelled = "cancelled before the copy was made";

class PdfBatchConverter {
public:
    // tempFolder: "" = the system's temporary folder. profileRoot: the
    // program's own data folder where office profiles are kept between runs
    // ("" = a fresh profile in the temporary folder for every run, as before).
    PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot);

    // Converts every document in as few office runs as possible; done is
    // called on this thread (from inside Convert) for each document, as each
    // PDF appears. Returns every document's outcome in the job's order.
    // stop ends the run under way: documents without a finished, checked PDF
    // get an error ("cancelled before the copy was made"), and no half-written
    // PDF is left under a final name.
    std::vector<Result<std::string>> Convert(const PdfBatchJob& job, const PdfCopyDone& done = {},
                                             std::stop_token stop = {}) const;

    // The time one run of `documents` may take, from the per-document setting.
    static int BatchTimeLimitSeconds(int perDocumentSeconds, std::size_t documents);

private:
    ProcessRunner& m_runner;
    std::string m_tempFolder;
    std::string m_profileRoot;
};

} // namespace tessaprint::docs
