// tessaprint-cli: the capture and its decoding without a window.
#include "CliCommands.h"

#include <algorithm>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app("The capture, its decoding, test records, work orders and the test history without a window.",
                 "tessaprint-cli");
    app.require_subcommand(1);
    int status = 0;
    tessaprint::AddParseCommand(app, status);
    tessaprint::AddCaptureCommand(app, status, argc, argv);
    tessaprint::AddDataSheetCommand(app, status);
    tessaprint::AddWorkOrderCommand(app, status);
    tessaprint::AddCsvCommand(app, status);
    tessaprint::AddHistoryCommand(app, status, argc, argv);
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    const bool known = argc > 1 && std::any_of(commands.begin(), commands.end(),
                                               [&](const CLI::App* c) { return c->get_name() == argv[1]; });
    if (argc > 1 && argv[1][0] != '-' && !known) {
        std::cerr << "tessaprint-cli: unknown command '" << argv[1] << "'; the commands are parse, capture, "
                  << "datasheet, workorder, csv and history ('tessaprint-cli --help')\n";
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tessaprint-cli: " << e.what() << "\n"
                  << "usage: tessaprint-cli COMMAND [OPTIONS]; 'tessaprint-cli COMMAND --help' lists a command's "
                     "options\n";
        return 2;
    }
    return status;
}
