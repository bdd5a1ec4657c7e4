#include "CliCommands.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/CaptureSettings.h"
#include "util/QtClock.h"

#include <iostream>

namespace tessaprint {

namespace {

struct DataSheetOptions {
    InstrumentKind kind = InstrumentKind::Quellmax;
    InputFile input;
    std::string item;
    std::string reports;
    int word2007 = 1;
    PdfCopyOptions pdf;
};

int RunDataSheet(const DataSheetOptions& options)
{
    ResultsTable table;
    ResultsListing listing;
    if (const Result<void> loaded = LoadResults(options.input, table, listing); !loaded) {
        std::cerr << "tessaprint-cli: " << loaded.error().message << "\n";
        return 1;
    }

    std::vector<int> items;
    if (options.item == "all") {
        for (int k = 0; k < listing.SelectorCount(); ++k) {
            items.push_back(k);
        }
    } else {
        const auto k = listing.SelectorCount() == 0
                           ? std::nullopt
                           : ParseWholeNumber(options.item, 0, static_cast<std::uint64_t>(listing.SelectorCount() - 1));
        if (!k) {
            std::cerr << "tessaprint-cli: --item takes 'all' or a selector item from 0 to "
                      << listing.SelectorCount() - 1 << ", not '" << options.item << "'\n";
            return 2;
        }
        items.push_back(static_cast<int>(*k));
    }
    if (items.empty()) {
        std::cerr << "tessaprint-cli: " << options.input.path() << " holds no equipment ID\n";
        return 1;
    }

    const QtClock clock;
    docs::DocumentEngine word;
    docs::DataSheetDispatch dispatch(table, word, clock);
    int failures = 0;
    for (const int k : items) {
        // As the window does it: the item chosen, its readings listed, then "Data Sheet".
        listing.ShowItem(table, k);
        const Result<docs::DataSheetDocument> written = dispatch.OnDataSheet(
            docs::MakeDataSheetRequest(listing, listing, options.kind, options.reports, options.word2007));
        if (written) {
            std::cout << written.value().savedPath << "\n";
            if (options.pdf.pdf && !WritePdfCopy(options.pdf, written.value().savedPath)) {
                ++failures;
            }
        } else {
            std::cerr << "tessaprint-cli: item " << k << " (" << listing.SelectorItemText(k)
                      << "): " << docs::ComErrorText(written.error()) << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

void AddDataSheetCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<DataSheetOptions>();
    CLI::App* command = app.add_subcommand(
        "datasheet", "Write the test record of one selector item, or of each, as \"Data Sheet\" does");
    AddKindOption(*command, options->kind)->required();
    AddInputOptions(*command, options->input);
    command->add_option("--item", options->item, "the selector item from 0, or 'all'")->required()->type_name("K|all");
    command->add_option("--reports", options->reports, "the reports folder")->required()->type_name("DIR");
    AddWord2007Option(*command, options->word2007);
    AddPdfCopyOptions(*command, options->pdf);
    command->callback([options, &status] { status = RunDataSheet(*options); });
}

} // namespace tessaprint
