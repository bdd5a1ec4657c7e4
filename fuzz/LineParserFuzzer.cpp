// The line parser and the Item/Test/Reading list of every selector item: any
// lines at all are filed, and listing every item costs no more than the
// readings themselves (each listed once, under its own record).
#include "FuzzInput.h"

#include "results/ResultsListing.h"
#include "results/ResultsTable.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessaprint;
    fuzz::FuzzInput input(data, size);
    ResultsTable table;
    ResultsListing listing;
    const bool resetHalfWay = input.Byte() % 4 == 0;
    const std::string_view text = input.Rest();

    std::size_t valueLines = 0;
    std::size_t start = 0;
    std::size_t lineNumber = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(start, end - start);
        if (line.find('.') != std::string_view::npos) {
            ++valueLines;
        }
        table.ParseResultLine(listing, line);
        const auto split = ResultsTable::SplitReading(line);
        if (split.testName.size() + split.reading.size() > line.size()) {
            std::abort();
        }
        if (resetHalfWay && ++lineNumber == 8) {
            table.ResetCounters();
        }
        start = end + 1;
    }

    std::size_t listed = 0;
    for (int item = 0; item < listing.SelectorCount(); ++item) {
        const auto rows = listing.ReadingsForItem(table, item);
        listed += rows.size();
        // Without a reset in between, every item lists its own record and no other.
        if (!resetHalfWay && listed > valueLines) {
            std::abort();
        }
    }
    return 0;
}
