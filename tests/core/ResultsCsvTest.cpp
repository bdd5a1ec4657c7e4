// The CSV a maintenance system imports: fields, rows, and what must never
// reach a spreadsheet as a formula.
#include "results/ResultsCsv.h"
#include "results/ResultsListing.h"
#include "text/IsoLocalTime.h"
#include "verdict/VerdictEngine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessaprint {
namespace {

TEST(CsvFieldTest, QuotesOnlyWhatRfc4180Needs)
{
    EXPECT_EQ(CsvField("Case Leakage"), "Case Leakage");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("ICU, MON-3"), "\"ICU, MON-3\"");
    EXPECT_EQ(CsvField("Note \"quoted\""), "\"Note \"\"quoted\"\"\"");
    EXPECT_EQ(CsvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(CsvField("0.1 \xC2\xB5"
                       "A"),
              "0.1 \xC2\xB5"
              "A"); // µ passes as UTF-8
}

TEST(CsvFieldTest, FormulaLookingTextIsKeptAsTextAndNumbersStayNumbers)
{
    EXPECT_EQ(CsvField("=1+1"), "'=1+1");
    EXPECT_EQ(CsvField("@SUM(A1)"), "'@SUM(A1)");
    EXPECT_EQ(CsvField("-0.1 uA"), "'-0.1 uA");
    EXPECT_EQ(CsvField("+cmd|' /C calc'!A0"), "'+cmd|' /C calc'!A0");
    EXPECT_EQ(CsvField("=HYPERLINK(\"x\",\"y\")"), "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
    for (const char* number : {"-0.1", "+0.3", "-2", "12", ".5", "-1.5e-3", "+2E5"}) {
        EXPECT_EQ(CsvField(number), number);
        EXPECT_TRUE(IsPlainNumber(number)) << number;
    }
    for (const char* text : {"-", "+", "-.", "1e", "1e+", "--1", "1.2.3", "0x10", "1 V", ""}) {
        EXPECT_FALSE(IsPlainNumber(text)) << text;
    }
    EXPECT_EQ(CsvField("-"), "'-");
}

TEST(CsvFieldTest, BrokenUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(CsvField("0.1 \xB5"
                       "A"),
              "0.1 \xEF\xBF\xBD"
              "A");
    EXPECT_EQ(CsvField("\xFF\xFE"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(IsoLocalTimeTest, WritesTheCalendarTimeAsIso8601)
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 4;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 7;
    EXPECT_EQ(IsoLocalTime(time), "2026-03-04T09:05:07");
}

class ResultsCsvTest : public ::testing::Test {
protected:
    std::string Csv(const std::vector<std::string>& lines,
                    const CsvSource& source = {"Quellmax", "2026-03-14T09:30:00"},
                    const CsvVerdicts* verdicts = nullptr)
    {
        for (const auto& line : lines) {
            table.ParseResultLine(listing, line);
        }
        std::ostringstream out;
        counts = WriteResultsCsv(out, table, listing, source, verdicts);
        return out.str();
    }

    ResultsTable table;
    ResultsListing listing;
    CsvCounts counts;
};

TEST_F(ResultsCsvTest, OneRowPerReadingAfterTheMarkAndTheHeaderWithCrLf)
{
    const std::string csv = Csv(
        {"EquipmentID:  A-1 ", "Date:  03/14/2026 ", "1.Ground Resistance 0.123 Ohms", "2.", "3.Case Leakage 0.1 uA"});
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "equipment_id,test_date,item,test,reading,value,instrument,captured_at\r\n"
                   "A-1,03/14/2026,1,Ground Resistance,0.123 Ohms,Ground Resistance 0.123 Ohms,Quellmax,"
                   "2026-03-14T09:30:00\r\n"
                   "A-1,03/14/2026,2,,,,Quellmax,2026-03-14T09:30:00\r\n"
                   "A-1,03/14/2026,3,Case Leakage,0.1 uA,Case Leakage 0.1 uA,Quellmax,2026-03-14T09:30:00\r\n");
    EXPECT_EQ(counts.records, 1);
    EXPECT_EQ(counts.readings, 3);
}

TEST_F(ResultsCsvTest, EveryRecordOnceInSelectorOrderWithItsOwnDate)
{
    const std::string csv =
        Csv({"EquipmentID: A", "Date: 01/01/2026", "1.Line Voltage 120.0 V", "EquipmentID: B", "Date: 02/02/2026",
             "1.Line Voltage 119.5 V", "2.Device Current 2.47 A", "EquipmentID: A", "1.Line Voltage 121.0 V"},
            {"", ""});
    std::istringstream rows(csv);
    std::vector<std::string> lines;
    for (std::string line; std::getline(rows, line);) {
        lines.push_back(line);
    }
    // However the selector lists a repeated ID, no record's rows come twice.
    ASSERT_EQ(counts.readings, static_cast<int>(lines.size()) - 1);
    EXPECT_EQ(lines[1], "A,01/01/2026,1,Line Voltage,120.0 V,Line Voltage 120.0 V,,\r");
    EXPECT_EQ(lines[2], "B,02/02/2026,1,Line Voltage,119.5 V,Line Voltage 119.5 V,,\r");
    EXPECT_EQ(lines[3], "B,02/02/2026,2,Device Current,2.47 A,Device Current 2.47 A,,\r");
    EXPECT_EQ(counts.records, static_cast<int>(listing.SelectorCount()));
}

TEST_F(ResultsCsvTest, NoResultsIsTheHeaderAlone)
{
    EXPECT_EQ(Csv({"QUELLMAX TEST RESULTS", ""}),
              "\xEF\xBB\xBF"
              "equipment_id,test_date,item,test,reading,value,instrument,captured_at\r\n");
    EXPECT_EQ(counts.readings, 0);
}

TEST_F(ResultsCsvTest, WithVerdictsEveryRowEndsInItsLimitAndVerdictAndTheOtherColumnsStayAsTheyAre)
{
    const std::vector<std::string> lines = {
        "EquipmentID: A-1",     "Date: 03/14/2026", "1.Ground Resistance 0.5 Ohms", "2.",
        "3.Line Voltage 120 V", "EquipmentID: B-2", "1.Case Leakage 0.1 uA",        "2.Leads Leakage To Ground 3 uA"};
    const std::string plain = Csv(lines);
    table = ResultsTable();
    listing = ResultsListing();
    verdict::Device cf;
    cf.equipmentId = "B-2";
    cf.appliedParts = {verdict::AppliedPart::CF};
    const verdict::VerdictEngine engine(verdict::LimitsLibrary::Shipped(), verdict::EquipmentList({cf}));
    const CsvVerdicts verdicts{engine, InstrumentKind::Quellmax};
    const std::string judged = Csv(lines, {"Quellmax", "2026-03-14T09:30:00"}, &verdicts);

    std::istringstream plainRows(plain);
    std::istringstream judgedRows(judged);
    std::vector<std::string> tails;
    for (std::string before, after; std::getline(plainRows, before) && std::getline(judgedRows, after);) {
        before.pop_back(); // CR
        after.pop_back();
        ASSERT_EQ(after.rfind(before + ",", 0), 0u) << after;
        tails.push_back(after.substr(before.size() + 1));
    }
    EXPECT_EQ(tails, (std::vector<std::string>{"limit,verdict", "\u2264 0.3 \u03A9,fail", ",no limit", ",no limit",
                                               "\u2264 100 \u00B5A,pass", "\u2264 10 \u00B5A,pass"}));
    EXPECT_EQ(counts.readings, 5);
}

} // namespace
} // namespace tessaprint
