#include "CliCommands.h"
#include "ResultsJson.h"

#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "util/FileIo.h"

#include <iostream>

namespace tessaprint {

bool LoadResults(const std::string& path, bool transcript, ResultsTable& table, ResultsListing& listing,
                 std::string& error)
{
    std::string content;
    if (!ReadWholeFile(path, content, error)) {
        return false;
    }
    if (transcript) {
        ReplayTranscript(content, table, listing);
    } else {
        ReplayLines(ParseCaptureFile(content), table, listing, listing);
    }
    return true;
}

int RunParseCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2 || (args[0] != "--transcript" && args[0] != "--capture")) {
        std::cerr << "usage: tessaprint-cli parse (--transcript FILE | --capture FILE)\n";
        return 2;
    }
    ResultsTable table;
    ResultsListing listing;
    std::string error;
    if (!LoadResults(args[1], args[0] == "--transcript", table, listing, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    std::cout << ResultsToJson(table, listing);
    return 0;
}

} // namespace tessaprint
