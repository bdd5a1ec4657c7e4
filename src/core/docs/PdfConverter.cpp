#include "docs/PdfConverter.h"

#include "util/AtomicFile.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <cerrno>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <cstdlib>
#endif

namespace tessaprint::docs {

namespace fs = std::filesystem;

namespace {

// The folder of one conversion: made fresh, readable by this user alone (the
// document holds the hospital's data), removed with all in it at the end.
class WorkFolder {
public:
    static Result<fs::path> Make(const std::string& tempFolder)
    {
        std::error_code noTemp;
        const fs::path base = tempFolder.empty() ? fs::temp_directory_path(noTemp) : PathFromUtf8(tempFolder);
        if (base.empty()) {
            return Error{kErrorPathNotFound,
                         "there is no temporary folder" + (noTemp ? ": " + noTemp.message() : std::string())};
        }
#ifdef _WIN32
        std::random_device seed;
        std::error_code ec;
        fs::create_directories(base, ec);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path folder = base / ("tessaprint-pdf-" + std::to_string(seed()));
            if (fs::create_directory(folder, ec)) {
                return folder;
            }
            if (ec) {
                break;
            }
        }
        return Error{kErrorFail, "cannot make a temporary folder in " + PathToUtf8(base) +
                                     (ec ? ": " + ec.message() : std::string())};
#else
        std::error_code ignored;
        fs::create_directories(base, ignored);
        std::string name = (base / "tessaprint-pdf-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            return ErrnoError(errno, "cannot make a temporary folder in " + base.string());
        }
        return fs::path(name);
#endif
    }

    explicit WorkFolder(fs::path path) : m_path(std::move(path))
    {
    }
    ~WorkFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

private:
    fs::path m_path;
};

// The last line the office program wrote, which is where it says why.
std::string Said(const std::string& output)
{
    const std::size_t end = output.find_last_not_of(" \t\r\n");
    if (end == std::string::npos) {
        return {};
    }
    const std::size_t newline = output.find_last_of("\r\n", end);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    std::string line = output.substr(start, end + 1 - start);
    constexpr std::size_t kLongest = 200;
    if (line.size() > kLongest) {
        line = line.substr(0, kLongest) + "…";
    }
    return " (" + line + ")";
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/' || c == ':';
}

} // namespace

PdfConverter::PdfConverter(ProcessRunner& runner, std::string tempFolder)
    : m_runner(runner), m_tempFolder(std::move(tempFolder))
{
}

std::vector<std::string> PdfConverter::Arguments(const fs::path& profile, const fs::path& outFolder,
                                                 const fs::path& document)
{
    return {"-env:UserInstallation=" + FileUrl(profile),
            "--headless",
            "--norestore",
            "--convert-to",
            "pdf",
            "--outdir",
            PathToUtf8(outFolder),
            PathToUtf8(document)};
}

Result<std::string> PdfConverter::Convert(const PdfJob& job, std::stop_token stop) const
{
    std::error_code ec;
    // Absolute, so that no name is ever taken for one of the office program's options.
    const fs::path document = fs::absolute(PathFromUtf8(job.document), ec);
    if (ec || !fs::is_regular_file(document, ec)) {
        return Error{kErrorPathNotFound, "the document is not there"};
    }
    Result<fs::path> made = WorkFolder::Make(m_tempFolder);
    if (!made) {
        return made.error();
    }
    const WorkFolder work(made.value());
    const fs::path out = made.value() / "out";
    if (!fs::create_directory(out, ec)) {
        return Error{kErrorFail, "cannot make a temporary folder in " + PathToUtf8(made.value())};
    }

    const int limitSeconds = job.timeLimitSeconds;
    const Result<ProcessOutcome> ran =
        m_runner.Run(job.office, Arguments(made.value() / "profile", out, document), limitSeconds * 1000, stop);
    if (!ran) {
        return Error{ran.error().code, "LibreOffice (" + job.office + ") could not be started: " + ran.error().message};
    }
    const ProcessOutcome& outcome = ran.value();
    switch (outcome.end) {
    case ProcessOutcome::End::TimedOut:
        return Error{kErrorFail, "LibreOffice did not finish within " + std::to_string(limitSeconds) + " s"};
    case ProcessOutcome::End::Stopped:
        return Error{kErrorFail, "the program was closed before the copy was made"};
    case ProcessOutcome::End::Crashed:
        return Error{kErrorFail, "LibreOffice ended abnormally" + Said(outcome.output)};
    case ProcessOutcome::End::Exited:
        if (outcome.exitCode != 0) {
            return Error{kErrorFail, "LibreOffice ended with exit status " + std::to_string(outcome.exitCode) +
                                         Said(outcome.output)};
        }
        break;
    }

    // It says nothing through its exit status when a document does not load: what it wrote decides.
    const fs::path written = out / (document.stem().native() + fs::path(".pdf").native());
    if (!fs::exists(written, ec)) {
        return Error{kErrorFail, "LibreOffice wrote no PDF" + Said(outcome.output)};
    }
    const Result<std::string> bytes = ReadWholeFile(PathToUtf8(written));
    if (!bytes) {
        return bytes.error();
    }
    if (bytes.value().empty()) {
        return Error{kErrorFail, "LibreOffice wrote an empty file"};
    }
    if (bytes.value().rfind("%PDF", 0) != 0) {
        return Error{kErrorFail, "what LibreOffice wrote is not a PDF"};
    }
    fs::path target = document;
    target.replace_extension(".pdf");
    const Result<fs::path> placed = CreateFileNoReplace(target, bytes.value());
    if (!placed) {
        return Error{placed.error().code, "cannot write " + PathToUtf8(target) + ": " + placed.error().message};
    }
    return PathToUtf8(placed.value());
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
