// Readings as numbers, what counts as a sharp change, an ID's records side by
// side, and the test before the one on screen. These also run under a locale
// with a decimal comma (de_DE.): the instrument's point is a point there too.
#include "history/HistoryGrid.h"
#include "app/DemoHistory.h"
#include "history/ReadingNumber.h"
#include "link/CaptureSettings.h"
#include "link/Replay.h"
#include "sim/SamplePrintouts.h"
#include "text/DecimalText.h"

#include "MemoryHistoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessaprint {
namespace {

using history::DiffersSharply;
using history::HistoryReading;
using history::HistoryRecord;
using history::ParseReadingNumber;

TEST(DecimalTextTest, ReadsAndWritesThePointWhateverTheLocale)
{
    EXPECT_EQ(ReadDecimal("0.09"), 0.09);
    EXPECT_EQ(ReadDecimal("+.5"), 0.5);
    EXPECT_EQ(ReadDecimal("-0.1"), -0.1);
    EXPECT_EQ(ReadDecimal("12."), 12.0);
    for (const std::string& none :
         std::vector<std::string>{"", "-", ".", "0,5", "1e5", "+-1", "inf", "0x10", "1.2.3", std::string(400, '9')}) {
        EXPECT_FALSE(ReadDecimal(none)) << none;
    }
    EXPECT_EQ(WriteDecimal(0.4, 1), "0.4");
    EXPECT_EQ(WriteDecimal(119.8 * 1.04, 2), "124.59");
    EXPECT_EQ(WriteDecimal(-2.5, 0), "-2");
    EXPECT_EQ(DurationText(2500), "2.5 s");
}

TEST(ReadingNumberTest, TheFirstNumberWithSignPointAndTheWordAfterIt)
{
    struct Case {
        const char* reading;
        double value;
        const char* unit;
        const char* comparison;
    };
    for (const Case& c :
         {Case{"0.123 Ohms", 0.123, "Ohms", ""}, Case{"-0.1 uA", -0.1, "uA", ""}, Case{"<0.1 uA", 0.1, "uA", "<"},
          Case{"< 0.1 uA", 0.1, "uA", "<"}, Case{">=200 MOhms", 200, "MOhms", ">="},
          Case{"48.6 MOhms", 48.6, "MOhms", ""}, Case{"2.0 J 176 V 3.5 A", 2.0, "J", ""}, Case{"+0.3 V", 0.3, "V", ""},
          Case{"\xC2\xB1"
               "0.5 %",
               0.5, "%", "\xC2\xB1"},
          Case{".5 mV", 0.5, "mV", ""}, Case{"120", 120, "", ""}, Case{"12 34", 12, "", ""},
          Case{"Pace 70 PPM", 70, "PPM", ""}, Case{"0.5uA", 0.5, "uA", ""}, Case{"-.4 mS", -0.4, "mS", ""}}) {
        SCOPED_TRACE(c.reading);
        const auto parsed = ParseReadingNumber(c.reading);
        ASSERT_TRUE(parsed);
        EXPECT_DOUBLE_EQ(parsed->value, c.value);
        EXPECT_EQ(parsed->unit, c.unit);
        EXPECT_EQ(parsed->comparison, c.comparison);
    }
    // A number no double holds is none either (never infinity on a chart), nor
    // is a reading with a malformed number anywhere in it: never half of one.
    for (const std::string& none :
         std::vector<std::string>{"", "PASS", "-", ". V", "N/A", std::string(400, '9') + " V", "1,5 uA", "1.2.3 V",
                                  "1e3 V", "12abc", "12. V", "2.0 J 1,5 A"}) {
        EXPECT_FALSE(ParseReadingNumber(none)) << none;
    }
}

TEST(ReadingNumberTest, ASharpChangeIsHalfTheEarlierNumberOrAnotherUnit)
{
    EXPECT_FALSE(DiffersSharply("10 uA", "15 uA"));
    EXPECT_TRUE(DiffersSharply("10 uA", "15.1 uA"));
    EXPECT_TRUE(DiffersSharply("10 uA", "4.9 uA"));
    EXPECT_FALSE(DiffersSharply("-0.2 uA", "-0.1 uA"));
    EXPECT_TRUE(DiffersSharply("-0.2 uA", "0.2 uA"));
    EXPECT_TRUE(DiffersSharply("1.0 MOhms", "1.0 Ohms"));
    // Units compare after scaling: one current in two units is no change.
    EXPECT_FALSE(DiffersSharply("500 uA", "0.5 mA"));
    EXPECT_FALSE(DiffersSharply("250 mS", "0.25 s"));
    EXPECT_TRUE(DiffersSharply("500 uA", "1.0 mA"));
    EXPECT_TRUE(DiffersSharply("1.0 mA", "1.0 mV"));
    EXPECT_TRUE(DiffersSharply("1.0 %", "1.0 uA"));
    EXPECT_FALSE(DiffersSharply("1.0 %", "1.2 %"));
    EXPECT_TRUE(DiffersSharply("1,5 uA", "1.5 uA"));
    EXPECT_TRUE(DiffersSharply("0.0 uA", "0.1 uA"));
    EXPECT_FALSE(DiffersSharply("0.0 uA", "0 uA"));
    EXPECT_FALSE(DiffersSharply("<0.1 uA", "0.1 uA"));
    EXPECT_TRUE(DiffersSharply("12 V", "FAIL"));
    EXPECT_TRUE(DiffersSharply("PASS", "FAIL"));
    EXPECT_FALSE(DiffersSharply(" pass ", "PASS"));
    EXPECT_FALSE(DiffersSharply("", "12 V"));
    EXPECT_FALSE(DiffersSharply("12 V", ""));
}

HistoryRecord Record(const std::string& date, const std::string& capturedAt,
                     std::vector<std::pair<std::string, std::string>> readings)
{
    HistoryRecord record;
    record.equipmentId = "A-1";
    record.testDate = date;
    record.testDay = history::ParseTestDay(date);
    record.capturedAt = capturedAt;
    int item = 0;
    for (auto& [test, reading] : readings) {
        record.readings.push_back({++item, test + " " + reading, test, reading});
    }
    return record;
}

TEST(HistoryGridTest, SameTestsShareARowAcrossDatesAndSharpChangesAreMarked)
{
    const std::vector<HistoryRecord> records = {
        Record("03/14/2013", "2013-03-14T09:00:00", {{"Ground Resistance", "0.100 Ohms"}, {"Old Test", "1 V"}}),
        Record("03/14/2014", "2014-03-14T09:00:00", {{"Case Leakage", "0.1 uA"}, {"Ground Resistance", "0.110 Ohms"}}),
        Record("03/14/2015", "2015-03-14T09:00:00",
               {{"Case Leakage", "0.3 uA"}, {"Line Voltage", "120 V"}, {"Ground Resistance", "0.111 Ohms"}}),
    };
    const history::HistoryGrid grid = history::MakeHistoryGrid(records);
    EXPECT_EQ(grid.headers, (std::vector<std::string>{"03/14/2013", "03/14/2014", "03/14/2015"}));
    // The newest record's order first, then what only older ones have.
    ASSERT_EQ(grid.rows.size(), 4u);
    EXPECT_EQ(grid.rows[0].test, "Case Leakage");
    EXPECT_EQ(grid.rows[1].test, "Line Voltage");
    EXPECT_EQ(grid.rows[2].test, "Ground Resistance");
    EXPECT_EQ(grid.rows[2].item, 3);
    EXPECT_EQ(grid.rows[3].test, "Old Test");

    const auto& ground = grid.rows[2].cells;
    EXPECT_EQ(ground[0]->reading, "0.100 Ohms");
    EXPECT_EQ(ground[1]->reading, "0.110 Ohms");
    EXPECT_EQ(ground[2]->reading, "0.111 Ohms");
    EXPECT_FALSE(ground[1]->sharp);
    const auto& leakage = grid.rows[0].cells;
    EXPECT_FALSE(leakage[0]);
    EXPECT_FALSE(leakage[1]->sharp); // nothing before it to differ from
    EXPECT_TRUE(leakage[2]->sharp);  // 0.1 -> 0.3 uA
    EXPECT_FALSE(grid.rows[3].cells[2]);
}

TEST(HistoryGridTest, EmptyAndRepeatedNamesGoByItemAndSharedDatesShowTheCaptureTime)
{
    const std::vector<HistoryRecord> records = {
        Record("03/14/2015", "2015-03-14T09:00:00", {{"Case Leakage", "0.1 uA"}, {"Case Leakage", "5 uA"}, {"", ""}}),
        Record("03/14/2015", "2015-03-14T16:30:00", {{"Case Leakage", "0.1 uA"}, {"Case Leakage", "5 uA"}}),
        Record("", "2015-03-20T08:00:00", {{"Case Leakage", "0.2 uA"}, {"Case Leakage", "2 uA"}}),
    };
    const history::HistoryGrid grid = history::MakeHistoryGrid(records);
    EXPECT_EQ(grid.headers, (std::vector<std::string>{"03/14/2015\n09:00:00", "03/14/2015\n16:30:00", "03/20/2015"}));
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_EQ(grid.rows[0].item, 1);
    EXPECT_EQ(grid.rows[1].item, 2);
    EXPECT_EQ(grid.rows[1].cells[0]->reading, "5 uA");
    EXPECT_EQ(grid.rows[1].cells[2]->reading, "2 uA");
    EXPECT_TRUE(grid.rows[1].cells[2]->sharp);
    EXPECT_EQ(grid.rows[2].item, 3); // the unnamed item of the oldest record
    EXPECT_FALSE(grid.rows[2].cells[1]);

    // One capture listing an ID twice: the same time as well.
    const history::HistoryGrid twice =
        history::MakeHistoryGrid({Record("03/14/2015", "2015-03-14T09:00:00", {{"A", "1 V"}}),
                                  Record("03/14/2015", "2015-03-14T09:00:00", {{"A", "1 V"}})});
    EXPECT_EQ(twice.headers, (std::vector<std::string>{"03/14/2015\n09:00:00", "03/14/2015\n09:00:00 #2"}));
}

TEST(HistoryGridTest, ThePreviousTestIsNeitherTheCaptureShownNorTheSameTestPrintedAgainNorALaterOne)
{
    const HistoryRecord shown = Record("03/14/2015", "", {{"Case Leakage", "0.3 uA"}});
    std::vector<HistoryRecord> records = {
        Record("03/14/2013", "2013-03-14T09:00:00", {{"Case Leakage", "0.1 uA"}}),
        Record("03/14/2014", "2014-03-14T09:00:00", {{"Case Leakage", "0.2 uA"}}),
        Record("03/14/2015", "2015-04-01T09:00:00", {{"Case Leakage", "0.3 uA"}}), // printed again later
        Record("03/14/2015", "2015-03-14T10:00:00", {{"Case Leakage", "0.4 uA"}}), // the capture on screen
        Record("03/14/2016", "2016-03-14T09:00:00", {{"Case Leakage", "0.5 uA"}}), // after it
    };
    const auto previous = history::PreviousRecord(records, shown, "2015-03-14T10:00:00");
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->testDate, "03/14/2014");
    EXPECT_EQ(history::RecordDateText(*previous), "03/14/2014");

    // Another test on the same day counts.
    records.push_back(Record("03/14/2015", "2015-03-14T08:00:00", {{"Case Leakage", "9 uA"}}));
    EXPECT_EQ(history::PreviousRecord(records, shown, "2015-03-14T10:00:00")->readings[0].reading, "9 uA");
    EXPECT_FALSE(history::PreviousRecord({records[3]}, shown, "2015-03-14T10:00:00"));
    EXPECT_FALSE(history::PreviousRecord({}, shown, ""));
}

TEST(HistoryGridTest, LastTimeReadingsMatchRowsAsTheGridDoes)
{
    const HistoryRecord previous =
        Record("03/14/2014", "2014-03-14T09:00:00",
               {{"Line Voltage", "119 V"}, {"Case Leakage", "0.1 uA"}, {"Lead", "1 uA"}, {"Lead", "2 uA"}});
    const HistoryRecord now = Record("03/14/2015", "",
                                     {{"Case Leakage", "0.2 uA"},
                                      {"New Test", "1 V"},
                                      {"Lead", "3 uA"},
                                      {"Lead", "4 uA"},
                                      {"Line Voltage", "120 V"}});
    EXPECT_EQ(history::LastTimeReadings(now.readings, previous),
              (std::vector<std::string>{"0.1 uA", "", "1 uA", "2 uA", "119 V"}));
    // A repeated name goes by item: moved to other items, it matches nothing.
    HistoryRecord shifted = now;
    shifted.readings[2].item = 7;
    EXPECT_EQ(history::LastTimeReadings(shifted.readings, previous)[2], "");
}

TEST(HistoryGridTest, RecordDatesFallBackToTheCaptureDay)
{
    HistoryRecord record = Record("", "2026-12-08T14:05:09", {});
    EXPECT_EQ(history::RecordDay(record), "2026-12-08");
    EXPECT_EQ(history::RecordDateText(record), "12/08/2026");
    record.capturedAt.clear();
    EXPECT_EQ(history::RecordDay(record), "");
    EXPECT_EQ(history::RecordDateText(record), "(no date)");
}

TEST(DemoHistoryTest, EverySampleIdHasTwoEarlierTestsWithDriftedReadings)
{
    test::MemoryHistoryStore store;
    SeedDemoHistory(store);
    EXPECT_EQ(store.Captures().size(), 6u);
    const auto records = store.Lookup("10234");
    ASSERT_TRUE(records);
    ASSERT_EQ(records.value().size(), 2u);
    EXPECT_EQ(records.value()[0].testDate, "03/14/2013");
    EXPECT_EQ(records.value()[1].testDate, "03/14/2014");
    EXPECT_EQ(records.value()[1].readings[1].test, "Ground Resistance");
    EXPECT_NE(records.value()[1].readings[1].reading, "0.123 Ohms");
    EXPECT_TRUE(ParseReadingNumber(records.value()[1].readings[1].reading));
    // Each drifted reading is written as the instrument writes it: its decimals
    // after a point and its unit as they were, only the number moved.
    ResultsTable table;
    ResultsListing listing;
    ReplayTranscript(SamplePrintout(InstrumentKind::Quellmax), table, listing);
    const history::HistoryCapture sample = history::MakeHistoryCapture(table, listing);
    // "0.123 Ohms" -> ".999 Ohms": what follows the whole number, any digit a 9.
    const auto shape = [](const std::string& reading) {
        std::string text = reading.substr(reading.find_first_not_of("0123456789", reading.find_first_of("0123456789")));
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }, '9');
        return text;
    };
    for (const HistoryRecord& past : records.value()) {
        ASSERT_EQ(past.readings.size(), sample.records[0].readings.size());
        for (std::size_t i = 0; i < past.readings.size(); ++i) {
            EXPECT_EQ(shape(past.readings[i].reading), shape(sample.records[0].readings[i].reading))
                << past.readings[i].reading << " from " << sample.records[0].readings[i].reading;
        }
    }
    // Seeding twice adds nothing.
    SeedDemoHistory(store);
    EXPECT_EQ(store.Captures().size(), 6u);
}

} // namespace
} // namespace tessaprint
