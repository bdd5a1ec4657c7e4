#pragma once

#include "util/Result.h"

#include <ctime>
#include <filesystem>
#include <optional>
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

// What an archive file's name says of its capture: the kind text before the
// stamp and the stamp's local time as ISO 8601 ("2026-12-08T14:25:01").
struct CaptureArchiveName {
    std::string kindText;
    std::string capturedAt;
};

// Reads "<kind>-<yyyy>-<mm>-<dd>-<hhmmss>", with or without the "-2", "-3", …
// of a later capture of the same second and with any extension; nothing for
// a name that does not read so.
std::optional<CaptureArchiveName> ReadCaptureArchiveName(const std::string& fileName);

// When the capture a saved file holds was made: the time its name gives when
// it reads as an archive name (the file may have been copied or touched
// since), else the file's modification time (a capture file is written as
// its capture ends), ISO 8601 local time; nothing when neither is known.
std::optional<std::string> ArchivedCaptureTime(const std::string& path);

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
