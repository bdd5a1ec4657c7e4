#pragma once

#include "docs/PdfCopySettings.h"
#include "util/Clock.h"
#include "util/ProcessRunner.h"
#include "util/Result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

// Makes the PDF copies of many written documents with as few runs of the
// office program as it can: one run converts every document whose name is
// not yet taken in that run (it writes "<name>.pdf" into one folder), so two
// documents of one name in two folders go in two runs. Each copy is what
// PdfConverter makes of one document (checked, moved beside its document
// whole, never replacing a file), and is told as soon as the office program
// has gone on to the next document, while the run goes on.
//
// With a profileRoot, the office program's user profile is kept there between
// runs, so only the first run pays for its first-start setup:
// "<profileRoot>/office-profile-N" (N = 1 .. kKeptProfiles), each held by a
// lock on "office-profile-N.lock" for the whole of a Convert, so two
// conversions (two windows, a window and the command line) never share one.
// With all of them held, a fresh profile in the temporary folder is used, as
// without a profileRoot. A kept profile whose run failed without a single PDF
// (a crash, or an exit status that is not 0) may be what is broken: it is
// removed and the run tried once more with a new one in its place.
//
// A run may take BatchTimeLimitSeconds, and it is taken for hung, and ended,
// when no document has come out for one document's limit. Then the copies
// made keep their PDFs, the document under way is said not to have finished,
// and those after it, in this run or later ones, are not converted.
class PdfBatchConverter {
public:
    // How many kept profiles may be in use at once.
    static constexpr int kKeptProfiles = 4;
    // tempFolder: "" = the system's temporary folder. profileRoot: the
    // program's own data folder where office profiles are kept between runs
    // ("" = a fresh profile in the temporary folder for every run, as before).
    PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot);
    // The same, with the time of the hung-run rule read from clock (a test's).
    PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot, const Clock& clock);

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

    // The office program's arguments for one run.
    static std::vector<std::string> Arguments(const std::filesystem::path& profile,
                                              const std::filesystem::path& outFolder,
                                              const std::vector<std::filesystem::path>& documents);

private:
    ProcessRunner& m_runner;
    std::string m_tempFolder;
    std::string m_profileRoot;
    std::function<std::int64_t()> m_nowMs;
};

// Why a document that was waiting for its copy has none when the copies are cancelled.
inline constexpr const char* kPdfCopyCancelled = "cancelled before the copy was made";

} // namespace tessaprint::docs
