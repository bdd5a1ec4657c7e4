// "All Data Sheets": every selector item's test record, each as "Data Sheet"
// writes it; failures that stay with their own document; cancelling between
// documents; two runs at once; the texts that sum a run up.
#include "DocumentText.h"
#include "DocxReader.h"
#include "RecordingWordApplication.h"
#include "TestFiles.h"

#include "docs/AllDataSheets.h"
#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/Replay.h"
#include "results/ReportsFolder.h"
#include "sim/SamplePrintouts.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;
namespace files = tessaprint::test;
using files::ReadFile;

const WordProcessorFactory kEngine = [] { return std::make_unique<DocumentEngine>(); };
const std::string kFiftyRecords = ReadFile(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt");

class AllDataSheetsTest : public ::testing::Test {
protected:
    AllDataSheetsInput Input(std::string_view printout, std::optional<InstrumentKind> kind, const fs::path& reports)
    {
        AllDataSheetsInput input;
        ReplayTranscript(printout, input.table, input.listing);
        input.checkedKind = kind;
        input.reportsFolder = reports.string();
        return input;
    }

    files::TempFolder folder;
    ManualClock clock;
};

TEST_F(AllDataSheetsTest, EveryRecordOfAFullMemoryIsWrittenInSelectorOrderAndReadsBackWithItsOwnId)
{
    AllDataSheetsInput input = Input(kFiftyRecords, InstrumentKind::Quellmax, folder.path());
    std::vector<std::string> progress;
    std::vector<std::string> announced;
    AllDataSheetsCallbacks callbacks;
    callbacks.beforeDocument = [&](int index, int total, const std::string& id) {
        progress.push_back(std::to_string(index) + "/" + std::to_string(total) + id);
        return true;
    };
    callbacks.documentWritten = [&](const std::string& path) { announced.push_back(path); };
    const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock, callbacks);

    EXPECT_EQ(result.total, 50);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.folder, folder.path().string());
    ASSERT_EQ(result.written.size(), 50u);
    EXPECT_EQ(announced, result.written);
    ASSERT_EQ(progress.size(), 50u);
    EXPECT_EQ(folder.Names().size(), 50u);
    for (std::size_t k = 0; k < 50; ++k) {
        const std::string id = input.listing.SelectorItemText(static_cast<int>(k));
        EXPECT_EQ(progress[k], std::to_string(k + 1) + "/50" + id);
        EXPECT_EQ(result.written[k], (folder.path() / (FileNamePart(id) + "-307201590508.docx")).string());
        const Document doc = test::DocxReader::FromFile(result.written[k]).ReadDocument();
        ASSERT_FALSE(test::MainTables(doc).empty());
        EXPECT_EQ(test::CellText(test::MainTables(doc)[0]->rows[2].cells[1]),
                  "Equipment ID: " + id + "||Serial Number:");
    }
}

TEST_F(AllDataSheetsTest, EachDocumentIsByteForByteWhatDataSheetWritesForItsItemInEveryLayout)
{
    const std::vector<std::pair<std::string_view, std::optional<InstrumentKind>>> cases = {
        {kFiftyRecords, std::nullopt},
        {SamplePrintout(InstrumentKind::Kappa5100), InstrumentKind::Kappa5100},
        {SamplePrintout(InstrumentKind::Pactrx), InstrumentKind::Pactrx}};
    for (const auto& [printout, kind] : cases) {
        const fs::path batch = folder.path() / ("batch-" + std::to_string(kind ? static_cast<int>(*kind) : -1));
        AllDataSheetsInput input = Input(printout, kind, batch);
        const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock);

        // The button, item after item, into a folder of its own.
        const fs::path single = batch.string() + "-single";
        AllDataSheetsInput shown = Input(printout, kind, single);
        ASSERT_GT(shown.listing.SelectorCount(), 1);
        ASSERT_EQ(result.written.size(), static_cast<std::size_t>(shown.listing.SelectorCount()));
        for (int k = 0; k < shown.listing.SelectorCount(); ++k) {
            shown.listing.ShowItem(shown.table, k);
            DocumentEngine engine;
            DataSheetDispatch dispatch(shown.table, engine, clock);
            const auto written =
                dispatch.OnDataSheet(MakeDataSheetRequest(shown.listing, shown.listing, kind, single.string(), 1));
            ASSERT_TRUE(written);
            const std::string& fromBatch = result.written[static_cast<std::size_t>(k)];
            EXPECT_EQ(fs::path(fromBatch).filename(), fs::path(written.value().savedPath).filename());
            EXPECT_TRUE(ReadFile(fromBatch) == ReadFile(written.value().savedPath)) << fromBatch;
        }
    }
}

// Throws what is not a word processor error, as a failed allocation would.
class ThrowingWordApplication : public RecordingWordApplication {
public:
    void StartWord() override { throw std::runtime_error("out of memory"); }
};

TEST_F(AllDataSheetsTest, ARefusedIdOrAFailingWordProcessorFailsOnlyItsOwnDocument)
{
    const fs::path reports = folder.path() / "reports";
    AllDataSheetsInput input = Input("EquipmentID: A\r\n1.Case Leakage 1 uA\r\nEquipmentID: ../x\r\n1.Case 2 uA\r\n"
                                     "EquipmentID: CON\r\n1.Volts 120 V\r\nEquipmentID: B\r\n1.Ground 0.1 Ohms\r\n"
                                     "EquipmentID: C\r\n1.Ground 0.2 Ohms\r\n",
                                     InstrumentKind::Quellmax, reports);
    const WordProcessorFactory sometimes = [made = 0]() mutable -> std::unique_ptr<WordApplication> {
        if (++made == 5) { // one for each item, the refused ones too: C's throws
            return std::make_unique<ThrowingWordApplication>();
        }
        return std::make_unique<DocumentEngine>();
    };
    std::vector<int> failedItems;
    AllDataSheetsCallbacks callbacks;
    callbacks.documentFailed = [&](const DataSheetFailure& failure) { failedItems.push_back(failure.item); };
    const AllDataSheetsResult result = WriteAllDataSheets(input, sometimes, clock, callbacks);

    EXPECT_EQ(result.written, (std::vector<std::string>{(reports / "A-307201590508.docx").string(),
                                                        (reports / "B-307201590508.docx").string()}));
    EXPECT_EQ(failedItems, (std::vector<int>{1, 2, 4}));
    ASSERT_EQ(result.failures.size(), 3u);
    EXPECT_EQ(result.failures[0].equipmentId, " ../x");
    EXPECT_EQ(result.failures[1].error.rfind("COM Error: 0x8007007B. ", 0), 0u) << result.failures[1].error;
    EXPECT_EQ(result.failures[2].error, "COM Error: 0x80004005. out of memory");
    // Nothing went anywhere but the reports folder.
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"reports"});
    EXPECT_EQ(files::TempFolder::NamesIn(reports),
              (std::vector<std::string>{"A-307201590508.docx", "B-307201590508.docx"}));
}

TEST_F(AllDataSheetsTest, CancellingBeforeDocumentFourLeavesExactlyThree)
{
    AllDataSheetsInput input = Input(kFiftyRecords, InstrumentKind::Quellmax, folder.path());
    int asked = 0;
    AllDataSheetsCallbacks callbacks;
    callbacks.beforeDocument = [&](int index, int, const std::string&) {
        ++asked;
        return index <= 3;
    };
    const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock, callbacks);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(result.written.size(), 3u);
    EXPECT_EQ(result.NotStarted(), 47);
    EXPECT_EQ(folder.Names().size(), 3u);
}

TEST_F(AllDataSheetsTest, AnErrorBetweenDocumentsStopsTheRunWithItsTextNeverAsACancel)
{
    // A document that throws what is not even an exception class fails alone.
    AllDataSheetsInput input = Input(kFiftyRecords, InstrumentKind::Quellmax, folder.path());
    const WordProcessorFactory oddThrow = [made = 0]() mutable -> std::unique_ptr<WordApplication> {
        if (++made == 2) {
            throw 42;
        }
        return std::make_unique<DocumentEngine>();
    };
    // Something thrown outside a document (here by the caller's own callback) ends the run.
    AllDataSheetsCallbacks callbacks;
    callbacks.beforeDocument = [](int index, int, const std::string&) {
        if (index == 4) {
            throw std::runtime_error("the progress window is gone");
        }
        return true;
    };
    const AllDataSheetsResult result = WriteAllDataSheets(input, oddThrow, clock, callbacks);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.error, "the progress window is gone");
    EXPECT_EQ(result.written.size(), 2u);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].item, 1);
    EXPECT_EQ(result.failures[0].error, "COM Error: 0x80004005. an error of an unknown kind");
    EXPECT_EQ(AllDataSheetsStatusText(result),
              "Wrote 2 of 50 test records to " + result.folder + "; 1 failed; stopped by an error, 47 not written");
    const std::string summary = AllDataSheetsSummaryText(result);
    EXPECT_EQ(summary.substr(summary.find("\nStopped")),
              "\nStopped by an error: the progress window is gone\nThe other 47 were not written.");
}

TEST_F(AllDataSheetsTest, TwoRunsAtOnceWriteWhatOneRunWritesAlone)
{
    // The document engine shares nothing between documents that two threads could trip over.
    AllDataSheetsInput alone = Input(kFiftyRecords, std::nullopt, folder.path() / "alone");
    const AllDataSheetsResult expected = WriteAllDataSheets(alone, kEngine, clock);
    AllDataSheetsInput first = Input(kFiftyRecords, std::nullopt, folder.path() / "first");
    AllDataSheetsInput second = Input(kFiftyRecords, std::nullopt, folder.path() / "second");
    AllDataSheetsResult firstResult;
    AllDataSheetsResult secondResult;
    std::thread other([&] { secondResult = WriteAllDataSheets(second, kEngine, clock); });
    firstResult = WriteAllDataSheets(first, kEngine, clock);
    other.join();
    ASSERT_EQ(expected.written.size(), 50u);
    for (const AllDataSheetsResult* result : {&firstResult, &secondResult}) {
        ASSERT_EQ(result->written.size(), 50u);
        for (std::size_t k = 0; k < 50; ++k) {
            EXPECT_TRUE(ReadFile(result->written[k]) == ReadFile(expected.written[k])) << result->written[k];
        }
    }
}

TEST(AllDataSheetsTextTest, TheMessagesSayWhatWasWrittenWhatFailedAndWhetherItWasCancelled)
{
    AllDataSheetsResult result{1, {"/r/A.docx"}, {}, false, "/r", {}};
    EXPECT_EQ(AllDataSheetsSummaryText(result), "Wrote 1 test record to /r.");
    result.total = 50;
    result.cancelled = true;
    std::string listed = "\n(no equipment ID): bad 0";
    for (int k = 0; k < 12; ++k) {
        result.failures.push_back({k, k == 0 ? "  " : " ID-" + std::to_string(k) + " ", "bad " + std::to_string(k)});
        listed += k > 0 && k < 10 ? "\nID-" + std::to_string(k) + ": bad " + std::to_string(k) : "";
    }
    EXPECT_EQ(AllDataSheetsStatusText(result),
              "Wrote 1 of 50 test records to /r; 12 failed; cancelled, 37 not written");
    EXPECT_EQ(AllDataSheetsSummaryText(result), "Wrote 1 of 50 test records to /r.\n12 failed:" + listed +
                                                    "\nand 2 more.\nCancelled: the other 37 were not written.");
    EXPECT_EQ(AllDataSheetsProgressText(12, 50, " ICU-MON-12"), "Writing 12 of 50: ICU-MON-12");
    // The count and its words agree.
    result = {2, {"/r/A.docx"}, {}, true, "/r", {}};
    EXPECT_EQ(AllDataSheetsSummaryText(result),
              "Wrote 1 of 2 test records to /r.\nCancelled: the other one was not written.");
    result.total = 3;
    EXPECT_EQ(AllDataSheetsSummaryText(result),
              "Wrote 1 of 3 test records to /r.\nCancelled: the other 2 were not written.");
}

} // namespace
} // namespace tessaprint::docs
