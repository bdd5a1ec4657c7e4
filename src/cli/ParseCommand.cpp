#include "CliCommands.h"
#include "ProgramOptions.h"
#include "results/ResultsJson.h"

#include "link/Replay.h"
#include "util/FileIo.h"

#include <iostream>

namespace tessaprint {

void AddInputOptions(CLI::App& command, InputFile& input)
{
    CLI::Option_group* group = command.add_option_group("input", "what to read");
    group->add_option("--transcript", input.transcript, "raw bytes as the instrument sent them")->type_name("FILE");
    group->add_option("--capture", input.capture, "a saved line list, one line per line")->type_name("FILE");
    group->require_option(1);
}

CLI::Option* AddKindOption(CLI::App& command, InstrumentKind& kind)
{
    return command.add_option("--kind", kind, "the instrument kind: quellmax, kappa or pactrx")
        ->transform(cmdline::KindName())
        ->type_name("KIND");
}

CLI::Option* AddWord2007Option(CLI::App& command, int& word2007)
{
    return command.add_option("--word2007", word2007, "1: Normal.dotm and the Word 2003 style set; 0: Normal.dot")
        ->transform(cmdline::WholeNumber(0, 1))
        ->type_name("0|1");
}

void Replay(std::string_view content, bool transcript, ResultsTable& table, ResultsListing& listing)
{
    if (transcript) {
        ReplayTranscript(content, table, listing);
    } else {
        ReplayCaptureFile(content, table, listing, listing);
    }
}

Result<void> LoadResults(const InputFile& input, ResultsTable& table, ResultsListing& listing)
{
    const Result<std::string> content = ReadWholeFile(input.path());
    if (!content) {
        return content.error();
    }
    Replay(content.value(), input.IsTranscript(), table, listing);
    return {};
}

void AddParseCommand(CLI::App& app, int& status)
{
    auto input = std::make_shared<InputFile>();
    CLI::App* command = app.add_subcommand("parse", "Decode a transcript or a saved capture and print it as JSON");
    AddInputOptions(*command, *input);
    command->callback([input, &status] {
        const Result<std::string> content = ReadWholeFile(input->path());
        if (!content) {
            std::cerr << "tessaprint-cli: " << content.error().message << "\n";
            status = 1;
            return;
        }
        WriteResultsJson(std::cout, [&](ResultsTable& table, ResultsListing& listing) {
            Replay(content.value(), input->IsTranscript(), table, listing);
        });
        status = 0;
    });
}

} // namespace tessaprint
