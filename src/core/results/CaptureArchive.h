#pragma once

#include "util/Result.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace tessaprint {

// Every capture read from an instrument is kept on disk as soon as its
// results are ready, so that erasing the instrument never erases the only
// copy: <reports folder>/captures/<kind>-<yyyy-mm-dd>-<hhmmss>.txt holds the
// lines (the format "Open Captured Lines" reads) and the .bin beside it the
// bytes exactly as they arrived (what "tessaprint-cli parse --transcript" reads).
struct CaptureArchiveFiles {
    std::filesystem::path lines; // .txt
    std::filesystem::path raw;   // .bin
};

// "Quellmax-2026-12-08-142501" for the kind text and the local time.
std::string CaptureArchiveStem(const std::string& kindText, const std::tm& localTime);

// The folder the archive goes to: "captures" below the resolved reports folder.
std::filesystem::path CaptureArchiveFolder(const std::string& reportsFolder);

// Picks the first of <stem>, <stem>-2, <stem>-3, … for which neither the .txt
// nor the .bin exists, and claims both (empty files), creating the folder when
// needed. Fails with a reason naming the folder and the system's words.
Result<CaptureArchiveFiles> ChooseCaptureArchive(const std::string& reportsFolder, const std::string& stem);

// Writes both files; each goes to a temporary name first, so an earlier
// version of the same capture stays whole when a write fails.
Result<void> WriteCaptureArchive(const CaptureArchiveFiles& files, const std::vector<std::string>& lines,
                                 const std::string& raw);

} // namespace tessaprint
