// "All Data Sheets": every selector item's test record, each as "Data Sheet"
// writes it; failures that stay with their own document; cancelling between
// documents; the texts that sum a run up; two runs at once.
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

std::string FiftyRecords()
{
    return ReadFile(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt");
}

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

    // What "Data Sheet" writes for each item in turn, into its own folder.
    std::vector<std::string> OneByOne(std::string_view printout, std::optional<InstrumentKind> kind,
                                      const fs::path& reports)
    {
        AllDataSheetsInput input = Input(printout, kind, reports);
        std::vector<std::string> paths;
        for (int k = 0; k < input.listing.SelectorCount(); ++k) {
            input.listing.ShowItem(input.table, k);
            DocumentEngine engine;
            DataSheetDispatch dispatch(input.table, engine, clock);
            const auto written = dispatch.OnDataSheet(
                MakeDataSheetRequest(input.listing, input.listing, kind, reports.string(), input.word2007));
            EXPECT_TRUE(written) << written.error().message;
            paths.push_back(written ? written.value().savedPath : std::string());
        }
        return paths;
    }

    // Each document of a run has the name and the bytes "Data Sheet" gives it.
    void ExpectEachAsDataSheetWritesIt(std::string_view printout, std::optional<InstrumentKind> kind)
    {
        const fs::path batchFolder = folder.path() / "batch";
        const fs::path singleFolder = folder.path() / "single";
        AllDataSheetsInput input = Input(printout, kind, batchFolder);
        const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock);
        const std::vector<std::string> single = OneByOne(printout, kind, singleFolder);
        ASSERT_GT(single.size(), 1u);
        EXPECT_TRUE(result.failures.empty());
        ASSERT_EQ(result.written.size(), single.size());
        for (std::size_t k = 0; k < single.size(); ++k) {
            EXPECT_EQ(fs::path(result.written[k]).filename(), fs::path(single[k]).filename()) << k;
            EXPECT_TRUE(ReadFile(result.written[k]) == ReadFile(single[k])) << result.written[k];
        }
    }

    files::TempFolder folder;
    ManualClock clock;
};

TEST_F(AllDataSheetsTest, EveryRecordOfAFullMemoryIsWrittenInSelectorOrderAndReadsBackWithItsOwnId)
{
    AllDataSheetsInput input = Input(FiftyRecords(), InstrumentKind::Quellmax, folder.path());
    std::vector<std::string> progress;
    std::vector<std::string> announced;
    AllDataSheetsCallbacks callbacks;
    callbacks.beforeDocument = [&](int index, int total, const std::string& id) {
        progress.push_back(std::to_string(index) + "/" + std::to_string(total) + id);
        return true;
    };
    callbacks.documentWritten = [&](const std::string& path) { announced.push_back(path); };

    const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock, callbacks);

    ASSERT_EQ(input.listing.SelectorCount(), 50);
    EXPECT_EQ(result.total, 50);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(result.folder, folder.path().string());
    ASSERT_EQ(result.written.size(), 50u);
    EXPECT_EQ(announced, result.written);
    ASSERT_EQ(progress.size(), 50u);
    EXPECT_EQ(folder.Names().size(), 50u);
    for (int k = 0; k < 50; ++k) {
        const std::string id = input.listing.SelectorItemText(k);
        EXPECT_EQ(progress[static_cast<std::size_t>(k)], std::to_string(k + 1) + "/50" + id);
        EXPECT_EQ(result.written[static_cast<std::size_t>(k)],
                  (folder.path() / (FileNamePart(id) + "-307201590508.docx")).string());
        const Document doc = test::DocxReader::FromFile(result.written[static_cast<std::size_t>(k)]).ReadDocument();
        const auto tables = test::MainTables(doc);
        ASSERT_FALSE(tables.empty());
        EXPECT_EQ(test::CellText(tables[0]->rows[2].cells[1]), "Equipment ID: " + id + "||Serial Number:") << k;
    }
}

TEST_F(AllDataSheetsTest, EachDocumentIsTheOneDataSheetWritesForItsItemInEveryLayout)
{
    ExpectEachAsDataSheetWritesIt(FiftyRecords(), std::nullopt);
    fs::remove_all(folder.path() / "batch");
    fs::remove_all(folder.path() / "single");
    ExpectEachAsDataSheetWritesIt(SamplePrintout(InstrumentKind::Kappa5100), InstrumentKind::Kappa5100);
    fs::remove_all(folder.path() / "batch");
    fs::remove_all(folder.path() / "single");
    ExpectEachAsDataSheetWritesIt(SamplePrintout(InstrumentKind::Pactrx), InstrumentKind::Pactrx);
}

TEST_F(AllDataSheetsTest, AnIdTheReportsFolderRefusesFailsAloneAndNothingLandsOutsideIt)
{
    const fs::path reports = folder.path() / "reports";
    AllDataSheetsInput input = Input("EquipmentID: A\r\n1.Case Leakage 1 uA\r\n"
                                     "EquipmentID: ../x\r\n1.Case Leakage 2 uA\r\n"
                                     "EquipmentID: CON\r\n1.Line Voltage 120 V\r\n"
                                     "EquipmentID: B\r\n1.Ground Resistance 0.1 Ohms\r\n",
                                     InstrumentKind::Quellmax, reports);
    std::vector<int> failedItems;
    AllDataSheetsCallbacks callbacks;
    callbacks.documentFailed = [&](const DataSheetFailure& failure) { failedItems.push_back(failure.item); };

    const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock, callbacks);

    EXPECT_EQ(result.written, (std::vector<std::string>{(reports / "A-307201590508.docx").string(),
                                                        (reports / "B-307201590508.docx").string()}));
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(failedItems, (std::vector<int>{1, 2}));
    EXPECT_EQ(result.failures[0].equipmentId, " ../x");
    EXPECT_EQ(result.failures[1].equipmentId, " CON");
    for (const DataSheetFailure& failure : result.failures) {
        EXPECT_EQ(failure.error.rfind("COM Error: 0x8007007B. ", 0), 0u) << failure.error;
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"reports"});
    EXPECT_EQ(files::TempFolder::NamesIn(reports),
              (std::vector<std::string>{"A-307201590508.docx", "B-307201590508.docx"}));
}

// Throws what is not a word processor error, as a failed allocation would.
class ThrowingWordApplication : public RecordingWordApplication {
public:
    void StartWord() override { throw std::runtime_error("out of memory"); }
};

TEST_F(AllDataSheetsTest, AWordProcessorThatFailsOrIsMissingFailsOnlyItsDocument)
{
    int made = 0;
    const WordProcessorFactory sometimes = [&made]() -> std::unique_ptr<WordApplication> {
        switch (made++) {
        case 1:
            return nullptr;
        case 2: {
            auto failing = std::make_unique<RecordingWordApplication>();
            failing->FailAt(30, 0x80020009, "Exception occurred.");
            return failing;
        }
        case 3:
            return std::make_unique<ThrowingWordApplication>();
        default:
            return std::make_unique<DocumentEngine>();
        }
    };
    AllDataSheetsInput input = Input(FiftyRecords(), InstrumentKind::Quellmax, folder.path());
    const AllDataSheetsResult result = WriteAllDataSheets(input, sometimes, clock);

    EXPECT_EQ(made, 50);
    EXPECT_EQ(result.written.size(), 47u);
    EXPECT_EQ(folder.Names().size(), 47u);
    ASSERT_EQ(result.failures.size(), 3u);
    EXPECT_EQ(result.failures[0].item, 1);
    EXPECT_EQ(result.failures[0].error, "COM Error: 0x80004003. No word processor to write the document with.");
    EXPECT_EQ(result.failures[1].error, "COM Error: 0x80020009. Exception occurred.");
    EXPECT_EQ(result.failures[2].error, "COM Error: 0x80004005. out of memory");
}

TEST_F(AllDataSheetsTest, CancellingLeavesExactlyTheDocumentsWrittenBefore)
{
    for (const int n : {0, 3}) {
        const fs::path reports = folder.path() / std::to_string(n);
        AllDataSheetsInput input = Input(FiftyRecords(), InstrumentKind::Quellmax, reports);
        int asked = 0;
        AllDataSheetsCallbacks callbacks;
        callbacks.beforeDocument = [&](int index, int, const std::string&) {
            ++asked;
            return index <= n;
        };
        const AllDataSheetsResult result = WriteAllDataSheets(input, kEngine, clock, callbacks);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(asked, n + 1);
        EXPECT_EQ(result.written.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(result.NotStarted(), 50 - n);
        EXPECT_EQ(fs::exists(reports) ? files::TempFolder::NamesIn(reports).size() : 0u, static_cast<std::size_t>(n));
    }
}

TEST_F(AllDataSheetsTest, TwoRunsAtOnceWriteWhatOneRunWritesAlone)
{
    // The document engine keeps nothing between documents that two threads could share.
    const std::string printout = FiftyRecords();
    AllDataSheetsInput alone = Input(printout, std::nullopt, folder.path() / "alone");
    const AllDataSheetsResult expected = WriteAllDataSheets(alone, kEngine, clock);
    ASSERT_EQ(expected.written.size(), 50u);

    AllDataSheetsInput first = Input(printout, std::nullopt, folder.path() / "first");
    AllDataSheetsInput second = Input(printout, std::nullopt, folder.path() / "second");
    AllDataSheetsResult firstResult;
    AllDataSheetsResult secondResult;
    std::thread other([&] { secondResult = WriteAllDataSheets(second, kEngine, clock); });
    firstResult = WriteAllDataSheets(first, kEngine, clock);
    other.join();

    for (const AllDataSheetsResult* result : {&firstResult, &secondResult}) {
        ASSERT_EQ(result->written.size(), 50u);
        for (std::size_t k = 0; k < 50; ++k) {
            EXPECT_TRUE(ReadFile(result->written[k]) == ReadFile(expected.written[k])) << result->written[k];
        }
    }
}

TEST(AllDataSheetsTextTest, TheMessagesSayWhatWasWrittenWhatFailedAndWhetherItWasCancelled)
{
    AllDataSheetsResult all;
    all.total = 1;
    all.written = {"/r/A-1.docx"};
    all.folder = "/r";
    EXPECT_EQ(AllDataSheetsStatusText(all), "Wrote 1 test record to /r");
    EXPECT_EQ(AllDataSheetsSummaryText(all), "Wrote 1 test record to /r.");

    AllDataSheetsResult some;
    some.total = 50;
    some.folder = "/r";
    some.written.assign(26, "/r/x.docx");
    for (int k = 0; k < 12; ++k) {
        some.failures.push_back(
            {k, " ID-" + std::to_string(k) + " ", "COM Error: 0x8007007B. bad " + std::to_string(k)});
    }
    some.failures[0].equipmentId = "  ";
    some.cancelled = true;
    EXPECT_EQ(AllDataSheetsStatusText(some), "Wrote 26 of 50 test records to /r; 12 failed; cancelled, 12 not written");
    std::string expected =
        "Wrote 26 of 50 test records to /r.\n12 failed:\n(no equipment ID): COM Error: 0x8007007B. bad 0";
    for (int k = 1; k < 10; ++k) {
        expected += "\nID-" + std::to_string(k) + ": COM Error: 0x8007007B. bad " + std::to_string(k);
    }
    expected += "\nand 2 more.\nCancelled: the other 12 were not written.";
    EXPECT_EQ(AllDataSheetsSummaryText(some), expected);

    EXPECT_EQ(AllDataSheetsProgressText(12, 50, " ICU-MON-12"), "Writing 12 of 50: ICU-MON-12");
    EXPECT_EQ(AllDataSheetsSummaryText(AllDataSheetsResult{}), "There is no equipment ID to write a test record for.");
}

} // namespace
} // namespace tessaprint::docs
