#include "CliCommands.h"
#include "ProgramOptions.h"

#include "results/ResultsCsv.h"
#include "text/IsoLocalTime.h"
#include "util/FileIo.h"

#include <iostream>
#include <optional>
#include <sstream>

namespace tessaprint {

namespace {

struct CsvOptions {
    InputFile input;
    std::optional<InstrumentKind> kind;
    InstrumentKind kindValue = InstrumentKind::Quellmax;
    std::string capturedAt;
    bool capturedAtGiven = false;
    std::string output;
    VerdictOptions verdicts;
};

int RunCsv(const CsvOptions& options)
{
    const Result<std::shared_ptr<const verdict::VerdictEngine>> engine = MakeVerdictEngineFor(options.verdicts);
    if (!engine) {
        std::cerr << "tessaprint-cli: " << engine.error().message << "\n";
        return 1;
    }
    const std::optional<CsvVerdicts> verdicts =
        engine.value() ? std::optional<CsvVerdicts>(CsvVerdicts{*engine.value(), options.kindValue}) : std::nullopt;
    const CsvVerdicts* judged = verdicts ? &*verdicts : nullptr;
    ResultsTable table;
    ResultsListing listing;
    listing.SetKeepLines(false);
    if (const Result<void> loaded = LoadResults(options.input, table, listing); !loaded) {
        std::cerr << "tessaprint-cli: " << loaded.error().message << "\n";
        return 1;
    }
    CsvSource source;
    if (options.kind) {
        source.instrument = UnitTypeText(*options.kind);
    }
    if (options.capturedAtGiven) {
        source.capturedAt = options.capturedAt;
    } else if (const auto written = FileModifiedLocalTime(options.input.path())) {
        // A transcript or capture file is written as the capture ends.
        source.capturedAt = IsoLocalTime(*written);
    }
    if (options.output.empty() || options.output == kStdoutPath) {
        WriteResultsCsv(std::cout, table, listing, source, judged);
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    std::ostringstream csv;
    const CsvCounts counts = WriteResultsCsv(csv, table, listing, source, judged);
    if (const Result<void> written = WriteOutputFile(options.output, csv.str()); !written) {
        std::cerr << "tessaprint-cli: " << written.error().message << "\n";
        return 1;
    }
    std::cerr << "tessaprint-cli: " << counts.readings << " readings of " << counts.records << " equipment IDs in "
              << options.output << "\n";
    return 0;
}

} // namespace

void AddCsvCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<CsvOptions>();
    CLI::App* command =
        app.add_subcommand("csv", "Print the readings of a transcript or a saved capture as CSV, one row per reading");
    AddInputOptions(*command, options->input);
    CLI::Option* kind = AddKindOption(*command, options->kindValue);
    CLI::Option* capturedAt =
        command->add_option("--captured-at", options->capturedAt, "the capture time, ISO 8601 (default: the file's)")
            ->check(cmdline::IsoDateTime())
            ->type_name("YYYY-MM-DDTHH:MM:SS");
    command->add_option("--output", options->output, "write the CSV to this file instead of stdout (- for stdout)")
        ->type_name("FILE");
    // The limits are kept by instrument: the kind is needed to judge anything.
    AddVerdictOptions(*command, options->verdicts)->needs(kind);
    command->callback([options, kind, capturedAt, &status] {
        if (kind->count() > 0) {
            options->kind = options->kindValue;
        }
        options->capturedAtGiven = capturedAt->count() > 0;
        status = RunCsv(*options);
    });
}

} // namespace tessaprint
