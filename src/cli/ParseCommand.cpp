#include "CliCommands.h"
#include "ResultsJson.h"

#include "link/Replay.h"
#include "results/CaptureFile.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tessaprint {

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
    }
    if (!out) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
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
