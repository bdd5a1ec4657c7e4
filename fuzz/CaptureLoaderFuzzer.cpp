// Loading a saved capture: any file at all becomes lines (decoded when it is
// not UTF-8), saving those lines and loading them again gives the same lines,
// and replaying them through the parser holds.
#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "results/ResultsListing.h"
#include "text/Windows1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessaprint;
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = ParseCaptureFile(content);
    for (const auto& line : lines) {
        if (!IsValidUtf8(line) || line.find('\n') != std::string::npos) {
            std::abort();
        }
    }
    if (ParseCaptureFile(FormatCaptureFile(lines)) != lines) {
        std::abort();
    }
    ResultsTable table;
    ResultsListing listing;
    ReplayCaptureFile(content, table, listing, listing);
    if (listing.lines() != lines) {
        std::abort();
    }
    return 0;
}
