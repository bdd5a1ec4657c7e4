#include "results/ResultsTable.h"
#include "results/ResultsListing.h"

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

using Lines = std::vector<std::string>;

class ResultsTableTest : public ::testing::Test {
protected:
    void Parse(const Lines& lines)
    {
        for (const auto& line : lines) {
            table.ParseResultLine(listing, line);
        }
    }

    std::vector<std::string> Values(int record) const
    {
        std::vector<std::string> values;
        for (int n = 0; n < table.ValueCount(record); ++n) {
            values.emplace_back(table.Value(record, n));
        }
        return values;
    }

    // The Item/Test/Reading rows with selector item k chosen, as "test|reading".
    std::vector<std::string> Listed(int item)
    {
        std::vector<std::string> rows;
        for (const auto& row : listing.ReadingsForItem(table, item)) {
            rows.push_back(row.item + ":" + row.testName + "|" + row.reading);
        }
        return rows;
    }

    ResultsTable table;
    ResultsListing listing;
};

TEST_F(ResultsTableTest, IdsOpenRecordsAndTheDateCarriesOver)
{
    Parse({"EquipmentID: A", "Date: 01/02/2015", "1.Leakage 0.1 uA", "EquipmentID: B", "2.Leakage 0.2 uA"});
    EXPECT_EQ(table.EquipmentId(0), " A");
    EXPECT_EQ(table.Date(0), " 01/02/2015");
    EXPECT_EQ(Values(0), (Lines{"Leakage 0.1 uA"}));
    EXPECT_EQ(table.EquipmentId(1), " B");
    EXPECT_EQ(table.Date(1), " 01/02/2015");
    EXPECT_EQ(Values(1), (Lines{"Leakage 0.2 uA"}));
    EXPECT_EQ(listing.selectorItems(), (Lines{" A", " B"}));
    EXPECT_EQ(listing.SelectorCurrent(), 0);
    EXPECT_EQ(listing.selectorCaption(), "Select Equipment ID");
    EXPECT_EQ(table.recordIndex(), 1);
    EXPECT_EQ(table.valueIndex(), 1);
}

TEST_F(ResultsTableTest, DateLineBeforeTheNextIdDatesBothRecords)
{
    Parse({"EquipmentID: A", "Date: 01/01/2015", "1.X 1 V", "Date: 02/02/2015", "EquipmentID: B", "1.Y 2 V"});
    EXPECT_EQ(table.Date(0), " 02/02/2015");
    EXPECT_EQ(table.Date(1), " 02/02/2015");
}

TEST_F(ResultsTableTest, OnlyDateLinesWithSlashSetTheDate)
{
    Parse({"EquipmentID: A", "Date: 01/02/2015", "Date: 14 March", "Date: 01.02.2015"});
    EXPECT_EQ(table.Date(0), " 01/02/2015");
    EXPECT_EQ(Values(0), (Lines{"02.2015"}));
}

TEST_F(ResultsTableTest, SameIdTwiceInARowStaysOneRecord)
{
    Parse({"EquipmentID: A", "1.X 1 V", "EquipmentID: A", "2.Y 2 V"});
    EXPECT_EQ(table.recordIndex(), 0);
    EXPECT_EQ(Values(0), (Lines{"X 1 V", "Y 2 V"}));
    EXPECT_EQ(listing.selectorItems(), (Lines{" A"}));
}

TEST_F(ResultsTableTest, OneLineCanSetIdDateAndValue)
{
    Parse({"EquipmentID: 12.5"});
    EXPECT_EQ(table.EquipmentId(0), " 12.5");
    EXPECT_EQ(Values(0), (Lines{"5"}));
}

TEST_F(ResultsTableTest, LinesBeforeTheFirstIdFillRecordZeroWithAnEmptyId)
{
    Parse({"Header 1.0", "EquipmentID: Z"});
    EXPECT_EQ(table.recordIndex(), 0);
    EXPECT_EQ(table.Value(0, 0), "0");
    EXPECT_EQ(listing.selectorItems(), (Lines{" Z"}));
}

TEST_F(ResultsTableTest, RepeatedIdListsTheRecordThatWasChosen)
{
    Parse({"EquipmentID: A", "1.First 1 V", "EquipmentID: B", "1.Second 2 V", "EquipmentID: A", "1.Third 3 V"});
    ASSERT_EQ(listing.selectorItems(), (Lines{" A", " B", " A"}));
    EXPECT_EQ(Listed(0), (Lines{"1:First|1 V"}));
    EXPECT_EQ(Listed(2), (Lines{"1:Third|3 V"}));
}

TEST_F(ResultsTableTest, ItemWhoseIndexNoLongerMatchesFallsBackToTheFirstRecordWithItsId)
{
    Parse({"EquipmentID: A", "1.Old 1 V", "EquipmentID: B", "1.OldB 2 V"});
    table.ResetCounters();
    // The new capture's first ID differs from the last one, so it opens record 1.
    Parse({"EquipmentID: C", "1.New 3 V"});
    ASSERT_EQ(listing.selectorItems(), (Lines{" A", " B", " C"}));
    EXPECT_EQ(table.EquipmentId(1), " C");
    EXPECT_EQ(Listed(2), (Lines{"1:New|3 V"}));
    EXPECT_EQ(Listed(0), (Lines{"1:Old|1 V"}));
    EXPECT_TRUE(Listed(1).empty()); // nothing carries B any more
}

TEST_F(ResultsTableTest, ResetCountersRewritesFromRecordZeroAndKeepsOldTail)
{
    Parse({"EquipmentID: A", "1.P 1 V", "2.Q 2 V", "3.R 3 V"});
    table.ResetCounters();
    Parse({"EquipmentID: A", "1.S 4 V"});
    EXPECT_EQ(table.recordIndex(), 0);
    EXPECT_EQ(Values(0), (Lines{"S 4 V", "Q 2 V", "R 3 V"}));
}

TEST_F(ResultsTableTest, MovedTableKeepsEveryValue)
{
    // The values live in the table's own text blocks; a moved table takes them along.
    for (int i = 0; i < 3000; ++i) {
        table.ParseResultLine(listing, std::to_string(i + 1) + ".Reading " + std::to_string(i) + " V");
    }
    const ResultsTable moved = std::move(table);
    EXPECT_EQ(moved.Value(0, 0), "Reading 0 V");
    EXPECT_EQ(moved.Value(0, 2999), "Reading 2999 V");
    EXPECT_EQ(moved.ValueCount(0), 3000);
}

TEST_F(ResultsTableTest, ACopyListsAsTheTableDidAndLaterLinesOrAClearLeaveItAlone)
{
    Parse({"EquipmentID: A", "Date: 03/04/2015", "1.P 1 V", "EquipmentID: B", "1.R 3 V", "EquipmentID: A", "1.S 4 V"});
    const ResultsTable copy = table.Copy();
    const ResultsListing shown = listing;
    table.ClearResults();
    Parse({"EquipmentID: C", "1.X 9 V", "2.Y 9 V"}); // into blocks the table may get where it had its old ones
    std::vector<std::string> rows;
    for (const int item : {0, 1, 2}) { // the repeated ID lists the record chosen, in the copy as in the table
        for (const auto& row : ResultsListing(shown).ReadingsForItem(copy, item)) {
            rows.push_back(row.testName + "|" + row.reading);
        }
    }
    EXPECT_EQ(rows, (Lines{"P|1 V", "R|3 V", "S|4 V"}));
    EXPECT_EQ(copy.Date(1), " 03/04/2015");
    EXPECT_EQ(copy.currentEquipmentId(), " A");
}

TEST_F(ResultsTableTest, ClearResultsKeepsOnlyTheDates)
{
    Parse({"EquipmentID: A", "Date: 03/04/2015", "1.P 1 V"});
    table.ClearResults();
    EXPECT_EQ(table.EquipmentId(0), "");
    EXPECT_EQ(table.ValueCount(0), 0);
    EXPECT_EQ(table.currentEquipmentId(), "");
    EXPECT_EQ(table.previousEquipmentId(), "");
    EXPECT_EQ(table.currentDate(), " 03/04/2015");
    // A record without a date line takes the date left from the last capture.
    ResultsListing fresh;
    table.ParseResultLine(fresh, "EquipmentID: B");
    EXPECT_EQ(table.Date(0), " 03/04/2015");
}

TEST_F(ResultsTableTest, SplitReadingCutsBeforeTheFirstLaterWordThatBeginsAReading)
{
    struct Case {
        const char* value;
        const char* testName;
        const char* reading;
    };
    const Case cases[] = {
        {"Ground Resistance 0.123 Ohms", "Ground Resistance", "0.123 Ohms"},
        {"Line  Voltage 120 V", "Line  Voltage", "120 V"},
        {"\tLeakage 5 uA", "Leakage", "5 uA"},
        {"Leakage  5 uA", "Leakage ", "5 uA"},
        {"4.ATR 12.5 uJ", "4.ATR", "12.5 uJ"},
        // A sign or a comparison directly before a digit or a point begins the reading too.
        {"Offset -5 mV", "Offset", "-5 mV"},
        {"Leakage <0.1 uA", "Leakage", "<0.1 uA"},
        {"External Leakage -0.1 uA", "External Leakage", "-0.1 uA"},
        {"Insulation Resistance >200 MOhms", "Insulation Resistance", ">200 MOhms"},
        {"Line Offset +0.3 V", "Line Offset", "+0.3 V"},
        {"Drift -.5 %", "Drift", "-.5 %"},
        {"Tolerance \u00B10.5 %", "Tolerance", "\u00B10.5 %"},
        // A lone comparison before a number: the comparison starts the reading.
        {"Leakage < 0.1 uA", "Leakage", "< 0.1 uA"},
        {"Resistance >  200 MOhms", "Resistance", ">  200 MOhms"},
        // Anything else splits as before.
        {"Pre-Test Check 5 V", "Pre-Test Check", "5 V"},
        {"Leads -Open 2 uA", "Leads -Open", "2 uA"},
        {"Ratio < high 5", "Ratio < high", "5"},
        {"Mode - 4 s", "Mode -", "4 s"},
        {"-5 mV", "-5 mV", ""},
        // No later word starts with a digit: the whole value is the name.
        {"Result PASS", "Result PASS", ""},
        {"12 V", "12 V", ""},
        {"5", "5", ""},
        {"Trailing ", "Trailing", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto split = ResultsTable::SplitReading(c.value);
        EXPECT_EQ(split.testName, c.testName);
        EXPECT_EQ(split.reading, c.reading);
    }
}

TEST_F(ResultsTableTest, SplitReadingGivesUpAfterEightyWords)
{
    std::string late;
    for (int i = 0; i < 81; ++i) {
        late += "w ";
    }
    EXPECT_EQ(ResultsTable::SplitReading(late + "1 V").reading, "");
    std::string early;
    for (int i = 0; i < 80; ++i) {
        early += "w ";
    }
    EXPECT_EQ(ResultsTable::SplitReading(early + "1 V").reading, "1 V");
}

TEST_F(ResultsTableTest, RowWithoutReadingNeverShowsThePreviousRowsTexts)
{
    Parse({"EquipmentID: A", "1.Leakage 5 uA", "2.Result PASS"});
    EXPECT_EQ(Listed(0), (Lines{"1:Leakage|5 uA", "2:Result PASS|"}));
}

TEST_F(ResultsTableTest, FillReadingListEnablesDataSheetEvenForARecordWithoutValues)
{
    Parse({"EquipmentID: A"});
    table.FillReadingList(listing, listing);
    EXPECT_TRUE(listing.rows().empty());
    EXPECT_TRUE(listing.dataSheetEnabled());
}

TEST_F(ResultsTableTest, FillReadingListWithoutACurrentItemDoesNothing)
{
    Parse({"EquipmentID: A"});
    ResultsListing none;
    table.FillReadingList(none, none); // no current item: nothing happens
    EXPECT_FALSE(none.dataSheetEnabled());
}

TEST_F(ResultsTableTest, LargeCapturesAreKeptWhole)
{
    Lines lines;
    for (int r = 0; r < 60; ++r) {
        lines.push_back("EquipmentID: E" + std::to_string(r));
        for (int v = 0; v < (r == 59 ? 130 : 2); ++v) {
            lines.push_back(std::to_string(v + 1) + ".Value " + std::to_string(v) + " V");
        }
    }
    Parse(lines);
    EXPECT_EQ(table.recordIndex(), 59);
    EXPECT_EQ(listing.SelectorCount(), 60);
    EXPECT_EQ(table.EquipmentId(55), " E55");
    EXPECT_EQ(table.ValueCount(59), 130);
    EXPECT_EQ(table.Value(59, 129), "Value 129 V");
    EXPECT_EQ(Listed(59).size(), 130u);
    // Reads outside the table are empty, never out of bounds.
    EXPECT_EQ(table.Value(60, 0), "");
    EXPECT_EQ(table.Value(-1, 0), "");
    EXPECT_EQ(table.Value(0, -1), "");
    EXPECT_EQ(table.EquipmentId(1000), "");
}

} // namespace
} // namespace tessaprint

namespace tessaprint {
namespace {

class EmptyEquipmentIdTest : public ResultsTableTest {};

TEST_F(EmptyEquipmentIdTest, AnIdLineWithNothingAfterItIsARecordOfItsOwn)
{
    Parse({"EquipmentID: A", "1.Case Leakage 0.1 uA", "2.Case Leakage 0.2 uA", "EquipmentID:", "EquipmentID: A",
           "EquipmentID:", "EquipmentID: A"});
    ASSERT_EQ(listing.selectorItems(), (Lines{" A", "", " A", "", " A"}));
    // Every item lists the record it announced: only the first A has readings.
    EXPECT_EQ(Listed(0), (Lines{"1:Case Leakage|0.1 uA", "2:Case Leakage|0.2 uA"}));
    for (int item = 1; item < 5; ++item) {
        EXPECT_TRUE(Listed(item).empty()) << "item " << item;
    }
    EXPECT_EQ(table.recordIndex(), 4);
}

TEST_F(EmptyEquipmentIdTest, ReadingsAfterAnEmptyIdStayWithIt)
{
    // Readings after an empty ID stay with it, never with the device before or after.
    Parse({"EquipmentID:", "1.Leakage 5 uA", "EquipmentID: B", "1.Leakage 6 uA"});
    ASSERT_EQ(listing.selectorItems(), (Lines{"", " B"}));
    EXPECT_EQ(Listed(0), (Lines{"1:Leakage|5 uA"}));
    EXPECT_EQ(Listed(1), (Lines{"1:Leakage|6 uA"}));
}

TEST_F(EmptyEquipmentIdTest, ListingEveryItemIsBoundedByTheRecordsThemselves)
{
    // Scaled up, the seven lines used to list record 0 for every later item.
    Parse({"EquipmentID: A"});
    for (int i = 0; i < 200; ++i) {
        Parse({std::to_string(i) + ".Case Leakage 0.1 uA"});
    }
    for (int i = 0; i < 2000; ++i) {
        Parse({"EquipmentID:", "EquipmentID: A"});
    }
    std::size_t rows = 0;
    for (int item = 0; item < listing.SelectorCount(); ++item) {
        rows += listing.ReadingsForItem(table, item).size();
    }
    EXPECT_EQ(rows, 200u); // each reading is listed once, under its own device
}

} // namespace
} // namespace tessaprint

#include "link/Replay.h"
#include "results/RecordStream.h"
#include "results/RecordsOnSelector.h"
#include "util/FileIo.h"

#include <filesystem>

namespace tessaprint {
namespace {

// A record as "ID|date|value|value…", from the table or from the stream.
std::string Described(const std::string& id, const std::string& date, const std::vector<std::string>& values)
{
    std::string text = id + "|" + date;
    for (const std::string& value : values) {
        text += "|" + value;
    }
    return text;
}

// What the history takes from the table: the records on the selector.
Lines TableRecords(const Lines& lines)
{
    ResultsTable table;
    ResultsListing listing;
    for (const std::string& line : lines) {
        table.ParseResultLine(listing, line);
    }
    Lines records;
    for (const int r : RecordsOnSelector(table, listing)) {
        std::vector<std::string> values;
        for (int n = 0; n < table.ValueCount(r); ++n) {
            values.emplace_back(table.Value(r, n));
        }
        records.push_back(Described(table.EquipmentId(r), table.Date(r), values));
    }
    return records;
}

Lines StreamedRecords(const Lines& lines)
{
    Lines records;
    RecordStream stream([&records](RecordStream::Record& record) {
        records.push_back(Described(record.equipmentId, record.date, record.values));
    });
    for (const std::string& line : lines) {
        stream.ParseResultLine(line);
    }
    stream.Finish();
    return records;
}

TEST(RecordStreamTest, GivesTheRecordsTheTableListsForEveryPrintout)
{
    std::vector<Lines> captures = {
        {},
        {"1.Case Leakage 0.1 uA", "Date: 03/14/2015"}, // no ID at all: no record
        {"1.Before 1 V", "Date: 01/02/2015", "EquipmentID: A", "2.After 2 V"},
        {"EquipmentID:", "1.Leakage 5 uA", "EquipmentID: B", "1.Leakage 6 uA", "EquipmentID:", "EquipmentID: B"},
        {"EquipmentID: A", "Date: 03/14/2015", "1.x 1", "Date: 03/15/2015", "EquipmentID: A", "2.y 2", "EquipmentID: B",
         "Date: 04/01/2015", "EquipmentID: A", "Date:1/2/2016 EquipmentID: C 1.z 3", "Date: none"},
    };
    for (const auto& entry : std::filesystem::directory_iterator(TESSAPRINT_TEST_DATA_DIR)) {
        if (entry.path().extension() == ".transcript" || entry.path().extension() == ".txt") {
            const Result<std::string> bytes = ReadWholeFile(entry.path().string());
            ASSERT_TRUE(bytes) << bytes.error().message;
            ResultsTable table;
            ResultsListing listing;
            ReplayTranscript(bytes.value(), table, listing);
            captures.push_back(listing.lines());
        }
    }
    ASSERT_GT(captures.size(), 10u);
    for (const Lines& lines : captures) {
        EXPECT_EQ(StreamedRecords(lines), TableRecords(lines)) << (lines.empty() ? "" : lines.front());
    }
}

TEST(RecordStreamTest, ARecordIsGivenOutAsSoonAsTheNextBegins)
{
    Lines given;
    RecordStream stream([&given](RecordStream::Record& record) { given.push_back(record.equipmentId); });
    for (const char* line : {"EquipmentID: A", "1.x 1", "2.y 2", "EquipmentID: A", "EquipmentID: B"}) {
        stream.ParseResultLine(line);
    }
    EXPECT_EQ(given, (Lines{" A"})); // the same ID again is the same record
    stream.ParseResultLine("1.z 3");
    EXPECT_EQ(given.size(), 1u);
    stream.Finish();
    EXPECT_EQ(given, (Lines{" A", " B"}));
}

} // namespace
} // namespace tessaprint
