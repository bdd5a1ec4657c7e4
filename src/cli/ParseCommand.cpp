#include "CliCommands.h"
#include "ResultsJson.h"

#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "util/FileIo.h"

#include <iostream>

namespace tessaprint {

namespace {

void Replay(std::string_view content, bool transcript, ResultsTable& table, ResultsListing& listing)
{
    if (transcript) {
        ReplayTranscript(content, table, listing);
    } else {
        ReplayCaptureFile(content, table, listing, listing);
    }
}

} // namespace

bool LoadResults(const std::string& path, bool transcript, ResultsTable& table, ResultsListing& listing,
                 std::string& error)
{
    std::string content;
    if (!ReadWholeFile(path, content, error)) {
        return false;
    }
    Replay(content, transcript, table, listing);
    return true;
}

int RunParseCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2 || (args[0] != "--transcript" && args[0] != "--capture")) {
        std::cerr << "usage: tessaprint-cli parse (--transcript FILE | --capture FILE)\n";
        return 2;
    }
    std::string content;
    std::string error;
    if (!ReadWholeFile(args[1], content, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    const bool transcript = args[0] == "--transcript";
    WriteResultsJson(
        std::cout, [&](ResultsTable& table, ResultsListing& listing) { Replay(content, transcript, table, listing); });
    return 0;
}

} // namespace tessaprint
