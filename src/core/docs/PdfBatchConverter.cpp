#include "docs/PdfBatchConverter.h"

#include "docs/PdfConverter.h"

namespace tessaprint::docs {

PdfBatchConverter::PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot)
    : m_runner(runner), m_tempFolder(std::move(tempFolder)), m_profileRoot(std::move(profileRoot))
{
}

int PdfBatchConverter::BatchTimeLimitSeconds(int perDocumentSeconds, std::size_t documents)
{
    return perDocumentSeconds * static_cast<int>(documents == 0 ? 1 : documents);
}

std::vector<Result<std::string>> PdfBatchConverter::Convert(const PdfBatchJob& job, const PdfCopyDone& done,
                                                            std::stop_token stop) const
{
    // One run per document for now.
    const PdfConverter single(m_runner, m_tempFolder);
    std::vector<Result<std::string>> results;
    results.reserve(job.documents.size());
    for (std::size_t i = 0; i < job.documents.size(); ++i) {
        if (stop.stop_requested()) {
            results.emplace_back(Error{kErrorFail, "cancelled before the copy was made"});
        } else {
            results.push_back(single.Convert(PdfJob{job.documents[i], job.office, job.timeLimitSeconds}, stop));
        }
        if (done) {
            done(i, results.back());
        }
    }
    return results;
}

} // namespace tessaprint::docs
