// The history's stores against one set of rules: the in-memory double, SQLite
// and PostgreSQL (when scripts/with-postgres.sh runs the tests) must answer
// alike; then what only a database has: the schema's versions, two programs
// writing at once, a server that goes away.
#include "HistoryTestDatabase.h"
#include "MemoryHistoryStore.h"

#include "history/CaptureIdentity.h"
#include "history/EquipmentStore.h"
#include "history/PackedReadings.h"
#include "history/QtHistoryRecorder.h"
#include "history/SqlHistoryStore.h"
#include "util/FileIo.h"
#include "util/ManualClock.h"
#include "verdict/EquipmentList.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessaprint {
namespace {

using history::HistoryCapture;
using history::HistoryReading;
using history::HistoryRecord;
using history::RecordOutcome;
using history::SqlHistoryStore;
using test::FreshDatabase;
using test::RawConnection;

enum class Backend { Memory, Sqlite, Postgres };

std::string BackendName(const ::testing::TestParamInfo<Backend>& info)
{
    switch (info.param) {
    case Backend::Memory:
        return "Memory";
    case Backend::Sqlite:
        return "SQLite";
    case Backend::Postgres:
        return "PostgreSQL";
    }
    return "Unknown";
}

HistoryRecord MakeRecord(const std::string& id, const std::string& testDate, std::vector<std::string> values)
{
    HistoryRecord record;
    record.equipmentId = id;
    record.testDate = testDate;
    record.testDay = history::ParseTestDay(testDate);
    int item = 0;
    for (std::string& value : values) {
        ++item;
        const auto blank = value.rfind(' ');
        record.readings.push_back({item, value, value.substr(0, blank == std::string::npos ? 0 : blank),
                                   blank == std::string::npos ? value : value.substr(blank + 1)});
    }
    return record;
}

HistoryCapture MakeCapture(const std::string& hash, const std::string& capturedAt, std::vector<HistoryRecord> records,
                           const std::string& kind = "Quellmax")
{
    HistoryCapture capture;
    capture.capturedAt = capturedAt;
    capture.kind = kind;
    capture.port = "COM1";
    capture.archiveName = "Quellmax-" + hash + ".txt";
    capture.linesHash = hash;
    int position = 0;
    for (HistoryRecord& record : records) {
        record.position = position++;
        capture.records.push_back(std::move(record));
    }
    return capture;
}

// Devices of an equipment list's lines (after its header).
std::vector<verdict::Device> Devices(const std::string& lines)
{
    auto read =
        verdict::ReadEquipmentListText(std::string(verdict::kEquipmentListHeader) + "\n" + lines, "equipment.csv");
    EXPECT_TRUE(read) << read.error().message;
    return read ? read.value() : std::vector<verdict::Device>{};
}

std::string CountsOf(const Result<history::EquipmentImportCounts>& counts)
{
    if (!counts) {
        return counts.error().message;
    }
    return std::to_string(counts.value().added) + " added, " + std::to_string(counts.value().replaced) + " replaced, " +
           std::to_string(counts.value().unchanged) + " unchanged";
}

// Twenty captures of three records each, different hashes.
std::vector<HistoryCapture> TwentyCaptures(const std::string& tag)
{
    std::vector<HistoryCapture> captures;
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        captures.push_back(MakeCapture(tag + "-hash-" + n, "2026-02-01T10:00:" + std::string(i < 10 ? "0" : "") + n,
                                       {MakeRecord(tag + "-A" + n, "03/14/2015", {"Case Leakage 0.1 uA"}),
                                        MakeRecord(tag + "-B" + n, "03/14/2015", {"Line Voltage 120 V", "x 1"}),
                                        MakeRecord("SHARED", "", {})}));
    }
    return captures;
}

class HistoryStoreContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Memory) {
            return;
        }
        if (GetParam() == Backend::Postgres && test::PostgresUrl().empty()) {
            GTEST_SKIP() << "TESSAPRINT_TEST_POSTGRES_URL is not set (scripts/with-postgres.sh sets it)";
        }
        m_database = std::make_unique<FreshDatabase>(GetParam() == Backend::Postgres);
        ASSERT_EQ(m_database->error(), "");
    }

    // A store on the test's database; for the double, the same one each time.
    history::HistoryStore& Store()
    {
        if (GetParam() == Backend::Memory) {
            return m_memory;
        }
        if (!m_store) {
            auto opened = SqlHistoryStore::Open(m_database->where());
            EXPECT_TRUE(opened) << opened.error().message;
            m_store = std::move(opened).value();
        }
        return *m_store;
    }
    history::EquipmentStore& Equipment()
    {
        if (GetParam() == Backend::Memory) {
            return m_memory;
        }
        Store();
        return *m_store;
    }
    // The stored list as the CSV writer writes it: every field compared.
    std::string StoredList()
    {
        auto devices = Equipment().Equipment();
        EXPECT_TRUE(devices) << devices.error().message;
        return devices ? verdict::WriteEquipmentList(devices.value()) : "";
    }

    RecordOutcome Record(const HistoryCapture& capture)
    {
        const auto outcome = Store().Record(capture);
        EXPECT_TRUE(outcome) << outcome.error().message;
        return outcome ? outcome.value() : RecordOutcome::AlreadyThere;
    }
    std::vector<HistoryRecord> Lookup(const std::string& id)
    {
        auto found = Store().Lookup(id);
        EXPECT_TRUE(found) << found.error().message;
        return found ? found.value() : std::vector<HistoryRecord>{};
    }
    std::vector<std::string> Ids(const std::string& prefix, int limit = 100)
    {
        auto ids = Store().Ids(prefix, limit);
        EXPECT_TRUE(ids) << ids.error().message;
        return ids ? ids.value() : std::vector<std::string>{};
    }

    std::unique_ptr<FreshDatabase> m_database;
    test::MemoryHistoryStore m_memory;
    std::unique_ptr<SqlHistoryStore> m_store;
};

TEST_P(HistoryStoreContract, ACaptureIsRecordedOnceWhateverHowOftenItComes)
{
    const HistoryCapture capture =
        MakeCapture("h1", "2026-03-01T09:00:00", {MakeRecord("A-1", "03/14/2015", {"Case Leakage 0.1 uA"})});
    EXPECT_EQ(Record(capture), RecordOutcome::Added);
    EXPECT_EQ(Record(capture), RecordOutcome::AlreadyThere);
    // Same hash, other details (a retry with another archive name): still the one capture.
    HistoryCapture renamed = capture;
    renamed.archiveName = "other.txt";
    renamed.records.push_back(MakeRecord("B-2", "", {}));
    EXPECT_EQ(Record(renamed), RecordOutcome::AlreadyThere);
    EXPECT_EQ(Lookup("A-1").size(), 1u);
    EXPECT_TRUE(Lookup("B-2").empty());
    // Another capture of the same readings is a visit of its own.
    HistoryCapture again = capture;
    again.linesHash = "h2";
    again.capturedAt = "2026-03-01T10:30:00";
    again.archiveName = "Quellmax-again.txt";
    EXPECT_EQ(Record(again), RecordOutcome::Added);
    EXPECT_EQ(Lookup("A-1").size(), 2u);
    // A capture without records is remembered too.
    EXPECT_EQ(Record(MakeCapture("empty", "2026-03-02T09:00:00", {})), RecordOutcome::Added);
    EXPECT_EQ(Record(MakeCapture("empty", "2026-03-02T09:00:00", {})), RecordOutcome::AlreadyThere);
}

TEST_P(HistoryStoreContract, APrintoutThatWentOnAfterAPauseIsKeptOnceAsItsLargerPart)
{
    // Its first part was ready after a pause, then the rest came: the same port, time and archive.
    const HistoryCapture first =
        MakeCapture("part1", "2026-04-01T09:00:00", {MakeRecord("G-1", "04/01/2026", {"Line Voltage 120 V"})});
    HistoryCapture whole = first;
    whole.linesHash = "part2";
    whole.records[0].readings.push_back({2, "Ground Resistance 0.1 Ohms", "Ground Resistance", "0.1 Ohms"});
    whole.records.push_back(MakeRecord("G-2", "04/01/2026", {"Line Voltage 119 V"}));
    whole.records.back().position = 1;
    EXPECT_EQ(Record(first), RecordOutcome::Added);
    EXPECT_EQ(Record(whole), RecordOutcome::Added);
    ASSERT_EQ(Lookup("G-1").size(), 1u);
    EXPECT_EQ(Lookup("G-1")[0].readings.size(), 2u);
    EXPECT_EQ(Lookup("G-2").size(), 1u);
    // The first part once more (a retry that waited): the larger part stays.
    EXPECT_EQ(Record(first), RecordOutcome::AlreadyThere);
    EXPECT_EQ(Lookup("G-1")[0].readings.size(), 2u);
    // The same lines imported from the archive file are that capture too; other lines are a capture of their own.
    HistoryCapture imported = whole;
    imported.port.clear();
    EXPECT_EQ(Record(imported), RecordOutcome::AlreadyThere);
    imported.linesHash = "import";
    EXPECT_EQ(Record(imported), RecordOutcome::Added);
    EXPECT_EQ(Lookup("G-1").size(), 2u);
}

TEST_P(HistoryStoreContract, TwoBenchesOnOnePortInOneSecondKeepTheirCapturesAndEachGrowsAlone)
{
    // Each bench on its own COM1, the same kind, the same second: the same archive name.
    const auto bench = [](const std::string& id, const std::string& equipment, int readings) {
        HistoryCapture capture =
            MakeCapture(id + "-lines", "2026-06-01T09:00:00", {MakeRecord(equipment, "06/01/2026", {})});
        capture.captureId = id;
        capture.archiveName = "Quellmax-2026-06-01-090000.txt";
        for (int item = 1; item <= readings; ++item) {
            capture.records[0].readings.push_back({item, "Line Voltage 12" + std::to_string(item) + " V",
                                                   "Line Voltage", "12" + std::to_string(item) + " V"});
        }
        return capture;
    };
    EXPECT_EQ(Record(bench("0f8e2f1c-5c1a-4a51-9d0e-1b7c3f6a2b01", "B1", 2)), RecordOutcome::Added);
    // Fewer readings, more readings: neither is the other's part.
    const HistoryCapture second = bench("6a1d0c7e-3b2f-4e8a-8c5d-9f0e1a2b3c02", "B2", 1);
    EXPECT_EQ(Record(second), RecordOutcome::Added);
    EXPECT_EQ(Record(bench("c3b4a5d6-e7f8-4091-a2b3-c4d5e6f7a803", "B3", 3)), RecordOutcome::Added);
    EXPECT_EQ(Lookup("B1").size(), 1u);
    EXPECT_EQ(Lookup("B2").size(), 1u);
    EXPECT_EQ(Lookup("B3").size(), 1u);
    // The second bench's printout went on after a pause: its own capture grows, no other.
    HistoryCapture grown = bench("6a1d0c7e-3b2f-4e8a-8c5d-9f0e1a2b3c02", "B2", 2);
    grown.linesHash = "B2-grown";
    EXPECT_EQ(Record(grown), RecordOutcome::Added);
    ASSERT_EQ(Lookup("B2").size(), 1u);
    EXPECT_EQ(Lookup("B2")[0].readings.size(), 2u);
    EXPECT_EQ(Lookup("B1").size(), 1u);
    EXPECT_EQ(Lookup("B3").size(), 1u);
}

TEST_P(HistoryStoreContract, RecordsGivenOneAtATimeAreDecidedByTheirCountsAndAFailedSourceLeavesTheStoreAsItWas)
{
    HistoryCapture part =
        MakeCapture("streamed-1", "2026-06-03T09:00:00", {MakeRecord("S-1", "06/03/2026", {"Line Voltage 120 V"})});
    part.captureId = "1d4c6f0a-8b2e-4f3d-9a71-5e0c2b8d4f11";
    ASSERT_EQ(Record(part), RecordOutcome::Added);

    // The same capture grown by a record, given one record at a time.
    HistoryCapture grown = part;
    grown.linesHash = "streamed-2";
    grown.records[0].readings.push_back({2, "Ground Resistance 0.1 Ohms", "Ground Resistance", "0.1 Ohms"});
    grown.records.push_back(MakeRecord("S-2", "06/03/2026", {"Case Leakage 0.2 uA", "Line Voltage 119 V"}));
    grown.records.back().position = 1;
    const history::HistoryCaptureHeader header = history::HeaderOf(grown);
    int calls = 0;
    // Fails after its first record, as a file that stops reading does.
    const history::HistoryRecordSource failing = [&](const history::HistoryRecordSink& take) -> Result<void> {
        ++calls;
        if (Result<void> taken = take(grown.records[0]); !taken) {
            return taken;
        }
        return Error{kErrorFail, "cannot read the file"};
    };
    const auto failed = Store().RecordInParts(header, failing);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().message, "cannot read the file");
    // Fewer records than counted (a file that shrank between its readings) fail too.
    const history::HistoryRecordSource shrunk = [&](const history::HistoryRecordSink& take) {
        return take(grown.records[0]);
    };
    EXPECT_FALSE(Store().RecordInParts(header, shrunk));
    // Neither left anything, nor took the smaller part away.
    ASSERT_EQ(Lookup("S-1").size(), 1u);
    EXPECT_EQ(Lookup("S-1")[0].readings.size(), 1u);
    EXPECT_TRUE(Lookup("S-2").empty());

    EXPECT_EQ(Store().RecordInParts(header, history::RecordsOf(grown)).value(), RecordOutcome::Added);
    ASSERT_EQ(Lookup("S-1").size(), 1u);
    EXPECT_EQ(Lookup("S-1")[0].readings.size(), 2u);
    ASSERT_EQ(Lookup("S-2").size(), 1u);
    EXPECT_EQ(Lookup("S-2")[0].readings[1].value, "Line Voltage 119 V");
    // Already there, or a smaller part of what is there: told by the header, the records never read.
    calls = 0;
    EXPECT_EQ(Store().RecordInParts(header, failing).value(), RecordOutcome::AlreadyThere);
    history::HistoryCaptureHeader smaller = history::HeaderOf(part);
    smaller.linesHash = "streamed-3";
    EXPECT_EQ(Store().RecordInParts(smaller, failing).value(), RecordOutcome::AlreadyThere);
    EXPECT_EQ(calls, 0);
}

// The record as a profile judged it: one verdict a reading, in order.
HistoryRecord Judged(HistoryRecord record, const std::string& profile, const std::vector<std::string>& verdicts)
{
    record.verdictProfile = profile;
    record.verdictProfileVersion = profile.empty() ? "" : profile + "-v1";
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        HistoryReading& reading = record.readings.at(i);
        reading.verdict = verdicts[i];
        reading.limit = verdicts[i] == "no limit" ? ""
                                                  : "\xE2\x89\xA4 100 \xC2\xB5"
                                                    "A";
        reading.rule = verdicts[i] == "no limit" ? "" : profile + ".rule" + std::to_string(i + 1);
    }
    return record;
}

// What a record's readings were stored with: "verdict limit rule" each, after "profile version".
std::vector<std::string> VerdictsOf(const HistoryRecord& record)
{
    std::vector<std::string> stored{record.verdictProfile + " " + record.verdictProfileVersion};
    for (const HistoryReading& reading : record.readings) {
        stored.push_back(reading.verdict + "|" + reading.limit + "|" + reading.rule);
    }
    return stored;
}

TEST_P(HistoryStoreContract, VerdictsAreStoredWithTheirProfileAndARecordWithoutThemKeepsThemEmpty)
{
    const std::string le = "\xE2\x89\xA4 100 \xC2\xB5"
                           "A";
    const HistoryCapture capture =
        MakeCapture("judged", "2026-07-01T09:00:00",
                    {Judged(MakeRecord("V-1", "07/01/2026", {"Case Leakage 120 uA", "Line Voltage 120 V"}), "iec62353",
                            {"fail", "no limit"}),
                     MakeRecord("V-2", "07/01/2026", {"Case Leakage 1 uA"})});
    // Given one record at a time, as an import reads a file.
    ASSERT_EQ(Store().RecordInParts(history::HeaderOf(capture), history::RecordsOf(capture)).value(),
              RecordOutcome::Added);
    const auto judged = Lookup("V-1");
    ASSERT_EQ(judged.size(), 1u);
    EXPECT_EQ(VerdictsOf(judged[0]),
              (std::vector<std::string>{"iec62353 iec62353-v1", "fail|" + le + "|iec62353.rule1", "no limit||"}));
    const auto plain = Lookup("V-2");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(VerdictsOf(plain[0]), (std::vector<std::string>{" ", "||"}));
}

TEST_P(HistoryStoreContract, AGrownCaptureKeepsTheVerdictsItsEarlierPartWasStoredWith)
{
    // The first part: G-1 judged by profile "a", G-3 recorded with verdicts off.
    HistoryCapture first = MakeCapture("grow-1", "2026-07-02T09:00:00",
                                       {Judged(MakeRecord("G-1", "07/02/2026", {"Case Leakage 1 uA"}), "a", {"pass"}),
                                        MakeRecord("G-3", "07/02/2026", {"Case Leakage 2 uA"})});
    first.captureId = "8e7a4c1d-2f3b-4a5c-9d6e-7f8091a2b3c4";
    ASSERT_EQ(Record(first), RecordOutcome::Added);
    // The rest came after a pause, while profile "b" was in use: every record judged by it.
    HistoryCapture second = first;
    second.linesHash = "grow-2";
    second.records[0] =
        Judged(MakeRecord("G-1", "07/02/2026", {"Case Leakage 1 uA", "Case Leakage Open Ground 900 uA"}), "b",
               {"fail", "fail"});
    second.records[1] = Judged(MakeRecord("G-3", "07/02/2026", {"Case Leakage 2 uA"}), "b", {"pass"});
    second.records.push_back(Judged(MakeRecord("G-2", "07/02/2026", {"Case Leakage 3 uA"}), "b", {"pass"}));
    for (int position = 0; position < 3; ++position) {
        second.records[static_cast<std::size_t>(position)].position = position;
    }
    ASSERT_EQ(Record(second), RecordOutcome::Added);
    const std::string le = "\xE2\x89\xA4 100 \xC2\xB5"
                           "A";
    // What was stored stays; a reading the old record grew by is not judged by another profile.
    ASSERT_EQ(Lookup("G-1").size(), 1u);
    EXPECT_EQ(VerdictsOf(Lookup("G-1")[0]), (std::vector<std::string>{"a a-v1", "pass|" + le + "|a.rule1", "||"}));
    ASSERT_EQ(Lookup("G-3").size(), 1u);
    EXPECT_EQ(VerdictsOf(Lookup("G-3")[0]), (std::vector<std::string>{" ", "||"}));
    // A record the earlier part did not have is judged by the profile in use now.
    ASSERT_EQ(Lookup("G-2").size(), 1u);
    EXPECT_EQ(VerdictsOf(Lookup("G-2")[0]), (std::vector<std::string>{"b b-v1", "pass|" + le + "|b.rule1"}));

    // Grown once more under "a" again: G-1's new reading takes a's verdict, the one left unjudged stays so.
    HistoryCapture third = second;
    third.linesHash = "grow-3";
    third.records[0] = Judged(
        MakeRecord("G-1", "07/02/2026", {"Case Leakage 1 uA", "Case Leakage Open Ground 900 uA", "Leads Leakage 5 uA"}),
        "a", {"fail", "fail", "pass"});
    ASSERT_EQ(Record(third), RecordOutcome::Added);
    EXPECT_EQ(VerdictsOf(Lookup("G-1")[0]),
              (std::vector<std::string>{"a a-v1", "pass|" + le + "|a.rule1", "||", "pass|" + le + "|a.rule3"}));
    EXPECT_EQ(VerdictsOf(Lookup("G-2")[0])[0], "b b-v1");
}

TEST_P(HistoryStoreContract, ControlCharactersInALineAreStoredAsReplacementCharactersAndTabsKept)
{
    // The receive path keeps a NUL or an escape in mid-line.
    const std::string nul(1, '\0');
    const std::string fffd = "\xEF\xBF\xBD";
    const HistoryCapture capture = MakeCapture(
        "controls", "2026-06-02T09:00:00",
        {MakeRecord("C" + nul + "-1", "06/02/2026", {"Case" + nul + "Leakage\t0.1 uA", "Line\x1b[0m\r 120 V"})});
    ASSERT_EQ(Record(capture), RecordOutcome::Added);
    const auto found = Lookup("C" + nul + "-1"); // the ID as the form shows it
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].equipmentId, "C" + fffd + "-1");
    ASSERT_EQ(found[0].readings.size(), 2u);
    EXPECT_EQ(found[0].readings[0].value, "Case" + fffd + "Leakage\t0.1 uA");
    EXPECT_EQ(found[0].readings[0].test, "Case" + fffd + "Leakage\t0.1");
    EXPECT_EQ(found[0].readings[1].value, "Line" + fffd + "[0m" + fffd + " 120 V");
    EXPECT_EQ(Ids("c"), std::vector<std::string>{"C" + fffd + "-1"});
    EXPECT_EQ(Record(capture), RecordOutcome::AlreadyThere);
}

TEST_P(HistoryStoreContract, LookupListsVisitsByTestDayThenCaptureTimeWithTheirReadings)
{
    // Recorded out of order: the order comes from the days and times.
    ASSERT_EQ(Record(MakeCapture("c1", "2026-01-05T10:00:00",
                                 {MakeRecord("A-1", "03/14/2015", {"Case Leakage 0.1 uA", "Ground 0.1 Ohms"}),
                                  MakeRecord("B", "03/14/2015", {"Other 1 V"}),
                                  MakeRecord("A-1", "03/14/2015", {"Second 2 V"})})),
              RecordOutcome::Added);
    ASSERT_EQ(Record(MakeCapture("c2", "2026-01-02T09:00:00", {MakeRecord("A-1", "", {"Undated 3 V"})}, "PTRX")),
              RecordOutcome::Added);
    ASSERT_EQ(Record(MakeCapture("c3", "2026-01-03T09:00:00", {MakeRecord("A-1", "1/1/2015", {"Early 4 V"})})),
              RecordOutcome::Added);
    const std::string awkward = "It's \"quoted\"; DROP TABLE records; -- µA Ω ±0.5 %";
    ASSERT_EQ(Record(MakeCapture("c4", "2026-01-01T08:00:00",
                                 {MakeRecord("A-1", "03/14/2015", {"Same day 5 V", awkward})}, "Kappa 5100")),
              RecordOutcome::Added);

    const auto found = Lookup("A-1");
    ASSERT_EQ(found.size(), 5u);
    // 2015-01-01; 2015-03-14 captured on 01-01; 2015-03-14 on 01-05 (twice,
    // in printed order); no day: its capture day 2026-01-02.
    EXPECT_EQ(found[0].readings.at(0).value, "Early 4 V");
    EXPECT_EQ(found[0].testDay, "2015-01-01");
    EXPECT_EQ(found[1].capturedAt, "2026-01-01T08:00:00");
    EXPECT_EQ(found[1].kind, "Kappa 5100");
    EXPECT_EQ(found[2].readings.at(0).value, "Case Leakage 0.1 uA");
    EXPECT_EQ(found[2].position, 0);
    EXPECT_EQ(found[3].readings.at(0).value, "Second 2 V");
    EXPECT_EQ(found[3].position, 2);
    EXPECT_EQ(found[4].testDate, "");
    EXPECT_EQ(found[4].testDay, std::nullopt);
    EXPECT_EQ(found[4].kind, "PTRX");
    EXPECT_EQ(found[4].capturedAt, "2026-01-02T09:00:00");

    // Readings in item order, every text as it went in.
    ASSERT_EQ(found[2].readings.size(), 2u);
    EXPECT_EQ(found[2].readings[1].item, 2);
    EXPECT_EQ(found[2].readings[1].test, "Ground 0.1");
    EXPECT_EQ(found[2].readings[1].reading, "Ohms");
    EXPECT_EQ(found[2].equipmentId, "A-1");
    EXPECT_EQ(found[2].testDate, "03/14/2015");
    ASSERT_EQ(found[1].readings.size(), 2u);
    EXPECT_EQ(found[1].readings[1].value, awkward);

    EXPECT_EQ(Lookup("B").size(), 1u);
    EXPECT_TRUE(Lookup("a-1").empty()); // exact, not without case
    EXPECT_TRUE(Lookup("A-").empty());
    EXPECT_TRUE(Lookup("nobody").empty());
}

TEST_P(HistoryStoreContract, AnIdWithHundredsOfRecordsGetsEachItsOwnReadings)
{
    for (int c = 0; c < 3; ++c) {
        std::vector<HistoryRecord> records;
        for (int r = 0; r < 70; ++r) {
            const std::string tag = std::to_string(c) + "/" + std::to_string(r);
            records.push_back(MakeRecord(r % 7 == 3 ? "OTHER" : "MANY", "", {"first " + tag, "second " + tag}));
        }
        ASSERT_EQ(Record(MakeCapture("many" + std::to_string(c), "2026-01-0" + std::to_string(c + 1) + "T08:00:00",
                                     std::move(records))),
                  RecordOutcome::Added);
    }
    const auto found = Lookup("MANY");
    ASSERT_EQ(found.size(), 180u);
    for (const HistoryRecord& record : found) {
        const std::string tag = record.capturedAt.substr(9, 1) == "1"   ? "0/"
                                : record.capturedAt.substr(9, 1) == "2" ? "1/"
                                                                        : "2/";
        ASSERT_EQ(record.readings.size(), 2u);
        EXPECT_EQ(record.readings[0].value, "first " + tag + std::to_string(record.position));
        EXPECT_EQ(record.readings[1].value, "second " + tag + std::to_string(record.position));
    }
    EXPECT_EQ(found.front().capturedAt, "2026-01-01T08:00:00");
    EXPECT_EQ(found.back().capturedAt, "2026-01-03T08:00:00");
    EXPECT_EQ(Lookup("OTHER").size(), 30u);
}

TEST_P(HistoryStoreContract, IdsByPrefixWithoutCaseSortedDistinctAndLimited)
{
    ASSERT_EQ(Record(MakeCapture("i1", "2026-01-01T08:00:00",
                                 {MakeRecord("abc-1", "", {}), MakeRecord("ABD-2", "", {}), MakeRecord("Abc-3", "", {}),
                                  MakeRecord("b-1", "", {}), MakeRecord("ab%_x", "", {}), MakeRecord("ÉQ-1", "", {})})),
              RecordOutcome::Added);
    ASSERT_EQ(Record(MakeCapture("i2", "2026-01-02T08:00:00", {MakeRecord("abc-1", "", {})})), RecordOutcome::Added);

    using Ids = std::vector<std::string>;
    EXPECT_EQ(this->Ids("ab"), (Ids{"ABD-2", "Abc-3", "ab%_x", "abc-1"}));
    EXPECT_EQ(this->Ids("aB", 2), (Ids{"ABD-2", "Abc-3"}));
    EXPECT_EQ(this->Ids("ABC"), (Ids{"Abc-3", "abc-1"}));
    // Wildcards of LIKE are plain characters here.
    EXPECT_EQ(this->Ids("AB%"), (Ids{"ab%_x"}));
    EXPECT_EQ(this->Ids("a_"), Ids{});
    EXPECT_EQ(this->Ids("B-1"), (Ids{"b-1"}));
    EXPECT_EQ(this->Ids("ÉQ"), (Ids{"ÉQ-1"}));
    EXPECT_EQ(this->Ids(""), (Ids{"ABD-2", "Abc-3", "ab%_x", "abc-1", "b-1", "ÉQ-1"}));
    EXPECT_EQ(this->Ids("", 1), (Ids{"ABD-2"}));
    EXPECT_EQ(this->Ids("zz"), Ids{});
    EXPECT_EQ(this->Ids("abc-1-more"), Ids{});
    EXPECT_EQ(this->Ids("ab", 0), Ids{});
}

TEST_P(HistoryStoreContract, RecentIdsComeByTheirLatestCaptureEachOnceAndLimited)
{
    // Recorded out of time order; r4 has r2's time and is recorded after it.
    ASSERT_EQ(Record(MakeCapture("r1", "2026-01-01T08:00:00",
                                 {MakeRecord("OLD-1", "", {}), MakeRecord("SHARED", "", {}), MakeRecord("", "", {})})),
              RecordOutcome::Added);
    ASSERT_EQ(
        Record(MakeCapture("r2", "2026-01-03T08:00:00",
                           {MakeRecord("NEW-B", "", {}), MakeRecord("NEW-A", "", {}), MakeRecord("SHARED", "", {})})),
        RecordOutcome::Added);
    ASSERT_EQ(
        Record(MakeCapture("r3", "2026-01-02T08:00:00", {MakeRecord("MID-1", "", {}), MakeRecord("OLD-1", "", {})})),
        RecordOutcome::Added);
    ASSERT_EQ(Record(MakeCapture("r4", "2026-01-03T08:00:00", {MakeRecord("TIE-1", "", {})})), RecordOutcome::Added);
    ASSERT_EQ(Record(MakeCapture("r5", "2026-01-04T08:00:00", {})), RecordOutcome::Added);

    using Ids = std::vector<std::string>;
    const auto recent = [this](int limit) {
        auto ids = Store().RecentIds(limit);
        EXPECT_TRUE(ids) << ids.error().message;
        return ids ? ids.value() : Ids{};
    };
    EXPECT_EQ(recent(100), (Ids{"TIE-1", "NEW-B", "NEW-A", "SHARED", "MID-1", "OLD-1"}));
    EXPECT_EQ(recent(2), (Ids{"TIE-1", "NEW-B"}));
    EXPECT_EQ(recent(0), Ids{});

    // Many captures of one ID at one time: the walk goes past its first
    // windows of captures, in recording order, to the one ID left.
    for (int i = 0; i < 120; ++i) {
        ASSERT_EQ(Record(MakeCapture("many-" + std::to_string(i), "2026-02-01T08:00:00",
                                     {MakeRecord(i == 0 ? "FIRST-OF-MANY" : "MANY", "", {})})),
                  RecordOutcome::Added);
    }
    EXPECT_EQ(recent(3), (Ids{"MANY", "FIRST-OF-MANY", "TIE-1"}));
}

TEST_P(HistoryStoreContract, TheEquipmentListIsAddedToAndReplacedByIdAndTheSameListAgainChangesNothing)
{
    const std::string first =
        "Z-9,\"Pump, \"\"big\"\"\nline two\",ICU,II,BF;CF,6,without-cord,strict,Defib=2;10|Pacer=50\n"
        "A-1,Monitor,Ward 3,I,,12,,,\n"
        "M-5,Scale,Lab,IP,B,24,with-cord,,\n";
    ASSERT_EQ(CountsOf(Equipment().ImportEquipment(Devices(first))), "3 added, 0 replaced, 0 unchanged");
    const std::string stored = StoredList();
    EXPECT_EQ(stored, verdict::WriteEquipmentList(Devices(first))) << "sorted by ID, every field as it was";
    ASSERT_EQ(Equipment().Equipment().value().front().equipmentId, "A-1");
    EXPECT_EQ(CountsOf(Equipment().ImportEquipment(Devices(first))), "0 added, 0 replaced, 3 unchanged");
    EXPECT_EQ(StoredList(), stored);

    // Another list: its IDs replace theirs, the others stay.
    ASSERT_EQ(CountsOf(Equipment().ImportEquipment(Devices("A-1,Monitor,Ward 4,I,,12,,,\n"
                                                           "M-5,Scale,Lab,IP,B,24,with-cord,,\n"
                                                           "B-2,Drill,OR,II,,12,,,\n"))),
              "1 added, 1 replaced, 1 unchanged");
    const auto devices = Equipment().Equipment().value();
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[0].location, "Ward 4");
    EXPECT_EQ(devices[1].equipmentId, "B-2");
    EXPECT_EQ(devices[3].settings.at("Defib"), (std::vector<double>{2, 10}));

    // One device at a time, by its trimmed ID.
    verdict::Device put = devices[1];
    put.equipmentId = " B-2 ";
    put.intervalMonths = 6;
    ASSERT_TRUE(Equipment().PutDevice(put));
    put.equipmentId = "C-3";
    ASSERT_TRUE(Equipment().PutDevice(put));
    EXPECT_FALSE(Equipment().PutDevice(verdict::Device{}));
    ASSERT_EQ(Equipment().Equipment().value().size(), 5u);
    EXPECT_EQ(Equipment().Equipment().value()[1].intervalMonths, 6);
    EXPECT_EQ(Equipment().RemoveDevice(" C-3").value(), true);
    EXPECT_EQ(Equipment().RemoveDevice("C-3").value(), false);
    EXPECT_EQ(Equipment().Equipment().value().size(), 4u);
}

TEST_P(HistoryStoreContract, LatestTestsTakeTheLatestDayAndOfThatDayTheRecordRecordedLast)
{
    // Recorded out of their days' order; two captures of one second: the one recorded later wins.
    Record(MakeCapture("t1", "2026-03-02T09:00:00",
                       {MakeRecord("A", "03/01/2026", {"Case Leakage 1 uA"}), MakeRecord("NODAY", "", {"x 1"}),
                        MakeRecord("", "03/01/2026", {"y 1"}), MakeRecord("MIXED", "", {"z 1"})}));
    Record(MakeCapture("t2", "2025-01-01T09:00:00",
                       {MakeRecord("A", "12/31/2024", {"Case Leakage 2 uA"}), MakeRecord("MIXED", "1/2/2024", {"z 2"}),
                        MakeRecord("SAME", "5/5/2025", {"s 1"}), MakeRecord("SAME", "5/5/2025", {"s 2", "s 3"})}));
    Record(MakeCapture("t3", "2026-03-03T08:00:00",
                       {MakeRecord("A", "03/01/2026", {"Case Leakage 120 uA", "Line Voltage 120 V"})}, "Kappa 5100"));
    Record(MakeCapture("t4", "2026-03-03T08:00:00", {MakeRecord("A", "03/01/2026", {"Case Leakage 3 uA"})}, "PTRX"));
    Record(MakeCapture("t5", "2026-03-01T08:00:00", {MakeRecord("A", "02/28/2026", {"Case Leakage 4 uA"})}));

    auto found = Equipment().LatestTests();
    ASSERT_TRUE(found) << found.error().message;
    const auto& tests = found.value();
    ASSERT_EQ(tests.size(), 4u);
    EXPECT_EQ(tests[0].equipmentId, "A");
    EXPECT_EQ(tests[0].testDay, "2026-03-01");
    EXPECT_EQ(tests[0].kind, "PTRX");
    ASSERT_EQ(history::UnpackReadings(tests[0].packedReadings).size(), 1u);
    EXPECT_EQ(history::UnpackReadings(tests[0].packedReadings)[0].test, "Case Leakage 3");
    EXPECT_EQ(tests[1].equipmentId, "MIXED");
    EXPECT_EQ(tests[1].testDay, "2024-01-02") << "a record with a day wins over a later one without";
    EXPECT_EQ(tests[2].equipmentId, "NODAY");
    EXPECT_EQ(tests[2].testDay, std::nullopt);
    EXPECT_EQ(tests[2].kind, "");
    EXPECT_TRUE(tests[2].packedReadings.empty());
    EXPECT_EQ(tests[3].equipmentId, "SAME");
    const auto same = history::UnpackReadings(tests[3].packedReadings);
    ASSERT_EQ(same.size(), 2u) << "of one capture the record printed later";
    EXPECT_EQ(same[1].reading, "3");

    // A later capture of that day: it is the latest now, its readings in item order.
    Record(MakeCapture("t6", "2026-03-04T08:00:00",
                       {MakeRecord("A", "03/01/2026", {"Case Leakage 130 uA", "Line Voltage 121 V"})}, "Kappa 5100"));
    const auto again = Equipment().LatestTests().value();
    EXPECT_EQ(again[0].kind, "Kappa 5100");
    const auto readings = history::UnpackReadings(again[0].packedReadings);
    ASSERT_EQ(readings.size(), 2u);
    EXPECT_EQ(readings[0].item, 1);
    EXPECT_EQ(readings[0].test, "Case Leakage 130");
    EXPECT_EQ(readings[0].reading, "uA");
    EXPECT_EQ(readings[1].item, 2);
    EXPECT_EQ(readings[1].test, "Line Voltage 121");
}

INSTANTIATE_TEST_SUITE_P(Stores, HistoryStoreContract,
                         ::testing::Values(Backend::Memory, Backend::Sqlite, Backend::Postgres), BackendName);

// What only the SQL store has.
class SqlHistoryStoreTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && test::PostgresUrl().empty()) {
            GTEST_SKIP() << "TESSAPRINT_TEST_POSTGRES_URL is not set (scripts/with-postgres.sh sets it)";
        }
        m_database = std::make_unique<FreshDatabase>(GetParam() == Backend::Postgres);
        ASSERT_EQ(m_database->error(), "");
    }

    std::unique_ptr<SqlHistoryStore> Open()
    {
        auto opened = SqlHistoryStore::Open(m_database->where());
        EXPECT_TRUE(opened) << opened.error().message;
        return opened ? std::move(opened).value() : nullptr;
    }
    QString IdType() const
    {
        return m_database->IsPostgres() ? "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY" : "INTEGER PRIMARY KEY";
    }

    std::unique_ptr<FreshDatabase> m_database;
};

TEST_P(SqlHistoryStoreTest, WhatWasRecordedIsThereForTheNextProgram)
{
    {
        auto store = Open();
        ASSERT_TRUE(store);
        ASSERT_EQ(
            store->Record(MakeCapture("p1", "2026-01-01T08:00:00", {MakeRecord("P-1", "03/14/2015", {"a 1"})})).value(),
            RecordOutcome::Added);
    }
    auto store = Open();
    ASSERT_TRUE(store);
    EXPECT_EQ(store->Lookup("P-1").value().size(), 1u);
    EXPECT_EQ(store->Lookup(" P-1 ").value().size(), 1u); // the ID is trimmed as the records are
    EXPECT_EQ(store->Record(MakeCapture("p1", "2026-01-01T08:00:00", {})).value(), RecordOutcome::AlreadyThere);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), SqlHistoryStore::kSchemaVersion);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings"), 1);
}

TEST_P(SqlHistoryStoreTest, AVersionOneDatabaseIsBroughtUpToDateWithEveryRow)
{
    {
        RawConnection raw(m_database->where());
        ASSERT_TRUE(raw.open()) << raw.error();
        const QString text = m_database->IsPostgres() ? "TEXT COLLATE \"C\"" : "TEXT";
        for (const QString& sql : {
                 QString("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
                 QString("INSERT INTO schema_version (version) VALUES (1)"),
                 QString("CREATE TABLE captures (id %1, captured_at %2 NOT NULL, kind %2 NOT NULL, port %2 NOT NULL, "
                         "archive_name %2 NOT NULL, lines_hash %2 NOT NULL UNIQUE, recorded_at %2 NOT NULL)")
                     .arg(IdType(), text),
                 QString("CREATE TABLE records (id %1, capture_id BIGINT NOT NULL REFERENCES captures (id), position "
                         "INTEGER NOT NULL, equipment_id %2 NOT NULL, test_date %2 NOT NULL)")
                     .arg(IdType(), text),
                 QString("CREATE TABLE readings (record_id BIGINT NOT NULL REFERENCES records (id), item INTEGER NOT "
                         "NULL, value %1 NOT NULL, test %1 NOT NULL, reading %1 NOT NULL, PRIMARY KEY (record_id, "
                         "item))")
                     .arg(text),
                 QString("CREATE INDEX records_equipment_id ON records (equipment_id)"),
                 QString("INSERT INTO captures (id, captured_at, kind, port, archive_name, lines_hash, recorded_at) "
                         "VALUES (1, '2026-01-09T10:00:00', 'Quellmax', 'COM1', 'a.txt', 'old1', 'then'), "
                         "(2, '2026-01-02T10:00:00', 'PTRX', '', 'b.txt', 'old2', 'then')"),
                 QString("INSERT INTO records (id, capture_id, position, equipment_id, test_date) VALUES "
                         "(1, 1, 0, 'Old-7', '3/7/2015'), (2, 1, 1, 'OLD-8', 'garbage'), (3, 2, 0, 'Old-7', "
                         "'12/31/2014')"),
                 QString("INSERT INTO readings (record_id, item, value, test, reading) VALUES (1, 1, 'v 1', 'v', '1'), "
                         "(1, 2, 'w 2', 'w', '2'), (3, 1, 'z 9', 'z', '9')"),
             }) {
            ASSERT_TRUE(raw.Exec(sql)) << sql.toStdString() << ": " << raw.error();
        }
        // The rows above came with their ids, as the program's own would have
        // taken them from the identity columns.
        if (m_database->IsPostgres()) {
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('captures', 'id'), 2)"), 0) << raw.error();
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('records', 'id'), 3)"), 0) << raw.error();
        }
    }
    auto store = Open();
    ASSERT_TRUE(store);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), SqlHistoryStore::kSchemaVersion);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM schema_version"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records WHERE test_day IS NULL"), 1); // 'garbage'
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records WHERE test_day = '2015-03-07' AND equipment_key = 'old-7'"), 1);

    // The old rows answer as new ones: by test day, readings kept.
    const auto old7 = store->Lookup("Old-7").value();
    ASSERT_EQ(old7.size(), 2u);
    EXPECT_EQ(old7[0].testDay, "2014-12-31");
    EXPECT_EQ(old7[0].kind, "PTRX");
    EXPECT_EQ(old7[0].readings.at(0).value, "z 9");
    EXPECT_EQ(old7[1].capturedAt, "2026-01-09T10:00:00");
    ASSERT_EQ(old7[1].readings.size(), 2u);
    EXPECT_EQ(old7[1].readings[1].reading, "2");
    EXPECT_EQ(store->Ids("old", 10).value(), (std::vector<std::string>{"OLD-8", "Old-7"}));
    // Old captures are still known; new ones go in beside them.
    EXPECT_EQ(store->Record(MakeCapture("old1", "x", {})).value(), RecordOutcome::AlreadyThere);
    EXPECT_EQ(
        store->Record(MakeCapture("new", "2026-02-01T10:00:00", {MakeRecord("Old-7", "2/1/2016", {"n 1"})})).value(),
        RecordOutcome::Added);
    EXPECT_EQ(store->Lookup("Old-7").value().size(), 3u);
    // Opened again: nothing more to do.
    store.reset();
    EXPECT_TRUE(Open());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), 4);
}

TEST_P(SqlHistoryStoreTest, AVersionTwoDatabaseIsUpgradedInPlaceAndItsCapturesKeepTheOldRule)
{
    const std::string fileHash(64, 'b');
    {
        RawConnection raw(m_database->where());
        ASSERT_TRUE(raw.open()) << raw.error();
        const QString text = m_database->IsPostgres() ? "TEXT COLLATE \"C\"" : "TEXT";
        for (const QString& sql : {
                 QString("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
                 QString("INSERT INTO schema_version (version) VALUES (2)"),
                 QString("CREATE TABLE captures (id %1, captured_at %2 NOT NULL, kind %2 NOT NULL, port %2 NOT NULL, "
                         "archive_name %2 NOT NULL, lines_hash %2 NOT NULL UNIQUE, recorded_at %2 NOT NULL)")
                     .arg(IdType(), text),
                 QString("CREATE TABLE records (id %1, capture_id BIGINT NOT NULL REFERENCES captures (id), position "
                         "INTEGER NOT NULL, equipment_id %2 NOT NULL, test_date %2 NOT NULL, test_day %2, "
                         "equipment_key %2 NOT NULL DEFAULT '')")
                     .arg(IdType(), text),
                 QString("CREATE TABLE readings (record_id BIGINT NOT NULL REFERENCES records (id), item INTEGER NOT "
                         "NULL, value %1 NOT NULL, test %1 NOT NULL, reading %1 NOT NULL, PRIMARY KEY (record_id, "
                         "item))")
                     .arg(text),
                 // A capture of the window's (its first part, before a pause) and an imported file.
                 QString("INSERT INTO captures (id, captured_at, kind, port, archive_name, lines_hash, recorded_at) "
                         "VALUES (1, '2026-01-09T10:00:00', 'Quellmax', 'COM1', 'Quellmax-2026-01-09-100000.txt', "
                         "'part1', 'then'), (2, '2026-01-02T10:00:00', 'PTRX', '', 'b.txt', '%1', 'then')")
                     .arg(QString::fromStdString(fileHash)),
                 QString("INSERT INTO records (id, capture_id, position, equipment_id, test_date, test_day, "
                         "equipment_key) VALUES (1, 1, 0, 'Live-1', '1/9/2026', '2026-01-09', 'live-1'), "
                         "(2, 2, 0, 'File-1', '', NULL, 'file-1')"),
                 QString("INSERT INTO readings (record_id, item, value, test, reading) VALUES (1, 1, 'v 1', 'v', '1'), "
                         "(2, 1, 'z 9', 'z', '9')"),
             }) {
            ASSERT_TRUE(raw.Exec(sql)) << sql.toStdString() << ": " << raw.error();
        }
        if (m_database->IsPostgres()) {
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('captures', 'id'), 2)"), 0) << raw.error();
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('records', 'id'), 2)"), 0) << raw.error();
        }
    }
    auto store = Open();
    ASSERT_TRUE(store);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), SqlHistoryStore::kSchemaVersion);
    // In place: the same rows with their ids and their time of writing, and an identity each.
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures WHERE recorded_at = 'then' AND id IN (1, 2)"), 2);
    EXPECT_EQ(raw.Number("SELECT COUNT(DISTINCT capture_uid) FROM captures WHERE capture_uid <> ''"), 2);
    // The file's is the one a new reading of that file gets.
    EXPECT_EQ(raw.Number(QString("SELECT id FROM captures WHERE capture_uid = '%1'")
                             .arg(QString::fromStdString(history::SavedCaptureIdentity(fileHash)))),
              2);

    // The rest of the window's printout, from a queue of before (no identity of its own): it grows that capture.
    HistoryCapture rest =
        MakeCapture("part2", "2026-01-09T10:00:00", {MakeRecord("Live-1", "1/9/2026", {"v 1", "w 2"})});
    rest.archiveName = "Quellmax-2026-01-09-100000.txt";
    EXPECT_EQ(store->Record(rest).value(), RecordOutcome::Added);
    ASSERT_EQ(store->Lookup("Live-1").value().size(), 1u);
    EXPECT_EQ(store->Lookup("Live-1").value()[0].readings.size(), 2u);
    // The same file imported again adds nothing.
    HistoryCapture again = MakeCapture(fileHash, "2026-01-02T10:00:00", {MakeRecord("File-1", "", {"z 9"})});
    again.port.clear();
    again.archiveName = "b.txt";
    again.captureId = history::SavedCaptureIdentity(fileHash);
    EXPECT_EQ(store->Record(again).value(), RecordOutcome::AlreadyThere);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 2);
}

TEST_P(SqlHistoryStoreTest, AVersionThreeDatabaseGetsVerdictsInPlaceItsRowsKeptUnjudged)
{
    {
        RawConnection raw(m_database->where());
        ASSERT_TRUE(raw.open()) << raw.error();
        const QString text = m_database->IsPostgres() ? "TEXT COLLATE \"C\"" : "TEXT";
        for (const QString& sql : {
                 QString("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
                 QString("INSERT INTO schema_version (version) VALUES (3)"),
                 QString("CREATE TABLE captures (id %1, captured_at %2 NOT NULL, kind %2 NOT NULL, port %2 NOT NULL, "
                         "archive_name %2 NOT NULL, lines_hash %2 NOT NULL UNIQUE, recorded_at %2 NOT NULL, "
                         "capture_uid %2 NOT NULL)")
                     .arg(IdType(), text),
                 QString("CREATE TABLE records (id %1, capture_id BIGINT NOT NULL REFERENCES captures (id), "
                         "position INTEGER NOT NULL, equipment_id %2 NOT NULL, test_date %2 NOT NULL, test_day %2, "
                         "equipment_key %2 NOT NULL DEFAULT '')")
                     .arg(IdType(), text),
                 QString("CREATE TABLE readings (record_id BIGINT NOT NULL REFERENCES records (id), item INTEGER NOT "
                         "NULL, value %1 NOT NULL, test %1 NOT NULL, reading %1 NOT NULL, PRIMARY KEY (record_id, "
                         "item))")
                     .arg(text),
                 QString("INSERT INTO captures (id, captured_at, kind, port, archive_name, lines_hash, recorded_at, "
                         "capture_uid) VALUES (1, '2026-01-09T10:00:00', 'Quellmax', 'COM1', 'a.txt', 'old3', "
                         "'then', 'uid-old3')"),
                 QString("INSERT INTO records (id, capture_id, position, equipment_id, test_date, test_day, "
                         "equipment_key) VALUES (1, 1, 0, 'Old-3', '1/9/2026', '2026-01-09', 'old-3')"),
                 QString("INSERT INTO readings (record_id, item, value, test, reading) VALUES "
                         "(1, 1, 'Case Leakage 120 uA', 'Case Leakage', '120 uA'), (1, 2, 'x 1', 'x', '1')"),
             }) {
            ASSERT_TRUE(raw.Exec(sql)) << sql.toStdString() << ": " << raw.error();
        }
        if (m_database->IsPostgres()) {
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('captures', 'id'), 1)"), 0) << raw.error();
            ASSERT_GE(raw.Number("SELECT setval(pg_get_serial_sequence('records', 'id'), 1)"), 0) << raw.error();
        }
    }
    auto store = Open();
    ASSERT_TRUE(store);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), 6);
    // The same rows, the same ids: upgraded, not rebuilt.
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures WHERE id = 1 AND recorded_at = 'then'"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings WHERE record_id = 1 AND verdict = '' AND verdict_limit = '' "
                         "AND verdict_rule = ''"),
              2);
    const auto old = store->Lookup("Old-3").value();
    ASSERT_EQ(old.size(), 1u);
    EXPECT_EQ(VerdictsOf(old[0]), (std::vector<std::string>{" ", "||", "||"}));
    EXPECT_EQ(old[0].readings[0].reading, "120 uA");
    const auto tests = store->LatestTests().value();
    ASSERT_EQ(tests.size(), 1u);
    const auto latest = history::UnpackReadings(tests[0].packedReadings);
    ASSERT_EQ(latest.size(), 2u) << "the records there get their packed readings, in item order";
    EXPECT_EQ(latest[0].test, "Case Leakage");
    EXPECT_EQ(latest[1].item, 2);
    // A new capture beside them keeps its verdicts.
    ASSERT_EQ(store
                  ->Record(MakeCapture("new3", "2026-02-01T10:00:00",
                                       {Judged(MakeRecord("Old-3", "2/1/2026", {"Case Leakage 1 uA"}), "p", {"pass"})}))
                  .value(),
              RecordOutcome::Added);
    const auto both = store->Lookup("Old-3").value();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(VerdictsOf(both[0])[0], " ");
    EXPECT_EQ(VerdictsOf(both[1])[0], "p p-v1");
}

TEST_P(SqlHistoryStoreTest, ANewerSchemaIsRefusedAndLeftAlone)
{
    {
        RawConnection raw(m_database->where());
        ASSERT_TRUE(raw.Exec("CREATE TABLE schema_version (version INTEGER NOT NULL)")) << raw.error();
        ASSERT_TRUE(raw.Exec("INSERT INTO schema_version (version) VALUES (7)")) << raw.error();
        ASSERT_TRUE(raw.Exec("CREATE TABLE captures (future TEXT)")) << raw.error();
    }
    const auto opened = SqlHistoryStore::Open(m_database->where());
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.error().message.find("version 7, newer than this program knows (6)"), std::string::npos)
        << opened.error().message;
    EXPECT_NE(opened.error().message.find(m_database->where().Describe()), std::string::npos);
    EXPECT_NE(opened.error().code, kErrorUnreachable);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), 7);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 0);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), -1); // never created
}

TEST_P(SqlHistoryStoreTest, AVersionFourDatabaseGetsTheEquipmentListInPlaceItsRowsKept)
{
    {
        // A database of version 4: the tables of now without the equipment
        // list, its index and the records' packed readings.
        auto store = Open();
        ASSERT_TRUE(store);
        ASSERT_EQ(store
                      ->Record(MakeCapture("v4", "2026-01-09T10:00:00",
                                           {MakeRecord("Old-4", "1/9/2026", {"Case Leakage 1 uA"})}))
                      .value(),
                  RecordOutcome::Added);
        RawConnection raw(m_database->where());
        for (const QString& sql : {QString("DROP INDEX records_equipment_day"), QString("DROP TABLE equipment"),
                                   QString("ALTER TABLE records DROP COLUMN readings_packed"),
                                   QString("UPDATE schema_version SET version = 4")}) {
            ASSERT_TRUE(raw.Exec(sql)) << sql.toStdString() << ": " << raw.error();
        }
    }
    auto store = Open();
    ASSERT_TRUE(store);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT version FROM schema_version"), 6);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM equipment"), 0);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records WHERE id = 1 AND equipment_id = 'Old-4'"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings WHERE record_id = 1"), 1);
    ASSERT_EQ(CountsOf(store->ImportEquipment(Devices("Old-4,Pump,ICU,I,,12,,,\n"))),
              "1 added, 0 replaced, 0 unchanged");
    const auto tests = store->LatestTests().value();
    ASSERT_EQ(tests.size(), 1u);
    EXPECT_EQ(tests[0].testDay, "2026-01-09");
    const auto readings = history::UnpackReadings(tests[0].packedReadings);
    ASSERT_EQ(readings.size(), 1u) << "the records there get their packed readings";
    EXPECT_EQ(readings[0].test, "Case Leakage 1");
}

// Two programs (threads, each with its store) import two lists of the same IDs at once.
TEST_P(SqlHistoryStoreTest, TwoImportsAtOnceLeaveOneListOrTheOtherNeverAMix)
{
    ASSERT_TRUE(Open()); // the schema, so both start from the same place
    constexpr int kShared = 1500;
    const auto list = [](const std::string& location, const std::string& own) {
        std::string lines;
        for (int i = 0; i < kShared; ++i) {
            lines += "S-" + std::to_string(i) + ",Pump," + location + ",I,,12,,,\n";
        }
        return Devices(lines + own + ",Own," + location + ",II,,6,,,\n");
    };
    const auto mine = list("Ward 1", "MINE");
    const auto theirs = list("Ward 2", "THEIRS");
    Result<history::EquipmentImportCounts> counts[2] = {Error{kErrorFail, "not run"}, Error{kErrorFail, "not run"}};
    const auto importer = [this](const std::vector<verdict::Device>& devices,
                                 Result<history::EquipmentImportCounts>& outcome) {
        auto opened = SqlHistoryStore::Open(m_database->where());
        if (!opened) {
            outcome = opened.error();
            return;
        }
        outcome = opened.value()->ImportEquipment(devices);
    };
    std::thread one(importer, std::cref(mine), std::ref(counts[0]));
    std::thread two(importer, std::cref(theirs), std::ref(counts[1]));
    one.join();
    two.join();
    ASSERT_TRUE(counts[0]) << counts[0].error().message;
    ASSERT_TRUE(counts[1]) << counts[1].error().message;
    // One ran after the other: it found every shared ID there and replaced it.
    EXPECT_EQ(counts[0].value().added + counts[1].value().added, kShared + 2);
    EXPECT_EQ(counts[0].value().replaced + counts[1].value().replaced, kShared);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM equipment"), kShared + 2);
    EXPECT_EQ(raw.Number("SELECT COUNT(DISTINCT location) FROM equipment WHERE equipment_id LIKE 'S-%'"), 1);
}

// Two programs (here threads, each with its store and connection) record at once.
TEST_P(SqlHistoryStoreTest, TwoWritersAtOnceKeepEveryCaptureOnce)
{
    ASSERT_TRUE(Open()); // the schema, so both start from the same place
    const auto same = TwentyCaptures("same");
    const auto mine = TwentyCaptures("mine");
    const auto theirs = TwentyCaptures("theirs");
    struct Tally {
        int added = 0;
        int already = 0;
        std::string failure;
    };
    const auto writer = [this](std::vector<HistoryCapture> captures, bool reversed, Tally& tally) {
        if (reversed) {
            std::reverse(captures.begin(), captures.end());
        }
        auto opened = SqlHistoryStore::Open(m_database->where());
        if (!opened) {
            tally.failure = opened.error().message;
            return;
        }
        for (const HistoryCapture& capture : captures) {
            const auto outcome = opened.value()->Record(capture);
            if (!outcome) {
                tally.failure = outcome.error().message;
                return;
            }
            ++(outcome.value() == RecordOutcome::Added ? tally.added : tally.already);
        }
    };
    Tally a, b;
    {
        std::vector<HistoryCapture> first = same;
        first.insert(first.end(), mine.begin(), mine.end());
        std::vector<HistoryCapture> second = same;
        second.insert(second.end(), theirs.begin(), theirs.end());
        std::thread one(writer, first, false, std::ref(a));
        std::thread two(writer, second, true, std::ref(b));
        one.join();
        two.join();
    }
    ASSERT_EQ(a.failure, "");
    ASSERT_EQ(b.failure, "");
    EXPECT_EQ(a.added + b.added, 60);
    EXPECT_EQ(a.already + b.already, 20);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 60);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), 180);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings"), 180);
    EXPECT_EQ(raw.Number("SELECT COUNT(DISTINCT lines_hash) FROM captures"), 60);
    auto store = Open();
    EXPECT_EQ(store->Lookup("SHARED").value().size(), 60u);
    EXPECT_EQ(store->Lookup("same-A7").value().size(), 1u);
}

TEST_P(SqlHistoryStoreTest, TwoProgramsOpeningANewDatabaseAtOnceBothGetTheSchema)
{
    std::string failures[2];
    const auto opener = [this](std::string& failure) {
        auto opened = SqlHistoryStore::Open(m_database->where());
        if (!opened) {
            failure = opened.error().message;
            return;
        }
        const auto outcome = opened.value()->Record(MakeCapture("first", "2026-01-01T00:00:00", {}));
        if (!outcome) {
            failure = outcome.error().message;
        }
    };
    std::thread one(opener, std::ref(failures[0]));
    std::thread two(opener, std::ref(failures[1]));
    one.join();
    two.join();
    EXPECT_EQ(failures[0], "");
    EXPECT_EQ(failures[1], "");
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM schema_version"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 1);
}

TEST_P(SqlHistoryStoreTest, ACaptureTheDatabaseRefusesIsToldFromAServerAwayAndLeavesNothing)
{
    auto store = Open();
    ASSERT_TRUE(store);
    // Two readings numbered 1 (a queue file edited by hand): the readings' key refuses it, every time.
    HistoryCapture twice = MakeCapture("twice", "2026-07-01T09:00:00", {MakeRecord("R-1", "", {"a 1", "b 2"})});
    twice.records[0].readings[1].item = 1;
    const auto refused = store->Record(twice);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, history::kErrorCaptureRefused) << refused.error().message;
    EXPECT_NE(refused.error().message.find(m_database->where().Describe()), std::string::npos);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 0);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), 0);
    EXPECT_EQ(store->Record(MakeCapture("next", "2026-07-01T09:05:00", {MakeRecord("R-2", "", {"a 1"})})).value(),
              RecordOutcome::Added);
}

// The window's recorder on the database: a line with a NUL goes in, a capture
// the database refuses is set aside with its reason, and the one behind it
// does not wait.
TEST_P(SqlHistoryStoreTest, TheRecorderSetsARefusedCaptureAsideAndGoesOn)
{
    QTemporaryDir folder;
    ManualClock clock;
    const QString queueFile = folder.filePath("history-queue.json");
    std::vector<std::string> status;
    QtHistoryRecorder recorder(
        [this]() -> std::unique_ptr<history::HistoryStore> {
            auto opened = SqlHistoryStore::Open(m_database->where());
            return opened ? std::move(opened).value() : nullptr;
        },
        clock, queueFile, [&status](const std::string& text) { status.push_back(text); });

    const std::string nul(1, '\0');
    HistoryCapture withNul =
        MakeCapture("", "2026-07-02T09:00:00", {MakeRecord("N" + nul + "UL", "", {"a" + nul + " 1"})});
    withNul.captureId = history::NewCaptureId();
    recorder.Submit(withNul, {"EquipmentID: N" + nul + "UL", "1.a" + nul + " 1"});
    HistoryCapture twice = MakeCapture("", "2026-07-02T09:01:00", {MakeRecord("R-1", "", {"a 1", "b 2"})});
    twice.records[0].readings[1].item = 1;
    twice.captureId = history::NewCaptureId();
    recorder.Submit(twice, {"EquipmentID: R-1", "1.a 1", "1.b 2"});
    recorder.Submit(MakeCapture("", "2026-07-02T09:02:00", {MakeRecord("AFTER", "", {"a 1"})}),
                    {"EquipmentID: AFTER", "1.a 1"});
    QElapsedTimer waited;
    waited.start();
    while (recorder.WaitingCount() > 0 && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(recorder.WaitingCount(), 0) << (status.empty() ? "" : status.back());
    EXPECT_FALSE(QFile::exists(queueFile));

    auto store = Open();
    EXPECT_EQ(store->Lookup("N" + nul + "UL").value().size(), 1u);
    EXPECT_EQ(store->Lookup("AFTER").value().size(), 1u);
    EXPECT_TRUE(store->Lookup("R-1").value().empty());
    const QDir refused(recorder.refusedFolder());
    const QString base = QString::fromStdString(twice.captureId);
    const Result<std::string> kept = ReadWholeFile(refused.filePath(base + ".json").toStdString());
    ASSERT_TRUE(kept) << kept.error().message;
    EXPECT_NE(kept.value().find("\"R-1\""), std::string::npos);
    const Result<std::string> reason = ReadWholeFile(refused.filePath(base + ".reason.txt").toStdString());
    ASSERT_TRUE(reason) << reason.error().message;
    EXPECT_NE(reason.value().find("refuses this capture"), std::string::npos) << reason.value();
    EXPECT_EQ(refused.entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(std::any_of(status.begin(), status.end(), [&](const std::string& text) {
        return text.find("refused") != std::string::npos &&
               text.find("set aside in " + refused.path().toStdString()) != std::string::npos;
    }));
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlHistoryStoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         BackendName);

TEST(HistoryQueue, ACaptureThatWaitsForTheStoreKeepsItsVerdictsAcrossARestart)
{
    QTemporaryDir folder;
    ManualClock clock;
    const QString queueFile = folder.filePath("history-queue.json");
    test::MemoryHistoryStore store;
    store.FailWith(Error{kErrorUnreachable, "no route to host"});
    const auto factory = [&store] { return history::BorrowHistoryStore(store); };
    const auto waitFor = [](const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    };
    HistoryCapture capture =
        MakeCapture("queued", "2026-07-03T09:00:00",
                    {Judged(MakeRecord("Q-1", "07/03/2026", {"Case Leakage 120 uA", "Line Voltage 120 V"}), "iec62353",
                            {"fail", "no limit"}),
                     MakeRecord("Q-2", "07/03/2026", {"Case Leakage 1 uA"})});
    capture.captureId = history::NewCaptureId();
    {
        QtHistoryRecorder recorder(factory, clock, queueFile);
        recorder.Submit(capture, {"EquipmentID: Q-1"});
        ASSERT_TRUE(waitFor([&] { return recorder.WaitingCount() == 1 && store.RecordCalls() >= 1; }));
    }
    ASSERT_TRUE(QFile::exists(queueFile));
    store.FailWith(std::nullopt);
    QtHistoryRecorder recorder(factory, clock, queueFile);
    ASSERT_TRUE(waitFor([&] { return store.Captures().size() == 1; }));
    const std::vector<HistoryRecord> kept = store.Captures()[0].records;
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(VerdictsOf(kept[0]), VerdictsOf(capture.records[0]));
    EXPECT_EQ(VerdictsOf(kept[1]), (std::vector<std::string>{" ", "||"}));
}

TEST(SqlHistoryStoreWal, AFileAnotherProgramIsWritingWhenItIsOpenedIsWaitedForNotFailed)
{
    // Another program (not in WAL yet) holds the new file's write lock while
    // the store switches the file to WAL: SQLite refuses that switch at once,
    // without its busy wait, so the store waits and tries again.
    QTemporaryDir folder;
    history::HistoryDatabase where;
    where.path = folder.filePath("history.sqlite").toStdString();
    RawConnection other(where);
    ASSERT_TRUE(other.Exec("CREATE TABLE theirs (x INTEGER)")) << other.error();
    ASSERT_TRUE(other.Exec("BEGIN IMMEDIATE")) << other.error();
    ASSERT_TRUE(other.Exec("INSERT INTO theirs VALUES (1)")) << other.error();
    Result<std::unique_ptr<SqlHistoryStore>> opened = Error{kErrorFail, "not opened"};
    std::thread program([&] { opened = SqlHistoryStore::Open(where); });
    // The other program's write takes a moment, as a real one's does.
    QThread::msleep(100);
    ASSERT_TRUE(other.Exec("COMMIT")) << other.error();
    program.join();
    ASSERT_TRUE(opened) << opened.error().message;
    EXPECT_EQ(opened.value()->Record(MakeCapture("w1", "2026-01-01T00:00:00", {})).value(), RecordOutcome::Added);
    EXPECT_EQ(other.Number("SELECT COUNT(*) FROM theirs"), 1);
}

TEST(SqlHistoryStoreErrors, AFileThatIsNoDatabaseOrAFolderThatIsNotThereSaysWhere)
{
    QTemporaryDir folder;
    history::HistoryDatabase where;
    where.path = folder.filePath("missing/history.sqlite").toStdString();
    auto opened = SqlHistoryStore::Open(where);
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.error().message.find(folder.filePath("missing").toStdString() + " does not exist"),
              std::string::npos)
        << opened.error().message;
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("missing")));

    // The program's own place is made when missing.
    where.createFolder = true;
    EXPECT_TRUE(SqlHistoryStore::Open(where)) << "default folder not created";

    where.path = folder.filePath("not-a-database.sqlite").toStdString();
    where.createFolder = false;
    QFile junk(QString::fromStdString(where.path));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    opened = SqlHistoryStore::Open(where);
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.error().message.find("SQLite database " + where.path), std::string::npos)
        << opened.error().message;
    EXPECT_EQ(QFileInfo(junk).size(), 4096); // left as it was
}

TEST(SqlHistoryStoreErrors, AServerThatIsNotThereIsUnreachableAndTheMessageKeepsThePassword)
{
    // A port nothing listens on: refused at once, never a hang.
    history::HistoryDatabase where = history::ParseHistoryDatabase("postgresql://alice@127.0.0.1:1/tessa", "/").value();
    where.password = "s3cret-pass";
    QElapsedTimer timer;
    timer.start();
    const auto opened = SqlHistoryStore::Open(where);
    ASSERT_FALSE(opened);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(opened.error().code, kErrorUnreachable) << opened.error().message;
    EXPECT_NE(opened.error().message.find("PostgreSQL database tessa on 127.0.0.1:1 as alice"), std::string::npos)
        << opened.error().message;
    EXPECT_EQ(opened.error().message.find("s3cret"), std::string::npos);
}

TEST(SqlHistoryStoreErrors, AServerThatNeverAnswersFailsInSecondsNotNever)
{
    // A socket that listens but never accepts: the system completes the
    // connection, and nothing ever answers on it.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ASSERT_EQ(::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));
    history::HistoryDatabase where =
        history::ParseHistoryDatabase("postgresql://alice@127.0.0.1:" + port + "/tessa", "/").value();
    QElapsedTimer timer;
    timer.start();
    const auto opened = SqlHistoryStore::Open(where);
    ASSERT_FALSE(opened);
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(opened.error().code, kErrorUnreachable) << opened.error().message;
    ::close(silent);
}

// The server stops under a store and starts again (TESSAPRINT_TEST_POSTGRES_CTL):
// the store says it cannot be reached, writes nothing half, and records the
// same capture once when the server is back. Runs alone (it stops the server).
class HistoryServerGoesAway : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* ctl = std::getenv("TESSAPRINT_TEST_POSTGRES_CTL");
        if (test::PostgresUrl().empty() || ctl == nullptr) {
            GTEST_SKIP() << "TESSAPRINT_TEST_POSTGRES_URL/_CTL are not set (scripts/with-postgres.sh sets them)";
        }
        m_ctl = ctl;
        m_database = std::make_unique<FreshDatabase>(true);
        ASSERT_EQ(m_database->error(), "");
    }
    void TearDown() override
    {
        if (!m_ctl.empty() && m_stopped) {
            Server("start");
        }
    }
    void Server(const std::string& what)
    {
        ASSERT_EQ(std::system((m_ctl + " " + what + " >/dev/null").c_str()), 0) << what;
        m_stopped = what == "stop";
    }
    HistoryCapture BigCapture()
    {
        std::vector<HistoryRecord> records;
        for (int i = 0; i < 50; ++i) {
            records.push_back(MakeRecord("BIG-" + std::to_string(i), "03/14/2015",
                                         {"Case Leakage 0.1 uA", "Ground 0.12 Ohms", "Line 120 V"}));
        }
        return MakeCapture("big", "2026-05-01T12:00:00", std::move(records));
    }

    std::string m_ctl;
    bool m_stopped = false;
    std::unique_ptr<FreshDatabase> m_database;
};

TEST_F(HistoryServerGoesAway, BeforeARecordTheCaptureWaitsAndGoesInOnceWhenItIsBack)
{
    auto store = SqlHistoryStore::Open(m_database->where());
    ASSERT_TRUE(store) << store.error().message;
    Server("stop");
    const auto failed = store.value()->Record(BigCapture());
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code, kErrorUnreachable) << failed.error().message;
    EXPECT_NE(failed.error().message.find(m_database->where().Describe()), std::string::npos);
    EXPECT_EQ(store.value()->Lookup("BIG-1").error().code, kErrorUnreachable);
    Server("start");
    EXPECT_EQ(store.value()->Record(BigCapture()).value(), RecordOutcome::Added);
    EXPECT_EQ(store.value()->Record(BigCapture()).value(), RecordOutcome::AlreadyThere);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings"), 150);
}

TEST_F(HistoryServerGoesAway, InTheMiddleOfARecordNothingIsHalfWritten)
{
    auto store = SqlHistoryStore::Open(m_database->where());
    ASSERT_TRUE(store) << store.error().message;
    // Another session holds the readings table, so the Record stops after its
    // capture and records went in, inside its transaction.
    RawConnection holder(m_database->where());
    ASSERT_TRUE(holder.Exec("BEGIN")) << holder.error();
    ASSERT_TRUE(holder.Exec("LOCK TABLE readings IN EXCLUSIVE MODE")) << holder.error();
    Result<RecordOutcome> outcome = RecordOutcome::Added;
    std::thread writer([&] { outcome = store.value()->Record(BigCapture()); });
    {
        RawConnection watcher(m_database->where());
        QElapsedTimer waited;
        waited.start();
        while (watcher.Number("SELECT COUNT(*) FROM pg_locks WHERE NOT granted") < 1 && waited.elapsed() < 20000) {
            QThread::msleep(10);
        }
        EXPECT_LT(waited.elapsed(), 20000) << "the Record never waited on the lock";
    }
    Server("stop");
    writer.join();
    ASSERT_FALSE(outcome);
    EXPECT_EQ(outcome.error().code, kErrorUnreachable) << outcome.error().message;
    Server("start");
    {
        RawConnection raw(m_database->where());
        EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 0);
        EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), 0);
    }
    EXPECT_EQ(store.value()->Record(BigCapture()).value(), RecordOutcome::Added);
    EXPECT_EQ(store.value()->Record(BigCapture()).value(), RecordOutcome::AlreadyThere);
    RawConnection raw(m_database->where());
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM captures"), 1);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM records"), 50);
    EXPECT_EQ(raw.Number("SELECT COUNT(*) FROM readings"), 150);
}

} // namespace
} // namespace tessaprint
