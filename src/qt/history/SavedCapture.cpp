#include "history/SavedCapture.h"

#include "history/CaptureIdentity.h"
#include "history/LinesHash.h"
#include "link/Replay.h"
#include "results/ResultsListing.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

namespace tessaprint::history {

Result<HistoryCapture> ReadSavedCapture(const std::string& path, bool transcript)
{
    const Result<std::string> content = ReadWholeFile(path);
    if (!content) {
        return content.error();
    }
    ResultsTable table;
    ResultsListing listing;
    if (transcript) {
        ReplayTranscript(content.value(), table, listing);
    } else {
        ReplayCaptureFile(content.value(), table, listing, listing);
    }
    HistoryCapture capture = MakeHistoryCapture(table, listing);
    capture.linesHash = LinesHash(listing.lines());
    capture.captureId = SavedCaptureIdentity(capture.linesHash);
    capture.archiveName = PathToUtf8(PathFromUtf8(path).filename());
    return capture;
}

} // namespace tessaprint::history
