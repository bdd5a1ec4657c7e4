#include "docs/AllDataSheets.h"

#include "docs/DataSheet.h"
#include "docs/DocumentFrame.h"
#include "docs/PdfBatchConverter.h"
#include "results/ReportsFolder.h"
#include "text/Plural.h"
#include "text/Trim.h"
#include "util/Utf8Path.h"

#include <exception>

namespace tessaprint::docs {

namespace {

constexpr const char* kUnknownErrorText = "an error of an unknown kind";

// "the other one was not written", "the other 2 were not written".
std::string OthersNotWritten(int count)
{
    return count == 1 ? "the other one was not written" : "the other " + std::to_string(count) + " were not written";
}

// One item, as the window does it: the item chosen, its readings listed,
// then "Data Sheet" with a word processor of its own.
Result<DataSheetDocument> WriteOne(AllDataSheetsInput& input, int item, const WordProcessorFactory& wordProcessor,
                                   const Clock& clock)
{
    input.listing.ShowItem(input.table, item);
    const std::unique_ptr<WordApplication> word = wordProcessor ? wordProcessor() : nullptr;
    if (!word) {
        return Error{kErrorPointer, "No word processor to write the document with."};
    }
    DataSheetDispatch dispatch(input.table, *word, clock);
    DataSheetRequest request =
        MakeDataSheetRequest(input.listing, input.listing, input.checkedKind, input.reportsFolder, input.word2007);
    if (input.verdicts) {
        request.verdict = JudgeDataSheetRows(*input.verdicts, request);
    }
    return dispatch.OnDataSheet(request);
}

} // namespace

AllDataSheetsResult WriteAllDataSheets(AllDataSheetsInput& input, const WordProcessorFactory& wordProcessor,
                                       const Clock& clock, const AllDataSheetsCallbacks& callbacks)
{
    AllDataSheetsResult result;
    result.total = input.listing.SelectorCount();
    result.folder = input.reportsFolder;
    try {
        result.folder = PathToUtf8(ResolveReportsFolder(input.reportsFolder));
        for (int item = 0; item < result.total; ++item) {
            const std::string id = input.listing.SelectorItemText(item);
            if (callbacks.beforeDocument && !callbacks.beforeDocument(item + 1, result.total, id)) {
                result.cancelled = true;
                break;
            }
            Result<DataSheetDocument> written = Error{};
            try {
                written = WriteOne(input, item, wordProcessor, clock);
            } catch (const std::exception& error) {
                // Whatever a document throws ends that document, not the batch
                // (nor the thread it may run on).
                written = Error{kErrorFail, error.what()};
            } catch (...) {
                written = Error{kErrorFail, kUnknownErrorText};
            }
            if (!written) {
                result.failures.push_back({item, id, ComErrorText(written.error())});
                if (callbacks.documentFailed) {
                    callbacks.documentFailed(result.failures.back());
                }
                continue;
            }
            result.written.push_back(written.value().savedPath);
            if (callbacks.documentWritten) {
                callbacks.documentWritten(written.value().savedPath);
            }
        }
    } catch (const std::exception& error) {
        // Not one document's fault: the run ends here, and says why; what
        // was written stays written.
        result.error = error.what();
    } catch (...) {
        result.error = kUnknownErrorText;
    }
    return result;
}

std::string ShownEquipmentId(const std::string& selectorText)
{
    const std::string_view id = TrimBlanks(selectorText);
    return id.empty() ? "(no equipment ID)" : std::string(id);
}

std::string AllDataSheetsProgressText(int index, int total, const std::string& equipmentId)
{
    return "Writing " + std::to_string(index) + " of " + std::to_string(total) + ": " + ShownEquipmentId(equipmentId);
}

namespace {

// "Wrote 50 test records to F" or "Wrote 12 of 50 test records to F".
std::string WroteText(const AllDataSheetsResult& result)
{
    const std::size_t written = result.written.size();
    const std::string records = written == static_cast<std::size_t>(result.total)
                                    ? Plural(written, "test record", "test records")
                                    : std::to_string(written) + " of " +
                                          Plural(static_cast<std::size_t>(result.total), "test record", "test records");
    return "Wrote " + records + " to " + result.folder;
}

std::string DocumentName(const std::string& path)
{
    return PathToUtf8(PathFromUtf8(path).filename());
}

std::string PdfCopiesStatusText(const PdfCopiesOutcome& copies)
{
    std::string text = "; " + Plural(static_cast<std::size_t>(copies.made), "PDF copy", "PDF copies");
    if (!copies.failures.empty()) {
        text += ", " + std::to_string(copies.failures.size()) + " failed";
    }
    if (copies.cancelled > 0) {
        text += ", cancelled, " + std::to_string(copies.cancelled) + " not made";
    }
    return text;
}

std::string PdfCopiesSummaryText(const PdfCopiesOutcome& copies, std::size_t maxListed)
{
    std::string text = "\n" + std::to_string(copies.made) + " of " +
                       Plural(static_cast<std::size_t>(copies.total), "PDF copy", "PDF copies") + " made.";
    if (!copies.failures.empty()) {
        text += "\n" + Plural(copies.failures.size(), "PDF copy", "PDF copies") + " failed:";
        for (std::size_t i = 0; i < copies.failures.size() && i < maxListed; ++i) {
            text += "\n" + DocumentName(copies.failures[i].document) + ": " + copies.failures[i].reason;
        }
        if (copies.failures.size() > maxListed) {
            text += "\nand " + std::to_string(copies.failures.size() - maxListed) + " more.";
        }
    }
    if (copies.cancelled > 0) {
        text += "\nPDF copies cancelled: " + std::to_string(copies.cancelled) + " not made.";
    }
    return text;
}

} // namespace

void PdfCopiesOutcome::Add(const std::string& document, const Result<std::string>& pdf)
{
    if (pdf) {
        ++made;
    } else if (pdf.error().message == kPdfCopyCancelled) {
        ++cancelled;
    } else {
        failures.push_back({document, pdf.error().message});
    }
}

std::string PdfCopiesProgressText(int done, int total)
{
    return "Making PDF copies: " + std::to_string(done) + " of " + std::to_string(total);
}

std::string AllDataSheetsStatusText(const AllDataSheetsResult& result)
{
    if (result.total == 0) {
        return "No equipment ID to write a test record for";
    }
    std::string text = WroteText(result);
    if (!result.failures.empty()) {
        text += "; " + std::to_string(result.failures.size()) + " failed";
    }
    if (result.cancelled) {
        text += "; cancelled, " + std::to_string(result.NotStarted()) + " not written";
    } else if (!result.error.empty()) {
        text += "; stopped by an error, " + std::to_string(result.NotStarted()) + " not written";
    }
    if (result.pdfCopies) {
        text += PdfCopiesStatusText(*result.pdfCopies);
    }
    return text;
}

std::string AllDataSheetsSummaryText(const AllDataSheetsResult& result, std::size_t maxListed)
{
    if (result.total == 0) {
        return "There is no equipment ID to write a test record for.";
    }
    std::string text = WroteText(result) + ".";
    if (!result.failures.empty()) {
        text += "\n" + std::to_string(result.failures.size()) + " failed:";
        for (std::size_t i = 0; i < result.failures.size() && i < maxListed; ++i) {
            const DataSheetFailure& failure = result.failures[i];
            text += "\n" + ShownEquipmentId(failure.equipmentId) + ": " + failure.error;
        }
        if (result.failures.size() > maxListed) {
            text += "\nand " + std::to_string(result.failures.size() - maxListed) + " more.";
        }
    }
    if (result.cancelled) {
        text += "\nCancelled: " + OthersNotWritten(result.NotStarted()) + ".";
    } else if (!result.error.empty()) {
        text += "\nStopped by an error: " + result.error;
        if (result.NotStarted() > 0) {
            std::string others = OthersNotWritten(result.NotStarted());
            others[0] = 'T';
            text += "\n" + others + ".";
        }
    }
    if (result.pdfCopies) {
        text += PdfCopiesSummaryText(*result.pdfCopies, maxListed);
    }
    return text;
}

} // namespace tessaprint::docs
