#include "CliCommands.h"
#include "ProgramOptions.h"

#include "docs/AllDataSheets.h"
#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/CaptureSettings.h"
#include "util/QtClock.h"

#include <iostream>
#include <memory>
#include <optional>

namespace tessaprint {

namespace {

struct DataSheetOptions {
    InstrumentKind kind = InstrumentKind::Quellmax;
    InputFile input;
    std::string item;
    std::string reports;
    int word2007 = 1;
    PdfCopyOptions pdf;
    VerdictOptions verdicts;
};

int RunDataSheet(const DataSheetOptions& options)
{
    int status = 0;
    const std::optional<std::shared_ptr<const verdict::VerdictEngine>> engine =
        MakeVerdictEngineFor(options.verdicts, status);
    if (!engine) {
        return status;
    }
    docs::AllDataSheetsInput input;
    input.verdicts = (*engine);
    input.checkedKind = options.kind;
    const std::string reports = CommandLinePath(options.reports);
    input.reportsFolder = reports;
    input.word2007 = options.word2007;
    ResultsTable& table = input.table;
    ResultsListing& listing = input.listing;
    if (const Result<void> loaded = LoadResults(options.input, table, listing); !loaded) {
        std::cerr << "tessaprint-cli: " << loaded.error().message << "\n";
        return 1;
    }

    // A capture without an ID has no item to take, whichever was asked for.
    if (listing.SelectorCount() == 0) {
        std::cerr << "tessaprint-cli: " << options.input.path() << " holds no equipment ID\n";
        return 1;
    }
    std::optional<int> item;
    if (options.item != "all") {
        const auto k = ParseWholeNumber(options.item, 0, static_cast<std::uint64_t>(listing.SelectorCount() - 1));
        if (!k) {
            std::cerr << "tessaprint-cli: --item takes 'all' or a selector item from 0 to "
                      << listing.SelectorCount() - 1 << ", not '" << cmdline::ShortValue(options.item) << "'\n";
            return 2;
        }
        item = static_cast<int>(*k);
    }

    const QtClock clock;
    const docs::WordProcessorFactory wordProcessor = [] { return std::make_unique<docs::DocumentEngine>(); };
    const auto failed = [](int k, const std::string& id, const std::string& error) {
        std::cerr << "tessaprint-cli: item " << k << " (" << id << "): " << error << "\n";
    };
    int pdfFailures = 0;
    const auto wrote = [&options, &pdfFailures](const std::string& path) {
        std::cout << path << "\n";
        if (options.pdf.pdf && !WritePdfCopy(options.pdf, path)) {
            ++pdfFailures;
        }
    };
    // Every item's document printed as it is written; their copies follow in one batch.
    const auto listed = [](const std::string& path) { std::cout << path << std::endl; };
    if (!item) {
        // Every item, as "All Data Sheets" in the window writes them.
        docs::AllDataSheetsCallbacks callbacks;
        callbacks.documentWritten = listed;
        callbacks.documentFailed = [&failed](const docs::DataSheetFailure& failure) {
            failed(failure.item, failure.equipmentId, failure.error);
        };
        const docs::AllDataSheetsResult result = docs::WriteAllDataSheets(input, wordProcessor, clock, callbacks);
        if (!result.error.empty()) {
            std::cerr << "tessaprint-cli: stopped by an error after " << result.written.size() << " of " << result.total
                      << " test records: " << result.error << "\n";
        }
        if (options.pdf.pdf) {
            pdfFailures = WritePdfCopies(options.pdf, result.written);
        }
        return result.failures.empty() && result.error.empty() && pdfFailures == 0 ? 0 : 1;
    }

    // As the window does it: the item chosen, its readings listed, then "Data Sheet".
    listing.ShowItem(table, *item);
    const std::unique_ptr<docs::WordApplication> word = wordProcessor();
    docs::DataSheetDispatch dispatch(table, *word, clock);
    docs::DataSheetRequest request =
        docs::MakeDataSheetRequest(listing, listing, options.kind, reports, options.word2007);
    if (input.verdicts) {
        request.verdict = docs::JudgeDataSheetRows(*input.verdicts, request);
    }
    const Result<docs::DataSheetDocument> written = dispatch.OnDataSheet(request);
    if (!written) {
        failed(*item, listing.SelectorItemText(*item), docs::ComErrorText(written.error()));
        return 1;
    }
    wrote(written.value().savedPath);
    return pdfFailures == 0 ? 0 : 1;
}

} // namespace

void AddDataSheetCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<DataSheetOptions>();
    CLI::App* command = app.add_subcommand(
        "datasheet", "Write the test record of one selector item, or of each, as \"Data Sheet\" does");
    AddKindOption(*command, options->kind)->required();
    AddInputOptions(*command, options->input);
    command->add_option("--item", options->item, "the selector item from 0, or 'all'")
        ->required()
        ->check(CLI::Validator(
            [](const std::string& value) {
                // Which numbers there are is known once the input is read.
                return value == "all" || (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos)
                           ? std::string()
                           : "--item takes 'all' or a selector item from 0, not '" + cmdline::ShortValue(value) + "'";
            },
            ""))
        ->type_name("K|all");
    command->add_option("--reports", options->reports, "the reports folder")->required()->type_name("DIR");
    AddWord2007Option(*command, options->word2007);
    AddPdfCopyOptions(*command, options->pdf);
    AddVerdictOptions(*command, options->verdicts);
    command->callback([options, &status] { status = RunDataSheet(*options); });
}

} // namespace tessaprint
