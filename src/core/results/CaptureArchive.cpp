#include "results/CaptureArchive.h"

#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "util/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace tessaprint {

namespace fs = std::filesystem;

namespace {

// Enough for any number of captures started within one second.
constexpr int kMaxCopies = 10000;

bool IsTaken(const fs::path& path, std::string& error)
{
    // symlink_status, so a dangling link counts as taken and nothing is written through it.
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (status.type() == fs::file_type::none) {
        error = "cannot check " + PathToUtf8(path) + ": " + ec.message();
        return true;
    }
    return status.type() != fs::file_type::not_found;
}

// Creates path empty unless it exists; false without an error when it does.
bool Claim(const fs::path& path, std::string& error)
{
#ifdef _WIN32
    std::FILE* file = _wfopen(path.c_str(), L"wbx");
#else
    std::FILE* file = std::fopen(path.c_str(), "wbx");
#endif
    if (file == nullptr) {
        if (errno != EEXIST) {
            error = "cannot write " + PathToUtf8(path) + ": " + std::generic_category().message(errno);
        }
        return false;
    }
    std::fclose(file);
    return true;
}

} // namespace

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

bool ChooseCaptureArchive(const std::string& reportsFolder, const std::string& stem, CaptureArchiveFiles& files,
                          std::string& error)
{
    if (!IsValidNamePart(stem)) {
        error = "\"" + stem + "\" cannot be used in a file name";
        return false;
    }
    const fs::path folder = CaptureArchiveFolder(reportsFolder);
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::error_code statEc;
    if (!fs::is_directory(folder, statEc)) {
        const bool blocked = fs::exists(folder, statEc);
        error = "cannot create the folder " + PathToUtf8(folder) + ": " +
                (blocked || !ec ? std::string("something that is not a folder is in the way") : ec.message());
        return false;
    }
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const std::string name = copy == 1 ? stem : stem + "-" + std::to_string(copy);
        CaptureArchiveFiles candidate{folder / PathFromUtf8(name + ".txt"), folder / PathFromUtf8(name + ".bin")};
        error.clear();
        const bool taken = IsTaken(candidate.lines, error) || IsTaken(candidate.raw, error);
        if (!error.empty()) {
            return false;
        }
        // Both names are claimed at once, so another program archiving in the
        // same second (another port, another window) takes the next pair.
        if (!taken && Claim(candidate.raw, error)) {
            if (Claim(candidate.lines, error)) {
                files = std::move(candidate);
                return true;
            }
            std::error_code ignored;
            fs::remove(candidate.raw, ignored);
        }
        if (!error.empty()) {
            return false;
        }
    }
    error = "no free file name for " + stem + " in " + PathToUtf8(folder);
    return false;
}

bool WriteCaptureArchive(const CaptureArchiveFiles& files, const std::vector<std::string>& lines,
                         const std::string& raw, std::string& error)
{
    // The raw bytes first: they are what every other form can be made from again.
    return WriteWholeFile(PathToUtf8(files.raw), raw, error) &&
           WriteWholeFile(PathToUtf8(files.lines), FormatCaptureFile(lines), error);
}

} // namespace tessaprint
