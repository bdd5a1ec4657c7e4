#include "docs/PdfConverter.h"

#include "docs/PdfBatchConverter.h"
#include "util/Utf8Path.h"

namespace tessaprint::docs {

namespace fs = std::filesystem;

namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/' || c == ':';
}

} // namespace

PdfConverter::PdfConverter(ProcessRunner& runner, std::string tempFolder)
    : PdfConverter(runner, std::move(tempFolder), std::string())
{
}

PdfConverter::PdfConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot)
    : m_runner(runner), m_tempFolder(std::move(tempFolder)), m_profileRoot(std::move(profileRoot))
{
}

std::vector<std::string> PdfConverter::Arguments(const fs::path& profile, const fs::path& outFolder,
                                                 const fs::path& document)
{
    return PdfBatchConverter::Arguments(profile, outFolder, {document});
}

Result<std::string> PdfConverter::Convert(const PdfJob& job, std::stop_token stop) const
{
    const PdfBatchConverter batch(m_runner, m_tempFolder, m_profileRoot);
    Result<std::string> pdf = std::move(
        batch.Convert(PdfBatchJob{{job.document}, job.office, job.timeLimitSeconds}, {}, std::move(stop)).front());
    // One copy at a time is stopped only when the program quits.
    if (!pdf && pdf.error().message == kPdfCopyCancelled) {
        return Error{pdf.error().code, "the program was closed before the copy was made"};
    }
    return pdf;
}

std::string FileUrl(const fs::path& folder)
{
    std::string path = PathToUtf8(folder);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (path.empty() || path.front() != '/') {
        path.insert(path.begin(), '/'); // a drive letter: file:///C:/…
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

std::string PdfCopySavedText(const std::string& pdfPath)
{
    return "PDF copy saved: " + pdfPath;
}

std::string PdfCopyFailedText(const std::string& documentPath, const Error& error)
{
    return "PDF copy of " + PathToUtf8(PathFromUtf8(documentPath).filename()) + " failed: " + error.message;
}

} // namespace tessaprint::docs
