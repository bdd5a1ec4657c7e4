#include "results/CaptureArchive.h"

#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "results/ResultsCsv.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace tessaprint {

namespace fs = std::filesystem;

namespace {

// Enough for any number of captures started within one second.
constexpr int kMaxCopies = 10000;

enum class Claimed { Yes, Taken };

// Creates path empty unless something (a dangling link included) is there
// already: then Taken. Another program claiming the same name at the same
// moment gets Taken too.
Result<Claimed> Claim(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::none) {
        return Error{CodeForErrno(ec.value()), "cannot check " + PathToUtf8(path) + ": " + ec.message()};
    }
    if (status.type() != fs::file_type::not_found) {
        return Claimed::Taken;
    }
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"wbx");
#else
    std::FILE* file = std::fopen(path.c_str(), "wbx");
#endif
    if (file == nullptr) {
        if (errno == EEXIST) {
            return Claimed::Taken;
        }
        return ErrnoError(errno, "cannot write " + PathToUtf8(path));
    }
    std::fclose(file);
    return Claimed::Yes;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    for (const char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return !text.empty();
}

// "<kind>-yyyy-mm-dd-hhmmss", the stamp at the very end.
std::optional<CaptureArchiveName> ReadStampedStem(std::string_view stem)
{
    constexpr std::string_view kShape = "-dddd-dd-dd-dddddd";
    if (stem.size() < kShape.size()) {
        return std::nullopt;
    }
    const std::string_view stamp = stem.substr(stem.size() - kShape.size());
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == 'd' ? !IsDigit(stamp[i]) : stamp[i] != kShape[i]) {
            return std::nullopt;
        }
    }
    CaptureArchiveName name;
    name.kindText = std::string(stem.substr(0, stem.size() - kShape.size()));
    name.capturedAt = std::string(stamp.substr(1, 10)) + "T" + std::string(stamp.substr(12, 2)) + ":" +
                      std::string(stamp.substr(14, 2)) + ":" + std::string(stamp.substr(16, 2));
    return name;
}

} // namespace

std::optional<CaptureArchiveName> ReadCaptureArchiveName(const std::string& fileName)
{
    std::string_view stem = fileName;
    if (const std::size_t dot = stem.rfind('.'); dot != std::string_view::npos) {
        stem = stem.substr(0, dot);
    }
    if (auto name = ReadStampedStem(stem)) {
        return name;
    }
    // A later capture of the same second: "-2", "-3", … after the stamp.
    if (const std::size_t dash = stem.rfind('-'); dash != std::string_view::npos && AllDigits(stem.substr(dash + 1))) {
        return ReadStampedStem(stem.substr(0, dash));
    }
    return std::nullopt;
}

std::optional<std::string> ArchivedCaptureTime(const std::string& path)
{
    if (const auto name = ReadCaptureArchiveName(PathToUtf8(PathFromUtf8(path).filename()))) {
        return name->capturedAt;
    }
    if (const auto written = FileModifiedLocalTime(path)) {
        return IsoLocalTime(*written);
    }
    return std::nullopt;
}

std::string CaptureArchiveStem(const std::string& kindText, const std::tm& localTime)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "-%04d-%02d-%02d-%02d%02d%02d", localTime.tm_year + 1900, localTime.tm_mon + 1,
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return kindText + stamp;
}

fs::path CaptureArchiveFolder(const std::string& reportsFolder)
{
    return ResolveReportsFolder(reportsFolder) / "captures";
}

Result<CaptureArchiveFiles> ChooseCaptureArchive(const std::string& reportsFolder, const std::string& stem)
{
    if (!IsValidNamePart(stem)) {
        return Error{kErrorInvalidName, "\"" + stem + "\" cannot be used in a file name"};
    }
    const fs::path folder = CaptureArchiveFolder(reportsFolder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::error_code statEc;
    if (!fs::is_directory(folder, statEc)) {
        const bool blocked = fs::exists(folder, statEc);
        return Error{kErrorPathNotFound,
                     "cannot create the folder " + PathToUtf8(folder) + ": " +
                         (blocked || !ec ? std::string("something that is not a folder is in the way") : ec.message())};
    }
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const std::string name = copy == 1 ? stem : stem + "-" + std::to_string(copy);
        CaptureArchiveFiles candidate{folder / PathFromUtf8(name + ".txt"), folder / PathFromUtf8(name + ".bin")};
        // Both names are claimed, so another program archiving in the same
        // second (another port, another window) takes the next pair.
        const Result<Claimed> raw = Claim(candidate.raw);
        if (!raw) {
            return raw.error();
        }
        if (raw.value() == Claimed::Taken) {
            continue;
        }
        const Result<Claimed> lines = Claim(candidate.lines);
        if (lines && lines.value() == Claimed::Yes) {
            return candidate;
        }
        std::error_code ignored;
        fs::remove(candidate.raw, ignored);
        if (!lines) {
            return lines.error();
        }
    }
    return Error{kErrorFail, "no free file name for " + stem + " in " + PathToUtf8(folder)};
}

Result<void> WriteCaptureArchive(const CaptureArchiveFiles& files, const std::vector<std::string>& lines,
                                 const std::string& raw)
{
    // The raw bytes first: they are what every other form can be made from again.
    if (Result<void> written = WriteWholeFile(PathToUtf8(files.raw), raw); !written) {
        return written;
    }
    return WriteWholeFile(PathToUtf8(files.lines), FormatCaptureFile(lines));
}

} // namespace tessaprint
