#include "CliCommands.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "util/QtClock.h"

#include <iostream>

namespace tessaprint {

namespace {

constexpr const char* kUsage =
    "usage: tessaprint-cli datasheet --kind quellmax|kappa|pactrx (--transcript FILE | --capture FILE)\n"
    "                                --item K|all --reports DIR [--word2007 0|1]\n";

} // namespace

int RunDataSheetCommand(const std::vector<std::string>& args)
{
    std::optional<InstrumentKind> kind;
    std::string input;
    bool transcript = false;
    std::string item;
    std::string reports;
    int word2007 = 1;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            std::cerr << "tessaprint-cli: missing value after " << args[i] << "\n" << kUsage;
            return 2;
        }
        const std::string& name = args[i];
        const std::string& value = args[i + 1];
        if (name == "--kind") {
            kind = InstrumentKindFromName(value);
            if (!kind) {
                std::cerr << "tessaprint-cli: --kind takes quellmax, kappa or pactrx, not '" << value << "'\n";
                return 2;
            }
        } else if (name == "--transcript" || name == "--capture") {
            input = value;
            transcript = name == "--transcript";
        } else if (name == "--item") {
            item = value;
        } else if (name == "--reports") {
            reports = value;
        } else if (name == "--word2007") {
            if (value != "0" && value != "1") {
                std::cerr << "tessaprint-cli: --word2007 takes 0 or 1\n";
                return 2;
            }
            word2007 = value == "1" ? 1 : 0;
        } else {
            std::cerr << "tessaprint-cli: unknown option " << name << "\n" << kUsage;
            return 2;
        }
    }
    if (!kind || input.empty() || item.empty() || reports.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    ResultsTable table;
    ResultsListing listing;
    std::string error;
    if (!LoadResults(input, transcript, table, listing, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }

    std::vector<int> items;
    if (item == "all") {
        for (int k = 0; k < listing.SelectorCount(); ++k) {
            items.push_back(k);
        }
    } else {
        try {
            std::size_t used = 0;
            const int k = std::stoi(item, &used);
            if (used != item.size() || k < 0 || k >= listing.SelectorCount()) {
                throw std::out_of_range(item);
            }
            items.push_back(k);
        } catch (const std::exception&) {
            std::cerr << "tessaprint-cli: --item takes 'all' or a selector item from 0 to "
                      << listing.SelectorCount() - 1 << ", not '" << item << "'\n";
            return 2;
        }
    }
    if (items.empty()) {
        std::cerr << "tessaprint-cli: " << input << " holds no equipment ID\n";
        return 1;
    }

    const QtClock clock;
    docs::DocumentEngine word;
    docs::DataSheetDispatch dispatch(table, word, clock);
    int failures = 0;
    for (const int k : items) {
        docs::DataSheetRequest request;
        request.checkedKind = *kind;
        for (const auto& row : listing.ReadingsForItem(table, k)) {
            request.rows.push_back({row.item, row.testName, row.reading});
        }
        request.selectorCurrent = k;
        request.selectorItemText = listing.SelectorItemText(k);
        request.reportsFolder = reports;
        request.word2007 = word2007;
        const docs::DataSheetResult result = dispatch.OnDataSheet(request);
        if (result.ok) {
            std::cout << result.savedPath << "\n";
        } else {
            std::cerr << "tessaprint-cli: item " << k << " (" << request.selectorItemText << "): " << result.errorBox
                      << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace tessaprint
