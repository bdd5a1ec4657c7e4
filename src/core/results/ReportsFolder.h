#pragma once

#include "util/Result.h"
#include "util/Utf8Path.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessaprint {

// The built-in reports folder: "C:\Zelmor\Tessaprint\reports" on Windows,
// <home>/Zelmor/Tessaprint/reports elsewhere (home from HOME, else the user's
// account entry, else the current folder's absolute path).
std::string DefaultReportsFolder();

// Creates every level of the folder as given, on whatever drive or root and at
// any depth; a folder that already exists is fine. An empty or relative folder
// is resolved with ResolveReportsFolder first. Fails, with a readable reason,
// when the folder is not there afterwards. Never throws.
Result<void> CreateReportsFolderTree(const std::string& folder);

// An empty folder means the built-in one; a relative folder is taken below the
// built-in one (never below the working folder or the file-system root, and
// leading ".." cannot climb out of it). Absolute folders come back unchanged.
std::filesystem::path ResolveReportsFolder(const std::string& folder);

// The time stamp in report file names, "%#m%d%Y%#I%M%S": month without a
// leading zero, two-digit day, four-digit year, hour 1..12 without a leading
// zero, two-digit minutes and seconds, no AM/PM. 7 March 2015 21:05:08 gives
// "307201590508".
std::string FormatFileStamp(const std::tm& localTime);

// A part of a file name taken from data (an equipment ID, a company name) is
// usable when it is not empty after removing blanks, is not "." or "..", and
// holds none of / \ : * ? " < > | nor a control character. Leading blanks stay
// (IDs from the instrument begin with one); UTF-8 beyond ASCII is fine.
bool IsValidNamePart(std::string_view part);

// A name part as it goes into a file name: without the blanks around it (an
// ID from the instrument begins with one). The document shows it as printed.
std::string FileNamePart(std::string_view part);

struct ReportPath {
    std::filesystem::path path; // full path including extension
    std::filesystem::path base; // <folder>/<namePart><suffix>: no copy number, no extension
};

// The file for a new document: <resolved folder>/<namePart><suffix>.<extension>,
// e.g. " 10234" + "-307201590508" + "docx". namePart comes from data and must
// pass IsValidNamePart; suffix and extension are made by the program. An
// existing file is never reused: "-2", "-3", ... goes before the extension
// until the name is free. Missing folders are created. The path always lies
// directly inside the resolved folder. Never throws. The name is only free at
// this moment: the save itself moves on to the next "-n" when another program
// takes it first (see CreateFileNoReplace).
// A name part that cannot be used fails with kErrorInvalidName.
Result<ReportPath> MakeReportPath(const std::string& reportsFolder, const std::string& namePart,
                                  const std::string& suffix, const std::string& extension);

} // namespace tessaprint
