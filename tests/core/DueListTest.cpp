// The test schedule: the due day counted in calendar months, each status and
// its boundary, the order, and a last test judged by its device's profile.
#include "history/DueList.h"
#include "history/PackedReadings.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tessaprint::history {
namespace {

verdict::Device DeviceOf(std::string id, int months, std::string profile = {},
                         std::vector<verdict::AppliedPart> parts = {})
{
    verdict::Device device;
    device.equipmentId = std::move(id);
    device.description = "about " + device.equipmentId;
    device.location = "Ward 2";
    device.intervalMonths = months;
    device.profile = std::move(profile);
    device.appliedParts = std::move(parts);
    return device;
}

LatestTest TestOf(std::string id, std::optional<std::string> day, std::vector<HistoryReading> readings = {},
                  std::string kind = "Quellmax")
{
    return {std::move(id), std::move(day), std::move(kind), PackReadings(readings)};
}

HistoryReading ReadingOf(int item, std::string test, std::string reading)
{
    HistoryReading r;
    r.item = item;
    r.test = std::move(test);
    r.reading = std::move(reading);
    r.value = r.test + " " + r.reading;
    return r;
}

std::vector<std::string> Words(const std::vector<DueEntry>& entries)
{
    std::vector<std::string> words;
    for (const DueEntry& entry : entries) {
        words.push_back(entry.equipmentId + " " + std::string(DueStatusWord(entry.status)));
    }
    return words;
}

TEST(DueListTest, MonthsKeepTheMonthsEndAcrossYearsAndLeapYears)
{
    EXPECT_EQ(AddMonths("2015-08-31", 6), "2016-02-29"); // a leap year
    EXPECT_EQ(AddMonths("2016-08-31", 6), "2017-02-28");
    EXPECT_EQ(AddMonths("2016-02-29", 12), "2017-02-28");
    EXPECT_EQ(AddMonths("2016-02-29", 24), "2018-02-28");
    EXPECT_EQ(AddMonths("2016-02-29", 48), "2020-02-29");
    EXPECT_EQ(AddMonths("2015-03-31", 1), "2015-04-30");
    EXPECT_EQ(AddMonths("2015-12-31", 1), "2016-01-31"); // December into the next year
    EXPECT_EQ(AddMonths("2015-12-15", 12), "2016-12-15");
    EXPECT_EQ(AddMonths("2015-07-15", 6), "2016-01-15");
    EXPECT_EQ(AddMonths("2015-01-31", 0), "2015-01-31");
    for (const char* notADay : {"2015-02-29", "2015-13-01", "2015-00-10", "2015-1-01", "15-01-01", "2015/01/01",
                                "2015-01-01T00:00", "", "0000-01-01", "2015-01-32", "2015-04-31"}) {
        EXPECT_FALSE(AddMonths(notADay, 6)) << notADay;
    }
}

TEST(DueListTest, EachStatusAtItsBoundaryInDueOrderAndUnlistedIdsLast)
{
    const std::vector<verdict::Device> devices{
        DeviceOf("OVER", 12),  DeviceOf("TODAY", 12), DeviceOf("EDGE", 6),   DeviceOf("LATER", 6),
        DeviceOf("NEW-B", 12), DeviceOf("NEW-A", 24), DeviceOf("NODAY", 12), DeviceOf("SAME", 6),
    };
    const std::vector<LatestTest> tests{
        TestOf("OVER", "2015-03-09"),  // due 2016-03-09, the day before
        TestOf("TODAY", "2015-03-10"), // due on the day: not overdue
        TestOf("EDGE", "2015-10-09"),  // due 2016-04-09, 30 days on: due soon
        TestOf("LATER", "2015-10-10"), // due 2016-04-10, 31 days on: ok
        TestOf("SAME", "2015-10-09"),  // the same due day as EDGE: by ID
        TestOf("NODAY", std::nullopt), TestOf("ZZ-GONE", "2014-01-01"), TestOf("AA-GONE", std::nullopt),
    };
    const std::vector<DueEntry> due = MakeDueList(devices, tests, nullptr, "2016-03-10", 30);
    EXPECT_EQ(Words(due), (std::vector<std::string>{"NEW-A never tested", "NEW-B never tested", "NODAY unknown date",
                                                    "OVER overdue", "TODAY due soon", "EDGE due soon", "SAME due soon",
                                                    "LATER ok", "AA-GONE not in the list", "ZZ-GONE not in the list"}));
    EXPECT_EQ(due[3].lastTest, "2015-03-09");
    EXPECT_EQ(due[3].due, "2016-03-09");
    EXPECT_EQ(due[3].description, "about OVER");
    EXPECT_FALSE(due[0].lastTest || due[0].due || due[2].lastTest || due[2].due);
    EXPECT_EQ(due[9].lastTest, "2014-01-01");
    EXPECT_FALSE(due[9].due);
    EXPECT_EQ(due[9].intervalMonths, 0);

    // Within 0 days: only what is due on the day itself is due soon.
    const std::vector<DueEntry> none = MakeDueList(devices, tests, nullptr, "2016-03-10", 0);
    EXPECT_EQ(none[4].status, DueStatus::DueSoon);
    EXPECT_EQ(none[5].status, DueStatus::Ok);
}

TEST(DueListTest, TheLastTestFailsByItsDevicesProfileAndPartsAndAnUnknownKindIsNotJudged)
{
    Result<verdict::LimitsLibrary> library = verdict::LimitsLibrary::Load("");
    ASSERT_TRUE(library) << library.error().message;
    using verdict::AppliedPart;
    const std::vector<verdict::Device> devices{
        DeviceOf("GROUND-IEC", 12),            // 0.4 Ω is more than IEC 62353 allows with the cord
        DeviceOf("GROUND-NFPA", 12, "nfpa99"), // NFPA 99 allows less than 0.5 Ω
        DeviceOf("LEADS-CF", 12, {}, {AppliedPart::CF}),
        DeviceOf("LEADS-BF", 12, {}, {AppliedPart::BF}),
        DeviceOf("ODD-KIND", 12),
        DeviceOf("OVERDUE-FAIL", 12)};
    const verdict::VerdictEngine engine(library.value(), verdict::EquipmentList(devices));
    const std::vector<HistoryReading> ground{ReadingOf(1, "Line Voltage", "118.3 V"),
                                             ReadingOf(2, "Ground Resistance", "0.400 Ohms")};
    const std::vector<HistoryReading> leads{ReadingOf(1, "Leads Leakage To Ground", "12.0 uA")};
    const std::vector<LatestTest> tests{
        TestOf("GROUND-IEC", "2016-01-05", ground),   TestOf("GROUND-NFPA", "2016-01-05", ground),
        TestOf("LEADS-CF", "2016-01-06", leads),      TestOf("LEADS-BF", "2016-01-06", leads),
        TestOf("ODD-KIND", "2016-01-07", ground, ""), TestOf("OVERDUE-FAIL", "2014-01-01", ground),
    };
    const std::vector<DueEntry> due = MakeDueList(devices, tests, &engine, "2016-03-10", 30);
    EXPECT_EQ(Words(due), (std::vector<std::string>{"OVERDUE-FAIL failed", "GROUND-IEC failed", "GROUND-NFPA ok",
                                                    "LEADS-BF ok", "LEADS-CF failed", "ODD-KIND ok"}));
    // No engine: nothing is judged.
    EXPECT_EQ(MakeDueList(devices, tests, nullptr, "2016-03-10", 30)[1].status, DueStatus::Ok);
}

// A list large enough to be judged on several threads: each device gets its
// own test's verdict, and a test of one ID that two entries share is judged once.
TEST(DueListTest, ALargeListIsJudgedDeviceByDevice)
{
    Result<verdict::LimitsLibrary> library = verdict::LimitsLibrary::Load("");
    ASSERT_TRUE(library) << library.error().message;
    std::vector<verdict::Device> devices;
    std::vector<LatestTest> tests;
    for (int i = 0; i < 9001; ++i) {
        const std::string id = "D-" + std::to_string(100000 + i);
        devices.push_back(DeviceOf(id, 12));
        const char* ground = i % 7 == 3 ? "0.400 Ohms" : "0.100 Ohms"; // every seventh fails
        tests.push_back(TestOf(id, "2016-01-05", {ReadingOf(2, "Ground Resistance", ground)}));
    }
    devices.push_back(devices[3]); // listed twice
    const verdict::VerdictEngine engine(library.value(), verdict::EquipmentList(devices));
    const std::vector<DueEntry> due = MakeDueList(devices, tests, &engine, "2016-03-10", 30);
    ASSERT_EQ(due.size(), devices.size());
    for (const DueEntry& entry : due) {
        const int i = std::stoi(entry.equipmentId.substr(2)) - 100000;
        ASSERT_EQ(entry.status, i % 7 == 3 ? DueStatus::Failed : DueStatus::Ok) << entry.equipmentId;
    }
}

TEST(DueListTest, APackedRecordReadsBackInItemOrderAndSkipsBrokenPieces)
{
    const std::string packed =
        PackReadings({ReadingOf(2, "Line Voltage", "118 V"), ReadingOf(1, "Case\tLeakage", "1 uA")});
    EXPECT_EQ(packed, "1\x1F"
                      "Case\tLeakage\x1F"
                      "1 uA\x1E"
                      "2\x1FLine Voltage\x1F"
                      "118 V");
    const std::string more = "3\x1Fz\x1F"
                             "3\x1E"
                             "broken\x1E" +
                             packed;
    const std::vector<PackedReading> back = UnpackReadings(more);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].test, "Case\tLeakage");
    EXPECT_EQ(back[1].reading, "118 V");
    EXPECT_EQ(back[2].item, 3);
    EXPECT_TRUE(UnpackReadings(std::string_view()).empty());
}

TEST(DueListTest, TheJsonHasNullForWhatIsNotKnown)
{
    std::ostringstream out;
    const std::vector<DueEntry> due =
        MakeDueList({DeviceOf("MON \"1\"", 6)}, {TestOf("MON \"1\"", "2015-08-31"), TestOf("X", std::nullopt)}, nullptr,
                    "2016-03-10", 30);
    WriteDueJson(out, "2016-03-10", due);
    EXPECT_EQ(out.str(), "{\n"
                         "  \"on\": \"2016-03-10\",\n"
                         "  \"equipment\": [\n"
                         "    {\n"
                         "      \"equipmentId\": \"MON \\\"1\\\"\",\n"
                         "      \"description\": \"about MON \\\"1\\\"\",\n"
                         "      \"location\": \"Ward 2\",\n"
                         "      \"lastTest\": \"2015-08-31\",\n"
                         "      \"due\": \"2016-02-29\",\n"
                         "      \"status\": \"overdue\"\n"
                         "    },\n"
                         "    {\n"
                         "      \"equipmentId\": \"X\",\n"
                         "      \"description\": \"\",\n"
                         "      \"location\": \"\",\n"
                         "      \"lastTest\": null,\n"
                         "      \"due\": null,\n"
                         "      \"status\": \"not in the list\"\n"
                         "    }\n"
                         "  ]\n"
                         "}\n");
}

} // namespace
} // namespace tessaprint::history
