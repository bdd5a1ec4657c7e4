#pragma once

#include "util/Result.h"
#include "util/SettingsRegistry.h"

#include <functional>
#include <string>
#include <vector>

namespace tessaprint::docs {

// What the search for the office program looks at: the system's own in the
// program, a made-up one in tests.
struct OfficeEnvironment {
    enum class System { Posix, Windows };
    System system = System::Posix;
    // An environment variable's value; empty when it is not set.
    std::function<std::string(const std::string& name)> variable;
    // Whether path is a file this user may start (executable, on POSIX systems).
    std::function<bool(const std::string& path)> isProgram;
    // The names in a folder; none when it cannot be read.
    std::function<std::vector<std::string>(const std::string& folder)> folderNames;

    // This computer, as the running program sees it.
    static OfficeEnvironment Current();
};

inline const std::string kOfficeNotFound = "LibreOffice (soffice) was not found on PATH or in its usual install "
                                           "places; set " +
                                           settings::PathName(settings::kOfficeCommand) + " to its path.";

// Finds the office program that makes PDF copies and gives its path. The
// setting (Settings/szOfficeCommand) decides when it is not empty: a path
// (with a folder) must be a program, a bare name is looked up on PATH. Without
// it: soffice, then libreoffice on PATH, then the places installers put it
// (/usr/bin/soffice, /usr/lib/libreoffice/program/soffice, the newest
// /opt/libreoffice*/program/soffice, /snap/bin/libreoffice, the macOS
// application; on Windows LibreOffice\program\soffice.exe in the program
// folders). The error says what was looked for; source names where the
// setting came from.
Result<std::string> FindOffice(const std::string& setting, const OfficeEnvironment& environment,
                               const std::string& source = settings::PathName(settings::kOfficeCommand));

} // namespace tessaprint::docs
