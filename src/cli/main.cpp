// tessaprint-cli: the capture and its decoding without a window.
#include "CliCommands.h"
#include "ProgramOptions.h"

#include <algorithm>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app(
        "The capture, its decoding, test records, work orders, the test history and the test schedule without a "
        "window.",
        "tessaprint-cli");
    app.require_subcommand(1);
    int status = 0;
    tessaprint::AddParseCommand(app, status);
    tessaprint::AddCaptureCommand(app, status, argc, argv);
    tessaprint::AddDataSheetCommand(app, status);
    tessaprint::AddWorkOrderCommand(app, status);
    tessaprint::AddCsvCommand(app, status);
    tessaprint::AddHistoryCommand(app, status, argc, argv);
    tessaprint::AddLimitsCommand(app, status);
    tessaprint::AddVerdictCommand(app, status);
    tessaprint::AddInventoryCommand(app, status);
    tessaprint::AddDueCommand(app, status);
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    const bool known = argc > 1 && std::any_of(commands.begin(), commands.end(),
                                               [&](const CLI::App* c) { return c->get_name() == argv[1]; });
    if (argc > 1 && argv[1][0] != '-' && !known) {
        std::cerr << "tessaprint-cli: unknown command '" << tessaprint::cmdline::ShortValue(argv[1])
                  << "'; the commands are parse, capture, datasheet, workorder, csv, history, limits, verdict, "
                     "inventory and due "
                     "('tessaprint-cli --help')\n";
        return 2;
    }
    if (const auto answered = tessaprint::cmdline::Parse(
            app, argc, argv,
            "usage: tessaprint-cli COMMAND [OPTIONS]; 'tessaprint-cli COMMAND --help' lists a command's options")) {
        return *answered;
    }
    return status;
}
