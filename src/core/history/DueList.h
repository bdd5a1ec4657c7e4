#pragma once

#include "history/EquipmentStore.h"
#include "verdict/VerdictEngine.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::history {

enum class DueStatus { Failed, Overdue, DueSoon, Ok, NeverTested, UnknownDate, NotInList };
// "failed", "overdue", "due soon", "ok", "never tested", "unknown date", "not in the list".
std::string_view DueStatusWord(DueStatus status);

// One line of the test schedule.
struct DueEntry {
    std::string equipmentId;
    std::string description;
    std::string location;
    std::optional<std::string> lastTest; // ISO day
    std::optional<std::string> due;      // ISO day
    DueStatus status = DueStatus::NeverTested;
    int intervalMonths = 0; // 0 for an ID not in the list
};

// An ISO day plus whole months, kept at the month's end where the day does
// not exist ("2015-08-31" + 6 = "2016-02-29"); none for a text that is no day.
std::optional<std::string> AddMonths(std::string_view isoDay, int months);

// The schedule on the day `on` (ISO): a device is "failed" when its last
// test has a failing reading (judged by its profile with `engine`; none: not
// judged), else "overdue" when due before `on`, "due soon" within
// `withinDays`, else "ok"; "never tested" without a record; "unknown date"
// when records exist but none has a readable day. Sorted by due day,
// never-tested and unknown-date first; IDs tested but not in the list after
// all others, "not in the list".
std::vector<DueEntry> MakeDueList(const std::vector<verdict::Device>& devices, const std::vector<LatestTest>& tests,
                                  const verdict::VerdictEngine* engine, std::string_view on, int withinDays);

// {"on", "equipment": [{"equipmentId", "description", "location", "lastTest", "due", "status"}]}
void WriteDueJson(std::ostream& out, std::string_view on, const std::vector<DueEntry>& entries);

} // namespace tessaprint::history
