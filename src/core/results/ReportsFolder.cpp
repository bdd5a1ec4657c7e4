#include "results/ReportsFolder.h"

#include "text/Trim.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace tessaprint {
namespace {

namespace fs = std::filesystem;

// Longest file name (one path element) the usual file systems accept, in the
// units of the native path string.
constexpr std::size_t kMaxFileNameLength = 255;

// Enough for any number of documents saved within one second.
constexpr int kMaxCopies = 10000;

#ifndef _WIN32
fs::path HomeFolder()
{
    // A relative HOME would make the reports land below whatever folder the
    // program happens to be started in.
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        fs::path path(home);
        if (path.is_absolute()) {
            return path;
        }
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && buffer.size() < (1U << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (rc == 0 && found != nullptr && found->pw_dir != nullptr) {
            fs::path path(found->pw_dir);
            if (path.is_absolute()) {
                return path;
            }
        }
        break;
    }
    std::error_code ec;
    fs::path current = fs::current_path(ec);
    if (!ec && current.is_absolute()) {
        return current;
    }
    return fs::path("/");
}
#endif

// Lexical form of a folder without a trailing separator, so that "a/b/" and
// "a/b" compare alike.
fs::path FolderForComparison(const fs::path& folder)
{
    fs::path normal = folder.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

// True when file names one entry directly inside folder.
bool LiesDirectlyIn(const fs::path& folder, const fs::path& file)
{
    const fs::path relative = file.lexically_normal().lexically_relative(FolderForComparison(folder));
    return !relative.empty() && relative.parent_path().empty() && relative.has_filename() && relative != "." &&
           relative != "..";
}

Result<void> CreateFolder(const fs::path& folder)
{
    std::error_code createEc;
    fs::create_directories(folder, createEc);
    // Some library versions report an already existing folder as an error;
    // what matters is that the folder is there now.
    std::error_code statEc;
    if (fs::is_directory(folder, statEc)) {
        return {};
    }
    std::string reason = createEc ? createEc.message() : "something that is not a folder is in the way";
    return Error{createEc ? CodeForErrno(createEc.value()) : kErrorPathNotFound,
                 "Cannot create the reports folder \"" + PathToUtf8(folder) + "\": " + reason + "."};
}

std::string Hex2(unsigned char c)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return std::string("0x") + kDigits[c >> 4] + kDigits[c & 0x0F];
}

// CON, PRN, AUX, NUL, COM0–COM9, LPT0–LPT9 (also with ¹ ² ³), CONIN$ and
// CONOUT$, in any case, alone or before a '.' (an extension) and with
// trailing dots or blanks: Windows opens the device, not a file. Refused on
// every platform, since a reports folder may be shared with Windows machines.
bool IsWindowsDeviceName(std::string_view part)
{
    std::string base(part.substr(0, part.find('.')));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) {
        base.pop_back();
    }
    for (char& c : base) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$") {
        return true;
    }
    if (base.size() < 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) {
        return false;
    }
    const std::string_view digit = std::string_view(base).substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2" ||
           digit == "\xC2\xB3";
}

// Why a part taken from data cannot go into a file name; empty when it can.
std::string NamePartProblem(std::string_view part)
{
    const std::string_view trimmed = Trimmed(part, " ");
    if (trimmed.empty()) {
        return part.empty() ? "it is empty" : "it holds only blanks";
    }
    if (trimmed == "." || trimmed == "..") {
        return "it would name a folder, not a file";
    }
    if (IsWindowsDeviceName(trimmed)) {
        return "Windows keeps the name \"" + std::string(trimmed) + "\" for a device";
    }
    for (const char ch : part) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F) {
            return "it contains the control character " + Hex2(byte);
        }
        switch (ch) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return std::string("it contains '") + ch + "'";
        default:
            break;
        }
    }
    return {};
}

} // namespace

std::string DefaultReportsFolder()
{
#ifdef _WIN32
    return "C:\\Zelmor\\Tessaprint\\reports";
#else
    return PathToUtf8(HomeFolder() / "Zelmor" / "Tessaprint" / "reports");
#endif
}

fs::path ResolveReportsFolder(const std::string& folder)
{
    const fs::path given = PathFromUtf8(folder);
    if (given.is_absolute()) {
        return given;
    }
    const fs::path base = PathFromUtf8(DefaultReportsFolder());
    // Only the relative part counts: a drive or root on its own ("C:x",
    // "\x" on Windows) does not make a folder absolute, and leading ".."
    // would climb out of the built-in folder.
    fs::path below;
    bool leading = true;
    for (const auto& element : given.relative_path().lexically_normal()) {
        if (leading && (element == ".." || element == ".")) {
            continue;
        }
        leading = false;
        below /= element;
    }
    return below.empty() ? base : base / below;
}

Result<void> CreateReportsFolderTree(const std::string& folder)
{
    try {
        return CreateFolder(ResolveReportsFolder(folder));
    } catch (const std::exception& e) {
        return Error{kErrorFail, "Cannot create the reports folder \"" + folder + "\": " + e.what() + "."};
    }
}

std::string FormatFileStamp(const std::tm& localTime)
{
    // The stamp has no AM/PM, so 9:05 and 21:05 give the same text.
    int hour = localTime.tm_hour % 12;
    if (hour <= 0) {
        hour += 12;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%d%02d%04d%d%02d%02d", localTime.tm_mon + 1, localTime.tm_mday,
                  localTime.tm_year + 1900, hour, localTime.tm_min, localTime.tm_sec);
    return text;
}

std::string FileNamePart(std::string_view part)
{
    return std::string(Trimmed(part, " "));
}

bool IsValidNamePart(std::string_view part)
{
    return NamePartProblem(part).empty();
}

Result<ReportPath> MakeReportPath(const std::string& reportsFolder, const std::string& namePart,
                                  const std::string& suffix, const std::string& extension)
{
    try {
        // Checked before anything is created, so a bad name leaves no trace.
        if (const std::string problem = NamePartProblem(namePart); !problem.empty()) {
            return Error{kErrorInvalidName, "\"" + namePart + "\" cannot be used in a file name: " + problem + "."};
        }
        const fs::path folder = ResolveReportsFolder(reportsFolder);
        const std::string dotExtension =
            extension.empty() ? std::string() : (extension.front() == '.' ? extension : "." + extension);
        const auto nameFor = [&](int copy) {
            std::string name = namePart + suffix;
            if (copy > 1) {
                name += "-" + std::to_string(copy);
            }
            return PathFromUtf8(name + dotExtension);
        };
        const auto nameProblem = [&](const fs::path& candidate) -> std::optional<Error> {
            if (!LiesDirectlyIn(folder, candidate)) {
                return Error{kErrorInvalidName, "The file name \"" + PathToUtf8(candidate.filename()) +
                                                    "\" does not stay inside the reports folder \"" +
                                                    PathToUtf8(folder) + "\"."};
            }
            if (candidate.filename().native().size() > kMaxFileNameLength) {
                return Error{kErrorInvalidName,
                             "The file name \"" + PathToUtf8(candidate.filename()) + "\" is too long."};
            }
            return std::nullopt;
        };

        if (auto problem = nameProblem(folder / nameFor(1))) {
            return *problem;
        }
        if (Result<void> made = CreateFolder(folder); !made) {
            return made.error();
        }
        for (int copy = 1; copy <= kMaxCopies; ++copy) {
            const fs::path candidate = folder / nameFor(copy);
            if (auto problem = nameProblem(candidate)) {
                return *problem;
            }
            // symlink_status, so that a dangling link also counts as taken and
            // nothing is ever written through it.
            std::error_code ec;
            const fs::file_status status = fs::symlink_status(candidate, ec);
            if (status.type() == fs::file_type::not_found) {
                return ReportPath{candidate, folder / PathFromUtf8(namePart + suffix)};
            }
            if (status.type() == fs::file_type::none) {
                return Error{CodeForErrno(ec.value()),
                             "Cannot check the file \"" + PathToUtf8(candidate) + "\": " + ec.message() + "."};
            }
        }
        return Error{kErrorFail, "No free file name for \"" + PathToUtf8(nameFor(1)) + "\" in the reports folder \"" +
                                     PathToUtf8(folder) + "\"."};
    } catch (const std::exception& e) {
        return Error{kErrorFail, std::string("Cannot make the report file name: ") + e.what() + "."};
    }
}

} // namespace tessaprint
