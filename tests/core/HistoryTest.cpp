// What the test history takes from a capture, the JSON it shows, and a past
// record's Data Sheet.
#include "app/PastDataSheet.h"
#include "docs/DocumentEngine.h"
#include "history/HistoryJson.h"
#include "history/HistoryStore.h"
#include "link/Replay.h"
#include "results/ResultsCsv.h"
#include "results/ResultsListing.h"
#include "sim/SamplePrintouts.h"
#include "util/FileIo.h"
#include "util/ManualClock.h"

#include "TestFiles.h"
#include "text/IsoLocalTime.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessaprint {
namespace {

using history::HistoryCapture;
using history::ParseTestDay;

TEST(ParseTestDayTest, MonthDayYearAsPrintedBecomesAnIsoDay)
{
    EXPECT_EQ(ParseTestDay("03/14/2015"), "2015-03-14");
    EXPECT_EQ(ParseTestDay(" 3/7/2015 "), "2015-03-07");
    EXPECT_EQ(ParseTestDay("02/29/2016"), "2016-02-29");
    for (const char* odd : {"", "02/29/2015", "13/01/2015", "00/10/2015", "04/31/2015", "03/14/15", "2015-03-14",
                            "03/14/2015 x", "031/4/2015", "03/14/20150", "Date: 03/14/2015", "12/31/1899"}) {
        EXPECT_EQ(ParseTestDay(odd), std::nullopt) << odd;
    }
}

class HistoryCaptureTest : public ::testing::Test {
protected:
    HistoryCapture Take(std::string_view printout)
    {
        ReplayTranscript(printout, table, listing);
        return history::MakeHistoryCapture(table, listing);
    }

    ResultsTable table;
    ResultsListing listing;
};

TEST_F(HistoryCaptureTest, EveryRecordOnceWithTrimmedIdsParsedDaysAndSplitReadings)
{
    const HistoryCapture capture = Take("EquipmentID:  A-1 \r\nDate: 03/14/2015\r\n1.Ground Resistance 0.123 Ohms\r\n"
                                        "2.\r\n3.External Leakage -0.1 uA\r\nEquipmentID: B\r\n"
                                        "1.Line Voltage 120.0 V\r\nEquipmentID:  A-1 \r\n");
    // The ID printed again starts a record of its own, as it does on the form.
    ASSERT_EQ(capture.records.size(), 3u);
    const auto& a = capture.records[0];
    EXPECT_EQ(a.equipmentId, "A-1");
    EXPECT_EQ(a.testDate, "03/14/2015");
    EXPECT_EQ(a.testDay, "2015-03-14");
    EXPECT_EQ(a.position, 0);
    ASSERT_EQ(a.readings.size(), 3u);
    EXPECT_EQ(a.readings[0].item, 1);
    EXPECT_EQ(a.readings[0].value, "Ground Resistance 0.123 Ohms");
    EXPECT_EQ(a.readings[0].test, "Ground Resistance");
    EXPECT_EQ(a.readings[0].reading, "0.123 Ohms");
    EXPECT_EQ(a.readings[1].value, ""); // an empty value keeps its place
    EXPECT_EQ(a.readings[2].reading, "-0.1 uA");
    const auto& b = capture.records[1];
    EXPECT_EQ(b.position, 1);
    EXPECT_EQ(b.testDate, "03/14/2015"); // carried over, as the form shows it
    EXPECT_EQ(b.testDay, "2015-03-14");
    EXPECT_EQ(capture.records[2].equipmentId, "A-1");
    EXPECT_EQ(capture.records[2].position, 2);
    EXPECT_TRUE(capture.records[2].readings.empty());
}

TEST_F(HistoryCaptureTest, TheFiftyRecordPrintoutGivesFiftyRecords)
{
    const Result<std::string> printout =
        ReadWholeFile(std::string(TESSAPRINT_TEST_DATA_DIR) + "/quellmax-50-records.txt");
    ASSERT_TRUE(printout) << printout.error().message;
    const HistoryCapture capture = Take(printout.value());
    EXPECT_EQ(capture.records.size(), 50u);
    for (const auto& record : capture.records) {
        EXPECT_FALSE(record.readings.empty()) << record.equipmentId;
    }
}

TEST(HistoryJsonTest, RecordsOldestFirstWithTheirReadings)
{
    history::HistoryRecord record;
    record.equipmentId = "A \"1\"";
    record.testDate = "03/14/2015";
    record.capturedAt = "2015-03-14T09:30:00";
    record.kind = "Quellmax";
    record.readings = {{1,
                        "Case Leakage 0.1 \xC2\xB5"
                        "A",
                        "Case Leakage",
                        "0.1 \xC2\xB5"
                        "A"},
                       {2, "", "", ""}};
    std::ostringstream out;
    history::WriteHistoryJson(out, "A \"1\"", {record});
    EXPECT_EQ(out.str(), R"({
  "equipmentId": "A \"1\"",
  "records": [
    {
      "testDate": "03/14/2015",
      "capturedAt": "2015-03-14T09:30:00",
      "kind": "Quellmax",
      "readings": [
        {
          "item": 1,
          "test": "Case Leakage",
          "reading": "0.1 µA",
          "value": "Case Leakage 0.1 µA"
        },
        {
          "item": 2,
          "test": "",
          "reading": "",
          "value": ""
        }
      ]
    }
  ]
}
)");
}

TEST(HistoryJsonTest, AReadingRecordedWithAVerdictPrintsItWithItsLimitRuleAndProfile)
{
    history::HistoryRecord record;
    record.testDate = "03/14/2015";
    record.capturedAt = "2015-03-14T09:30:00";
    record.kind = "Quellmax";
    record.verdictProfile = "iec62353";
    record.verdictProfileVersion = "2014-1";
    record.readings = {{1, "Case Leakage 120 uA", "Case Leakage", "120 uA", "fail",
                        "\xE2\x89\xA4 100 \xC2\xB5"
                        "A",
                        "quellmax.case-leakage"}};
    std::ostringstream out;
    history::WriteHistoryJson(out, "A-1", {record});
    EXPECT_EQ(out.str(), R"({
  "equipmentId": "A-1",
  "records": [
    {
      "testDate": "03/14/2015",
      "capturedAt": "2015-03-14T09:30:00",
      "kind": "Quellmax",
      "verdictProfile": {
        "name": "iec62353",
        "version": "2014-1"
      },
      "readings": [
        {
          "item": 1,
          "test": "Case Leakage",
          "reading": "120 uA",
          "value": "Case Leakage 120 uA",
          "verdict": "fail",
          "limit": "≤ 100 µA",
          "rule": "quellmax.case-leakage"
        }
      ]
    }
  ]
}
)");
}

TEST(IsoLocalTimeParseTest, OnlyTheExactShapeReads)
{
    const auto time = ParseIsoLocalTime("2015-03-14T09:30:05");
    ASSERT_TRUE(time);
    EXPECT_EQ(time->tm_year, 115);
    EXPECT_EQ(time->tm_mon, 2);
    EXPECT_EQ(time->tm_sec, 5);
    for (const char* odd : {"", "2015-03-14", "2015-13-14T09:30:05", "2015-03-14T24:00:00", "2015-03-14T09:30:05Z"}) {
        EXPECT_EQ(ParseIsoLocalTime(odd), std::nullopt) << odd;
    }
}

// A past record's document equals the one Data Sheet wrote when it was captured.
class PastDataSheetTest : public ::testing::TestWithParam<InstrumentKind> {};

TEST_P(PastDataSheetTest, EqualsTheDocumentOfItsCaptureDay)
{
    const InstrumentKind kind = GetParam();
    const test::TempFolder folder;
    ResultsTable table;
    ResultsListing listing;
    ReplayTranscript(SamplePrintout(kind), table, listing);
    HistoryCapture capture = history::MakeHistoryCapture(table, listing);
    ASSERT_GE(capture.records.size(), 2u);

    ManualClock clock; // the capture's day
    listing.ShowItem(table, 1);
    docs::DocumentEngine then;
    docs::DataSheetDispatch dispatch(table, then, clock);
    const auto written =
        dispatch.OnDataSheet(docs::MakeDataSheetRequest(listing, listing, kind, folder.path().string(), 1));
    ASSERT_TRUE(written) << written.error().message;

    history::HistoryRecord past = capture.records[1];
    past.capturedAt = IsoLocalTime(*clock.LocalTime());
    past.kind = UnitTypeText(kind);
    docs::DocumentEngine now;
    const auto rewritten = WritePastDataSheet(past, std::nullopt, folder.path().string(), 1, now);
    ASSERT_TRUE(rewritten) << rewritten.error().message;
    EXPECT_EQ(rewritten.value().kind, kind);
    EXPECT_EQ(now.document().main, then.document().main);
    EXPECT_NE(rewritten.value().savedPath, written.value().savedPath) << "never over the earlier document";
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PastDataSheetTest,
                         ::testing::Values(InstrumentKind::Quellmax, InstrumentKind::Kappa5100,
                                           InstrumentKind::Pactrx));

} // namespace
} // namespace tessaprint
