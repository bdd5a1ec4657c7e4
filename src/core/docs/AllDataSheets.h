#pragma once

#include "docs/WordApplication.h"
#include "results/InstrumentKind.h"
#include "results/ResultsListing.h"
#include "results/ResultsTable.h"
#include "util/Clock.h"
#include "util/Result.h"
#include "verdict/VerdictEngine.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint::docs {

// What "All Data Sheets" works on, taken whole when it starts: the results
// and the equipment ID selector as they were (a copy the port cannot change
// underneath), and the kind, reports folder and Word 2007 flag in use then.
struct AllDataSheetsInput {
    ResultsTable table;
    ResultsListing listing;
    std::optional<InstrumentKind> checkedKind; // none checked builds the electrical safety record
    std::string reportsFolder;
    int word2007 = 1;
    // Verdicts on: each record judged by it as "Data Sheet" does. nullptr: off.
    std::shared_ptr<const verdict::VerdictEngine> verdicts = {};
};

// A selector item whose test record was not written.
struct DataSheetFailure {
    int item = 0;            // from 0
    std::string equipmentId; // the selector's text
    std::string error;       // what the error box would say (ComErrorText)
};

// A document whose PDF copy was not made, and why (the reason alone).
struct PdfCopyFailure {
    std::string document;
    std::string reason;
};

// The PDF copies of a run's documents, counted as each is reported.
struct PdfCopiesOutcome {
    int total = 0; // documents to copy
    int made = 0;
    int cancelled = 0; // stopped by the user before they were made
    std::vector<PdfCopyFailure> failures;

    void Add(const std::string& document, const Result<std::string>& pdf);
    int Reported() const { return made + cancelled + static_cast<int>(failures.size()); }
};

struct AllDataSheetsResult {
    int total = 0;                    // selector items
    std::vector<std::string> written; // in selector order
    std::vector<DataSheetFailure> failures;
    bool cancelled = false;
    std::string folder; // the reports folder the documents went to, resolved
    // What stopped the run before its end when it was not one document's
    // failure (something thrown between documents); empty otherwise.
    std::string error;
    // With PDF copies on: what became of the copies of the documents written.
    std::optional<PdfCopiesOutcome> pdfCopies = {};

    // Items that were neither written nor failed (cancelled or stopped before them).
    int NotStarted() const { return total - static_cast<int>(written.size()) - static_cast<int>(failures.size()); }
};

struct AllDataSheetsCallbacks {
    // Before each document: its number from 1, the total and the equipment
    // ID. Returning false cancels before that document; those written stay.
    std::function<bool(int index, int total, const std::string& equipmentId)> beforeDocument;
    // After each document written, with its path.
    std::function<void(const std::string& path)> documentWritten;
    // After each document that failed.
    std::function<void(const DataSheetFailure& failure)> documentFailed;
};

// The test record of every selector item in order, each exactly as "Data
// Sheet" writes it with that item chosen (its readings listed, the same
// layout, name and folder). Each document has a word processor of its own
// from wordProcessor. A document that fails (an ID the reports folder
// refuses, a failing operation, anything thrown) fails alone; the rest go on.
// Anything else thrown (by a callback) ends the run with its text in error;
// nothing is thrown out of it. Only input, what wordProcessor makes and
// clock.LocalTime() are used, so it may run on a thread of its own.
AllDataSheetsResult WriteAllDataSheets(AllDataSheetsInput& input, const WordProcessorFactory& wordProcessor,
                                       const Clock& clock, const AllDataSheetsCallbacks& callbacks = {});

// The equipment ID as a message shows it: without the blanks around it, and
// "(no equipment ID)" for an empty one.
std::string ShownEquipmentId(const std::string& selectorText);

// "Writing 12 of 50: ICU-MON-12".
std::string AllDataSheetsProgressText(int index, int total, const std::string& equipmentId);

// "Making PDF copies: 12 of 50": done of total reported so far.
std::string PdfCopiesProgressText(int done, int total);

// The status bar's line at the end: "Wrote 50 test records to <folder>",
// with what failed or was not started after it, and what became of the PDF copies.
std::string AllDataSheetsStatusText(const AllDataSheetsResult& result);

// The closing message: how many were written, which failed and why (one line
// each, the first maxListed of them and how many more), and whether it was
// cancelled or stopped by an error, and how many that left unwritten; then
// how many PDF copies were made, which failed and why (listed as the
// documents are), and how many a cancel left unmade.
std::string AllDataSheetsSummaryText(const AllDataSheetsResult& result, std::size_t maxListed = 10);

} // namespace tessaprint::docs
