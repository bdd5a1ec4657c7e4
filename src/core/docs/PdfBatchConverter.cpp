#include "docs/PdfBatchConverter.h"

#include "docs/PdfConverter.h"
#include "util/AtomicFile.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <unordered_map>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // std::min and std::max, not the macros
#endif
#include <windows.h>
#else
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tessaprint::docs {

namespace fs = std::filesystem;

namespace {

// The longest line of the office program's output quoted in a reason.
constexpr std::size_t kLongestSaid = 200;
// A line the office program never ends is kept no longer than this.
constexpr std::size_t kLongestLine = 64 * 1024;
// The most a run may take, however many documents it has.
constexpr int kLongestRunSeconds = 4 * 60 * 60;

// The folder of one Convert: made fresh, readable by this user alone (the
// documents hold the hospital's data), removed with all in it at the end.
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

// The office program's user profile for one Convert: a kept one below the
// program's data folder that nobody else holds, or else a fresh one.
class OfficeProfile {
public:
    OfficeProfile(const std::string& root, fs::path fresh) : m_path(std::move(fresh))
    {
        if (root.empty()) {
            return;
        }
        const fs::path folder = PathFromUtf8(root);
        std::error_code ec;
        fs::create_directories(folder, ec);
        for (int n = 1; n <= PdfBatchConverter::kKeptProfiles && !m_kept; ++n) {
            const std::string name = "office-profile-" + std::to_string(n);
            if (Lock(folder / (name + ".lock"))) {
                m_path = folder / name;
                m_kept = true;
            }
        }
    }
    ~OfficeProfile() { Unlock(); }
    OfficeProfile(const OfficeProfile&) = delete;
    OfficeProfile& operator=(const OfficeProfile&) = delete;

    const fs::path& path() const { return m_path; }
    bool kept() const { return m_kept; }

    // There, and for this user alone: the profile lists the documents opened.
    void Make() const
    {
        std::error_code ec;
        if (fs::create_directory(m_path, ec)) {
            fs::permissions(m_path, fs::perms::owner_all, ec);
        }
    }
    // Made anew: one that may be broken goes.
    void Renew() const
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
        Make();
    }

private:
#ifdef _WIN32
    // Opened without sharing: nobody else can open it until it is closed.
    bool Lock(const fs::path& file)
    {
        m_lock = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_lock != INVALID_HANDLE_VALUE;
    }
    void Unlock()
    {
        if (m_lock != INVALID_HANDLE_VALUE) {
            ::CloseHandle(m_lock);
        }
    }
    HANDLE m_lock = INVALID_HANDLE_VALUE;
#else
    // A lock the system lets go of when this program ends, however it ends.
    bool Lock(const fs::path& file)
    {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        m_lock = fd;
        return true;
    }
    void Unlock()
    {
        if (m_lock >= 0) {
            ::close(m_lock);
        }
    }
    int m_lock = -1;
#endif
    fs::path m_path;
    bool m_kept = false;
};

std::string Trimmed(std::string_view line)
{
    const std::size_t end = line.find_last_not_of(" \t\r\n");
    return end == std::string_view::npos ? std::string() : std::string(line.substr(0, end + 1));
}

// The last line of the office program's output, which is where it says why.
std::string LastLine(const std::string& output)
{
    const std::string trimmed = Trimmed(output);
    const std::size_t newline = trimmed.find_last_of("\r\n");
    return newline == std::string::npos ? trimmed : trimmed.substr(newline + 1);
}

// " (<line>)" after a reason, or nothing.
std::string Said(std::string line)
{
    if (line.empty()) {
        return {};
    }
    if (line.size() > kLongestSaid) {
        line = line.substr(0, kLongestSaid) + "…";
    }
    return " (" + line + ")";
}

// Two documents whose PDFs would take one name in one folder, also where
// the file system does not tell "A" from "a".
std::string FoldedName(const fs::path& document)
{
    std::string name = PathToUtf8(document.stem());
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return name;
}

// The documents in runs in which no two have one name; each in the first
// run without its name, so the runs keep the documents' order.
std::vector<std::vector<std::size_t>> Runs(const std::vector<std::size_t>& present,
                                           const std::vector<fs::path>& documents)
{
    std::vector<std::vector<std::size_t>> runs;
    std::unordered_map<std::string, std::size_t> runsWithName;
    for (const std::size_t index : present) {
        const std::size_t run = runsWithName[FoldedName(documents[index])]++;
        if (run == runs.size()) {
            runs.emplace_back();
        }
        runs[run].push_back(index);
    }
    return runs;
}

Error Failed(const std::string& reason)
{
    return Error{kErrorFail, reason};
}

// A PDF the office program finished: checked, and moved beside its document whole.
Result<std::string> Take(const fs::path& written, const fs::path& document)
{
    const Result<std::string> bytes = ReadWholeFile(PathToUtf8(written));
    if (!bytes) {
        return bytes.error();
    }
    std::error_code ignored;
    fs::remove(written, ignored);
    if (bytes.value().empty()) {
        return Failed("LibreOffice wrote an empty file");
    }
    if (bytes.value().rfind("%PDF", 0) != 0) {
        return Failed("what LibreOffice wrote is not a PDF");
    }
    fs::path target = document;
    target.replace_extension(".pdf");
    const Result<fs::path> placed = CreateFileNoReplace(target, bytes.value());
    if (!placed) {
        return Error{placed.error().code, "cannot write " + PathToUtf8(target) + ": " + placed.error().message};
    }
    return PathToUtf8(placed.value());
}

// How one run of the office program ended, for the runs after it.
enum class RunEnd { Done, TryAgain, TimedOut, Stopped, NotStarted };

// One run of the office program over documents of distinct names. While it
// runs, its output folder and what it says are watched: the office program
// converts the documents in the order given, so a document's PDF is finished
// once a later document's PDF is there, or the run has ended well.
class OfficeRun {
public:
    struct Settings {
        const std::string& office;
        int limitSeconds; // the whole run's
        int stallSeconds; // without a new PDF or a word
        bool mayTryAgain; // a failure without any PDF is worth a second run
        std::function<std::int64_t()> nowMs;
    };

    OfficeRun(const std::vector<std::size_t>& indices, const std::vector<fs::path>& documents, fs::path out,
              const std::function<void(std::size_t, Result<std::string>)>& settle)
        : m_out(std::move(out)), m_settle(settle)
    {
        for (const std::size_t index : indices) {
            Document document;
            document.index = index;
            document.path = documents[index];
            document.written = m_out / (documents[index].stem().native() + fs::path(".pdf").native());
            m_byPdfName.emplace(PathToUtf8(document.written.filename()), m_documents.size());
            m_documents.push_back(std::move(document));
        }
    }

    std::vector<fs::path> Documents() const
    {
        std::vector<fs::path> paths;
        for (const auto& document : m_documents) {
            paths.push_back(document.path);
        }
        return paths;
    }

    // Runs the office program; every document is settled unless it answers TryAgain or NotStarted.
    RunEnd Run(ProcessRunner& runner, const fs::path& profile, const Settings& settings, std::stop_token stop,
               Error& notStarted, std::string& timedOut)
    {
        m_stop = stop;
        m_lastNews = settings.nowMs();
        const std::int64_t stallMs = std::int64_t{settings.stallSeconds} * 1000;
        const auto watch = [&](std::string_view output) {
            if (stop.stop_requested()) {
                return false; // cancelled: what was not told by now is not taken any more
            }
            Hear(output);
            Look();
            if (m_news) {
                m_news = false;
                m_lastNews = settings.nowMs();
            } else if (settings.nowMs() - m_lastNews >= stallMs) {
                m_hung = true;
                return false;
            }
            return true;
        };
        const Result<ProcessOutcome> ran =
            runner.Run(settings.office, PdfBatchConverter::Arguments(profile, m_out, Documents()),
                       settings.limitSeconds * 1000, stop, watch);
        if (!ran) {
            notStarted = Error{ran.error().code,
                               "LibreOffice (" + settings.office + ") could not be started: " + ran.error().message};
            return RunEnd::NotStarted;
        }
        const ProcessOutcome& outcome = ran.value();
        // (The watch's last call, after the end, may find the time up: a run that ended by itself did not hang.)
        const bool hung = m_hung && outcome.end == ProcessOutcome::End::Stopped;
        const bool cancelled = outcome.end == ProcessOutcome::End::Stopped && !hung;
        if (!m_partial.empty()) {
            OnLine(Trimmed(m_partial));
        }
        if (!cancelled) {
            Look();
        }
        if (m_lastLine.empty()) {
            m_lastLine = LastLine(outcome.output);
        }

        if (hung || outcome.end == ProcessOutcome::End::TimedOut) {
            const int seconds = hung ? settings.stallSeconds : settings.limitSeconds;
            const std::string within = " within " + std::to_string(seconds) + " s";
            timedOut =
                "not converted: LibreOffice did not finish " + PathToUtf8(m_documents[m_next].path.filename()) + within;
            m_settle(m_documents[m_next].index, Failed("LibreOffice did not finish" + within));
            for (std::size_t k = m_next + 1; k < m_documents.size(); ++k) {
                m_settle(m_documents[k].index, Failed(timedOut));
            }
            return RunEnd::TimedOut;
        }
        if (cancelled) {
            for (std::size_t k = m_next; k < m_documents.size(); ++k) {
                m_settle(m_documents[k].index, Failed(kPdfCopyCancelled));
            }
            return RunEnd::Stopped;
        }
        const bool failed = outcome.end == ProcessOutcome::End::Crashed || outcome.exitCode != 0;
        if (failed && !m_anyPdf && settings.mayTryAgain) {
            return RunEnd::TryAgain;
        }
        for (std::size_t k = m_next; k < m_documents.size(); ++k) {
            const Document& document = m_documents[k];
            std::error_code ec;
            const bool written = fs::exists(document.written, ec);
            // After a crash the last PDF may be cut short; after an exit the
            // office program closed what it wrote, and said which it converted.
            if (written && (!failed || (outcome.end == ProcessOutcome::End::Exited && document.named))) {
                m_settle(document.index, Take(document.written, document.path));
                continue;
            }
            const std::string why = Said(document.line.empty() ? m_lastLine : document.line);
            if (!failed) {
                m_settle(document.index, Failed("LibreOffice wrote no PDF" + why));
            } else if (outcome.end == ProcessOutcome::End::Crashed) {
                m_settle(document.index, Failed("LibreOffice ended abnormally" + why));
            } else {
                m_settle(document.index,
                         Failed("LibreOffice ended with exit status " + std::to_string(outcome.exitCode) + why));
            }
        }
        m_next = m_documents.size();
        return RunEnd::Done;
    }

private:
    struct Document {
        std::size_t index = 0; // in the job
        fs::path path;
        fs::path written;   // where the office program writes its PDF
        bool named = false; // it said it converts this one
        std::string line;   // what it said about this one
    };

    // What the office program says, line by line.
    void Hear(std::string_view output)
    {
        m_partial += output;
        std::size_t start = 0;
        for (std::size_t end; (end = m_partial.find('\n', start)) != std::string::npos; start = end + 1) {
            OnLine(Trimmed(std::string_view(m_partial).substr(start, end - start)));
        }
        m_partial.erase(0, start);
        if (m_partial.size() > kLongestLine) {
            m_partial.erase(kLongestLine);
        }
    }

    // "convert <document> -> <out>/<name>.pdf using filter : writer_pdf_Export"
    // as it starts on a document; "Error: source file could not be loaded"
    // for one it skips; other words about the document it last started.
    void OnLine(const std::string& line)
    {
        if (line.empty()) {
            return;
        }
        m_news = true;
        m_lastLine = line;
        constexpr std::string_view kConvert = "convert ";
        constexpr std::string_view kArrow = " -> ";
        const std::size_t arrow = line.find(kArrow);
        if (line.starts_with(kConvert) && arrow != std::string::npos) {
            std::string target = line.substr(arrow + kArrow.size());
            const std::size_t filter = target.rfind(" using filter");
            if (filter != std::string::npos) {
                target.erase(filter);
            }
            const auto named = m_byPdfName.find(PathToUtf8(PathFromUtf8(target).filename()));
            if (named != m_byPdfName.end()) {
                m_documents[named->second].named = true;
                m_lastNamed = named->second;
                m_cursor = std::max(m_cursor, named->second + 1);
                return;
            }
        }
        if (line.starts_with("Warning:")) {
            return; // about the office program itself ("failed to launch javaldx")
        }
        if (line.find("could not be loaded") == std::string::npos && m_lastNamed &&
            m_documents[*m_lastNamed].line.empty()) {
            m_documents[*m_lastNamed].line = line;
        } else if (m_cursor < m_documents.size()) {
            m_documents[m_cursor++].line = line;
        }
    }

    // The PDFs there: every document before the last of them is finished.
    void Look()
    {
        std::optional<std::size_t> last;
        std::error_code ec;
        for (fs::directory_iterator it(m_out, ec), end; !ec && it != end; it.increment(ec)) {
            const auto found = m_byPdfName.find(PathToUtf8(it->path().filename()));
            if (found != m_byPdfName.end() && (!last || found->second > *last)) {
                last = found->second;
            }
        }
        if (!last) {
            return;
        }
        if (!m_anyPdf || *last > m_lastPdf) {
            m_news = true; // a document it has started on
        }
        m_anyPdf = true;
        m_lastPdf = *last;
        for (; m_next < *last && !m_stop.stop_requested(); ++m_next) {
            const Document& document = m_documents[m_next];
            if (fs::exists(document.written, ec)) {
                m_settle(document.index, Take(document.written, document.path));
            } else {
                m_settle(document.index,
                         Failed("LibreOffice wrote no PDF" + Said(document.line.empty() ? m_lastLine : document.line)));
            }
        }
    }

    fs::path m_out;
    const std::function<void(std::size_t, Result<std::string>)>& m_settle;
    std::vector<Document> m_documents;
    std::unordered_map<std::string, std::size_t> m_byPdfName;
    std::size_t m_next = 0;   // the first document not settled
    std::size_t m_cursor = 0; // the document the office program is said to be at
    std::optional<std::size_t> m_lastNamed;
    std::string m_partial;
    std::string m_lastLine;
    bool m_anyPdf = false;
    std::size_t m_lastPdf = 0; // the last document whose PDF is there
    bool m_news = false;
    bool m_hung = false;
    std::int64_t m_lastNews = 0;
    std::stop_token m_stop; // a cancel takes only the copies told before it
};

std::int64_t SteadyNowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

PdfBatchConverter::PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot)
    : m_runner(runner), m_tempFolder(std::move(tempFolder)), m_profileRoot(std::move(profileRoot)), m_nowMs(SteadyNowMs)
{
}

PdfBatchConverter::PdfBatchConverter(ProcessRunner& runner, std::string tempFolder, std::string profileRoot,
                                     const Clock& clock)
    : m_runner(runner), m_tempFolder(std::move(tempFolder)), m_profileRoot(std::move(profileRoot)),
      m_nowMs([&clock] { return clock.NowMs(); })
{
}

// One document's limit for the first, and a quarter of it (at least 10 s) for
// each further one: a document usually takes well under a second once the
// office program has started, which is most of the first one's time. At most
// four hours; a run that hangs is ended long before, when no document comes
// out for one document's limit.
int PdfBatchConverter::BatchTimeLimitSeconds(int perDocumentSeconds, std::size_t documents)
{
    const std::int64_t perDocument = std::max(perDocumentSeconds, 1);
    const std::int64_t further = documents > 1 ? static_cast<std::int64_t>(documents - 1) : 0;
    const std::int64_t limit =
        perDocument + std::min<std::int64_t>(further, kLongestRunSeconds) * std::max<std::int64_t>(10, perDocument / 4);
    return static_cast<int>(std::min<std::int64_t>(limit, std::max<std::int64_t>(perDocument, kLongestRunSeconds)));
}

std::vector<std::string> PdfBatchConverter::Arguments(const fs::path& profile, const fs::path& outFolder,
                                                      const std::vector<fs::path>& documents)
{
    std::vector<std::string> arguments = {"-env:UserInstallation=" + FileUrl(profile),
                                          "--headless",
                                          "--norestore",
                                          "--convert-to",
                                          "pdf",
                                          "--outdir",
                                          PathToUtf8(outFolder)};
    for (const auto& document : documents) {
        arguments.push_back(PathToUtf8(document));
    }
    return arguments;
}

std::vector<Result<std::string>> PdfBatchConverter::Convert(const PdfBatchJob& job, const PdfCopyDone& done,
                                                            std::stop_token stop) const
{
    std::vector<std::optional<Result<std::string>>> outcomes(job.documents.size());
    const std::function<void(std::size_t, Result<std::string>)> settle = [&](std::size_t index,
                                                                             Result<std::string> pdf) {
        outcomes[index] = std::move(pdf);
        if (done) {
            done(index, *outcomes[index]);
        }
    };
    const auto settleRest = [&](const Error& error) {
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (!outcomes[i]) {
                settle(i, error);
            }
        }
    };
    const auto all = [&] {
        std::vector<Result<std::string>> results;
        results.reserve(outcomes.size());
        for (auto& outcome : outcomes) {
            results.push_back(std::move(*outcome));
        }
        return results;
    };

    // Absolute, so that no name is ever taken for one of the office program's options.
    std::vector<fs::path> documents(job.documents.size());
    std::vector<std::size_t> present;
    for (std::size_t i = 0; i < job.documents.size(); ++i) {
        std::error_code ec;
        documents[i] = fs::absolute(PathFromUtf8(job.documents[i]), ec);
        if (ec || !fs::is_regular_file(documents[i], ec)) {
            settle(i, Error{kErrorPathNotFound, "the document is not there"});
        } else {
            present.push_back(i);
        }
    }
    if (present.empty()) {
        return all();
    }
    if (stop.stop_requested()) {
        settleRest(Failed(kPdfCopyCancelled));
        return all();
    }
    const Result<fs::path> made = WorkFolder::Make(m_tempFolder);
    if (!made) {
        settleRest(made.error());
        return all();
    }
    const WorkFolder work(made.value());
    const fs::path out = made.value() / "out";
    const OfficeProfile profile(m_profileRoot, made.value() / "profile");
    profile.Make();

    bool triedAgain = false;
    for (const auto& indices : Runs(present, documents)) {
        RunEnd end = RunEnd::TryAgain;
        Error notStarted;
        std::string timedOut;
        while (end == RunEnd::TryAgain) {
            std::error_code ec;
            fs::remove_all(out, ec);
            if (!fs::create_directory(out, ec)) {
                settleRest(Failed("cannot make a temporary folder in " + PathToUtf8(made.value())));
                return all();
            }
            OfficeRun run(indices, documents, out, settle);
            const OfficeRun::Settings settings{job.office, BatchTimeLimitSeconds(job.timeLimitSeconds, indices.size()),
                                               std::max(job.timeLimitSeconds, 1), profile.kept() && !triedAgain,
                                               m_nowMs};
            end = run.Run(m_runner, profile.path(), settings, stop, notStarted, timedOut);
            if (end == RunEnd::TryAgain) {
                triedAgain = true;
                profile.Renew();
            }
        }
        switch (end) {
        case RunEnd::NotStarted:
            settleRest(notStarted);
            return all();
        case RunEnd::TimedOut:
            settleRest(Failed(timedOut)); // no run after a hung one
            return all();
        case RunEnd::Stopped:
            settleRest(Failed(kPdfCopyCancelled));
            return all();
        case RunEnd::Done:
        case RunEnd::TryAgain:
            break;
        }
        if (stop.stop_requested()) {
            settleRest(Failed(kPdfCopyCancelled));
            return all();
        }
    }
    return all();
}

} // namespace tessaprint::docs
