#include "history/DueList.h"

#include "history/PackedReadings.h"

#include "results/InstrumentKind.h"
#include "text/JsonWriter.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace tessaprint::history {

namespace {

// "YYYY-MM-DD" exactly, a day of the calendar; no locale, no time zone.
std::optional<std::chrono::year_month_day> ReadIsoDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    int fields[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (std::size_t i = starts[f]; i < starts[f] + lengths[f]; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return std::nullopt;
            }
            fields[f] = fields[f] * 10 + (text[i] - '0');
        }
    }
    const std::chrono::year_month_day day{std::chrono::year(fields[0]),
                                          std::chrono::month(static_cast<unsigned>(fields[1])),
                                          std::chrono::day(static_cast<unsigned>(fields[2]))};
    if (!day.ok() || fields[0] == 0) {
        return std::nullopt;
    }
    return day;
}

std::string WriteIsoDay(const std::chrono::year_month_day& day)
{
    const int year = static_cast<int>(day.year());
    const unsigned month = static_cast<unsigned>(day.month());
    const unsigned dayOfMonth = static_cast<unsigned>(day.day());
    std::string text(10, '0');
    text[0] = static_cast<char>('0' + year / 1000 % 10);
    text[1] = static_cast<char>('0' + year / 100 % 10);
    text[2] = static_cast<char>('0' + year / 10 % 10);
    text[3] = static_cast<char>('0' + year % 10);
    text[4] = '-';
    text[5] = static_cast<char>('0' + month / 10);
    text[6] = static_cast<char>('0' + month % 10);
    text[7] = '-';
    text[8] = static_cast<char>('0' + dayOfMonth / 10);
    text[9] = static_cast<char>('0' + dayOfMonth % 10);
    return text;
}

bool LastTestFailed(const verdict::VerdictEngine* engine, const LatestTest& test)
{
    if (engine == nullptr || test.packedReadings.empty()) {
        return false;
    }
    const std::optional<InstrumentKind> kind = KindFromUnitType(test.kind);
    if (!kind) {
        return false; // a capture of no known instrument has no rules to judge by
    }
    const std::vector<PackedReading> readings = UnpackReadings(test.packedReadings);
    std::vector<verdict::ReadingText> rows;
    rows.reserve(readings.size());
    for (const PackedReading& reading : readings) {
        rows.push_back({reading.test, reading.reading});
    }
    return engine->JudgeOutcome(*kind, test.equipmentId, rows) == verdict::RecordOutcome::Fail;
}

// Which of the wanted tests failed (by place in tests), judged on up to four
// threads: judging is most of the due list's time on a large list, and each
// test is judged alone.
std::vector<char> FailedTests(const verdict::VerdictEngine* engine, const std::vector<LatestTest>& tests,
                              const std::vector<char>& wanted)
{
    std::vector<char> failed(tests.size(), 0);
    if (engine == nullptr) {
        return failed;
    }
    const auto judge = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            failed[i] = wanted[i] != 0 && LastTestFailed(engine, tests[i]) ? 1 : 0;
        }
    };
    constexpr std::size_t kTestsPerThread = 2000; // below that a thread costs more than it saves
    const auto wantedCount = static_cast<std::size_t>(std::count(wanted.begin(), wanted.end(), 1));
    const std::size_t threads =
        std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 4, wantedCount / kTestsPerThread});
    if (threads < 2) {
        judge(0, tests.size());
        return failed;
    }
    std::vector<std::thread> helpers;
    const std::size_t share = (tests.size() + threads - 1) / threads;
    try {
        for (std::size_t t = 1; t < threads; ++t) {
            helpers.emplace_back(judge, t * share, std::min(tests.size(), (t + 1) * share));
        }
    } catch (const std::system_error&) {
        // No thread to be had: this one judges what the others would have.
        judge(share * (helpers.size() + 1), tests.size());
    }
    judge(0, share);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return failed;
}

} // namespace

std::string_view DueStatusWord(DueStatus status)
{
    switch (status) {
    case DueStatus::Failed:
        return "failed";
    case DueStatus::Overdue:
        return "overdue";
    case DueStatus::DueSoon:
        return "due soon";
    case DueStatus::Ok:
        return "ok";
    case DueStatus::NeverTested:
        return "never tested";
    case DueStatus::UnknownDate:
        return "unknown date";
    case DueStatus::NotInList:
        return "not in the list";
    }
    return {};
}

std::optional<std::string> AddMonths(std::string_view isoDay, int months)
{
    const std::optional<std::chrono::year_month_day> day = ReadIsoDay(isoDay);
    if (!day) {
        return std::nullopt;
    }
    const std::chrono::year_month month = day->year() / day->month() + std::chrono::months(months);
    if (!month.ok() || static_cast<int>(month.year()) < 1 || static_cast<int>(month.year()) > 9999) {
        return std::nullopt;
    }
    const std::chrono::day last = (month / std::chrono::last).day();
    return WriteIsoDay(month / std::min(day->day(), last));
}

std::vector<DueEntry> MakeDueList(const std::vector<verdict::Device>& devices, const std::vector<LatestTest>& tests,
                                  const verdict::VerdictEngine* engine, std::string_view on, int withinDays)
{
    std::unordered_map<std::string_view, const LatestTest*> testOf;
    testOf.reserve(tests.size());
    for (const LatestTest& test : tests) {
        testOf.emplace(test.equipmentId, &test);
    }
    const std::optional<std::chrono::year_month_day> today = ReadIsoDay(on);
    const std::chrono::sys_days todayDays = today ? std::chrono::sys_days(*today) : std::chrono::sys_days();

    // The tests to judge: those of listed devices with a due day.
    std::vector<char> wanted(tests.size(), 0);
    for (const verdict::Device& device : devices) {
        const auto found = testOf.find(device.equipmentId);
        if (found != testOf.end() && found->second->testDay) {
            wanted[static_cast<std::size_t>(found->second - tests.data())] = 1;
        }
    }
    const std::vector<char> failed = FailedTests(engine, tests, wanted);

    std::vector<DueEntry> entries;
    entries.reserve(devices.size());
    std::unordered_set<std::string_view> listed;
    listed.reserve(devices.size());
    for (const verdict::Device& device : devices) {
        listed.insert(device.equipmentId);
        DueEntry entry;
        entry.equipmentId = device.equipmentId;
        entry.description = device.description;
        entry.location = device.location;
        entry.intervalMonths = device.intervalMonths;
        const auto found = testOf.find(device.equipmentId);
        if (found == testOf.end()) {
            entry.status = DueStatus::NeverTested;
            entries.push_back(std::move(entry));
            continue;
        }
        const LatestTest& test = *found->second;
        const std::optional<std::string> due =
            test.testDay ? AddMonths(*test.testDay, device.intervalMonths) : std::nullopt;
        if (!due) {
            entry.status = DueStatus::UnknownDate;
            entries.push_back(std::move(entry));
            continue;
        }
        entry.lastTest = test.testDay;
        entry.due = due;
        const auto daysLeft = (std::chrono::sys_days(*ReadIsoDay(*due)) - todayDays).count();
        if (failed[static_cast<std::size_t>(&test - tests.data())] != 0) {
            entry.status = DueStatus::Failed;
        } else if (daysLeft < 0) {
            entry.status = DueStatus::Overdue;
        } else if (daysLeft <= withinDays) {
            entry.status = DueStatus::DueSoon;
        } else {
            entry.status = DueStatus::Ok;
        }
        entries.push_back(std::move(entry));
    }
    // Without a due day first (nothing says when they were tested), then the
    // soonest due; the same day in ID order. ISO days sort as text.
    std::sort(entries.begin(), entries.end(), [](const DueEntry& a, const DueEntry& b) {
        if (a.due.has_value() != b.due.has_value()) {
            return !a.due.has_value();
        }
        if (a.due && *a.due != *b.due) {
            return *a.due < *b.due;
        }
        return a.equipmentId < b.equipmentId;
    });

    std::vector<DueEntry> unlisted;
    for (const LatestTest& test : tests) {
        if (listed.count(test.equipmentId) != 0) {
            continue;
        }
        DueEntry entry;
        entry.equipmentId = test.equipmentId;
        entry.lastTest = test.testDay && ReadIsoDay(*test.testDay) ? test.testDay : std::nullopt;
        entry.status = DueStatus::NotInList;
        unlisted.push_back(std::move(entry));
    }
    std::sort(unlisted.begin(), unlisted.end(),
              [](const DueEntry& a, const DueEntry& b) { return a.equipmentId < b.equipmentId; });
    entries.insert(entries.end(), std::make_move_iterator(unlisted.begin()), std::make_move_iterator(unlisted.end()));
    return entries;
}

void WriteDueJson(std::ostream& out, std::string_view on, const std::vector<DueEntry>& entries)
{
    JsonWriter json(out);
    const auto optionalString = [&json](const std::optional<std::string>& text) {
        if (text) {
            json.String(*text);
        } else {
            json.Null();
        }
    };
    json.BeginObject();
    json.Key("on");
    json.String(on);
    json.Key("equipment");
    json.BeginArray();
    for (const DueEntry& entry : entries) {
        json.BeginObject();
        json.Key("equipmentId");
        json.String(entry.equipmentId);
        json.Key("description");
        json.String(entry.description);
        json.Key("location");
        json.String(entry.location);
        json.Key("lastTest");
        optionalString(entry.lastTest);
        json.Key("due");
        optionalString(entry.due);
        json.Key("status");
        json.String(DueStatusWord(entry.status));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    out << '\n';
}

} // namespace tessaprint::history
