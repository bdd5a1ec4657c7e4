#pragma once

#include "results/ResultsTable.h"
#include "results/ResultsViews.h"
#include "text/IsoLocalTime.h"
#include "verdict/VerdictEngine.h"

#include <ctime>
#include <ostream>
#include <string>
#include <string_view>

namespace tessaprint {

// Where the readings of a CSV came from: the instrument ("Quellmax",
// "Kappa 5100", "PTRX"; empty when not known) and when they were captured.
struct CsvSource {
    std::string instrument;
    std::string capturedAt; // IsoLocalTime, or empty
};

// The header of every CSV the program writes; a maintenance system's import
// is set up against these names, so they never change.
inline constexpr std::string_view kCsvHeader = "equipment_id,test_date,item,test,reading,value,instrument,captured_at";

// One field as RFC 4180 has it: quoted when it holds a comma, a quote, CR or
// LF (quotes doubled). A text a spreadsheet would take for a formula ('=',
// '+', '-' or '@' first, and not a number) gets a leading apostrophe, so it is
// shown as text and never run. Bytes that are not UTF-8 become U+FFFD.
std::string CsvField(std::string_view text);

// "-0.1", "+2", "3.5e-3": a plain decimal number, which a spreadsheet reads as
// a number and never as a formula.
bool IsPlainNumber(std::string_view text);

// What WriteResultsCsv wrote.
struct CsvCounts {
    int records = 0;
    int readings = 0;
};

// The readings of every equipment ID on the selector, in its order, one row
// each as the Item/Test/Reading list shows them (value rows with nothing
// after the item's full stop too): a byte-order mark, the header, CR LF after
// every row. A record that two selector items stand for is written once.
// With verdicts, each row gets the columns limit,verdict after the others
// (the header too); the other columns stay as they are.
struct CsvVerdicts {
    const verdict::VerdictEngine& engine;
    InstrumentKind kind;
};
CsvCounts WriteResultsCsv(std::ostream& out, const ResultsTable& table, const EquipmentIdSelector& selector,
                          const CsvSource& source, const CsvVerdicts* verdicts = nullptr);

} // namespace tessaprint
