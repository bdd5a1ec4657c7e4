#include "CliCommands.h"
#include "ResultsJson.h"

#include "link/Replay.h"
#include "results/CaptureFile.h"
#include "util/FileIo.h"

#include <iostream>

namespace tessaprint {

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
    ResultsTable table;
    ResultsListing listing;
    if (args[0] == "--transcript") {
        ReplayTranscript(content, table, listing);
    } else {
        ReplayLines(ParseCaptureFile(content), table, listing, listing);
    }
    std::cout << ResultsToJson(table, listing);
    return 0;
}

} // namespace tessaprint
