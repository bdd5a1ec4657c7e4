#include "docs/OfficeLocator.h"

#include "util/PosixExec.h"
#include "util/Utf8Path.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace tessaprint::docs {

namespace {

namespace fs = std::filesystem;

bool IsWindows(const OfficeEnvironment& environment)
{
    return environment.system == OfficeEnvironment::System::Windows;
}

std::string Join(const OfficeEnvironment& environment, const std::string& folder, const std::string& name)
{
    const char separator = IsWindows(environment) ? '\\' : '/';
    if (folder.empty() || folder.back() == separator || folder.back() == '/') {
        return folder + name;
    }
    return folder + separator + name;
}

bool HasFolder(const OfficeEnvironment& environment, const std::string& command)
{
    return command.find('/') != std::string::npos ||
           (IsWindows(environment) &&
            (command.find('\\') != std::string::npos || command.find(':') != std::string::npos));
}

// Blanks around the value and one pair of quotes around a path with blanks go.
std::string Unquoted(std::string text)
{
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

std::optional<std::string> OnPath(const OfficeEnvironment& environment, const std::string& name)
{
    const char listSeparator = IsWindows(environment) ? ';' : ':';
    const std::string path = environment.variable("PATH");
    std::vector<std::string> names{name};
    if (IsWindows(environment) && fs::path(name).extension().empty()) {
        names.insert(names.begin(), name + ".exe");
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(listSeparator, start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string folder = Unquoted(path.substr(start, end - start));
        // An empty entry would mean the working folder: never a place to start a program from.
        if (!folder.empty()) {
            for (const auto& candidate : names) {
                const std::string full = Join(environment, folder, candidate);
                if (environment.isProgram(full)) {
                    return full;
                }
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

// "libreoffice7.6" before "libreoffice24.2": numbers compare as numbers.
bool NewerVersion(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitA = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
        const bool digitB = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
        if (digitA && digitB) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && std::isdigit(static_cast<unsigned char>(a[endA])) != 0) {
                ++endA;
            }
            while (endB < b.size() && std::isdigit(static_cast<unsigned char>(b[endB])) != 0) {
                ++endB;
            }
            std::string numberA = a.substr(i, endA - i);
            std::string numberB = b.substr(j, endB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size()) {
                return numberA.size() > numberB.size();
            }
            if (numberA != numberB) {
                return numberA > numberB;
            }
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) {
                return a[i] > b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i > b.size() - j;
}

std::vector<std::string> InstallPlaces(const OfficeEnvironment& environment)
{
    std::vector<std::string> places;
    if (IsWindows(environment)) {
        // ProgramW6432 is the 64-bit folder also for a 32-bit program.
        for (const char* variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
            const std::string folder = environment.variable(variable);
            if (!folder.empty()) {
                places.push_back(Join(environment, folder, "LibreOffice\\program\\soffice.exe"));
            }
        }
        return places;
    }
    places = {"/usr/bin/soffice", "/usr/lib/libreoffice/program/soffice"};
    std::vector<std::string> versions;
    for (const auto& name : environment.folderNames("/opt")) {
        if (name.rfind("libreoffice", 0) == 0) {
            versions.push_back(name);
        }
    }
    std::sort(versions.begin(), versions.end(), NewerVersion);
    for (const auto& version : versions) {
        places.push_back("/opt/" + version + "/program/soffice");
    }
    places.push_back("/snap/bin/libreoffice");
    places.push_back("/Applications/LibreOffice.app/Contents/MacOS/soffice");
    return places;
}

} // namespace

Result<std::string> FindOffice(const std::string& setting, const OfficeEnvironment& environment,
                               const std::string& source)
{
    const std::string command = Unquoted(setting);
    if (!command.empty()) {
        if (HasFolder(environment, command)) {
            if (environment.isProgram(command)) {
                return command;
            }
            return Error{kErrorPathNotFound,
                         source + " is \"" + command + "\", which is not a program that can be started."};
        }
        if (auto found = OnPath(environment, command)) {
            return *found;
        }
        return Error{kErrorPathNotFound, source + " names \"" + command + "\", which was not found on PATH."};
    }
    for (const char* name : {"soffice", "libreoffice"}) {
        if (auto found = OnPath(environment, name)) {
            return *found;
        }
    }
    for (const auto& place : InstallPlaces(environment)) {
        if (environment.isProgram(place)) {
            return place;
        }
    }
    return Error{kErrorPathNotFound, kOfficeNotFound};
}

OfficeEnvironment OfficeEnvironment::Current()
{
    OfficeEnvironment environment;
#ifdef _WIN32
    environment.system = System::Windows;
#else
    environment.system = System::Posix;
#endif
    environment.variable = [](const std::string& name) {
        const char* value = std::getenv(name.c_str());
        return std::string(value ? value : "");
    };
    environment.isProgram = [](const std::string& path) {
#ifdef _WIN32
        std::error_code ec;
        return fs::is_regular_file(PathFromUtf8(path), ec);
#else
        return IsExecutableFile(path);
#endif
    };
    environment.folderNames = [](const std::string& folder) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        return names;
    };
    return environment;
}

} // namespace tessaprint::docs
