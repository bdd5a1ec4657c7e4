// tessaprint-cli: the capture and its decoding without a window.
#include "CliCommands.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "usage: tessaprint-cli COMMAND [OPTIONS]\n"
                               "  parse   (--transcript FILE | --capture FILE)\n"
                               "  capture (--port COMn | --device PATH|sim) [--transcript-out FILE]\n"
                               "          [--capture-out FILE] [--kind quellmax|kappa|pactrx] [--answer-timeout MS]\n"
                               "  datasheet --kind quellmax|kappa|pactrx (--transcript FILE | --capture FILE)\n"
                               "          --item K|all --reports DIR [--word2007 0|1]\n"
                               "  workorder --record FILE.json --reports DIR [--word2007 0|1]\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "parse") {
        return tessaprint::RunParseCommand(args);
    }
    if (command == "workorder") {
        return tessaprint::RunWorkOrderCommand(args);
    }
    if (command == "datasheet") {
        return tessaprint::RunDataSheetCommand(args);
    }
    if (command == "capture") {
        return tessaprint::RunCaptureCommand(argc, argv, args);
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "tessaprint-cli: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
