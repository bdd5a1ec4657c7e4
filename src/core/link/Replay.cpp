#include "link/Replay.h"

#include "link/TranscriptReplay.h"
#include "results/CaptureFile.h"

namespace tessaprint {

void ReplayTranscript(std::string_view bytes, ResultsTable& table, ResultsListing& listing)
{
    TranscriptReplay replay(table, listing, listing);
    replay.Feed(bytes);
}

void ReplayCaptureFile(std::string_view content, ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view)
{
    ForEachCaptureLine(content, [&](std::string_view line) {
        const std::string text(line);
        view.AppendLine(text);
        table.ParseResultLine(selector, text);
    });
}

} // namespace tessaprint
