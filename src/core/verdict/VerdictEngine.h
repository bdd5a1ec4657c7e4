#pragma once

#include "results/InstrumentKind.h"
#include "text/StringViewHash.h"
#include "util/Result.h"
#include "verdict/EquipmentList.h"
#include "verdict/LimitsProfile.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::verdict {

// What one reading gets.
enum class Outcome {
    Pass,
    Fail,
    Unreadable, // a rule covers it, but its number cannot be read strictly
    NoLimit,    // no rule covers it (voltages, the analyzer's stimulus lines)
    NotJudged,  // a rule covers it but needs what is missing: the applied part type, a setting
};
// "pass", "fail", "unreadable", "no limit", "not judged".
std::string_view OutcomeWord(Outcome outcome);

enum class RecordOutcome { Pass, Fail, Incomplete, NotJudged };
// "pass", "fail", "incomplete", "not judged".
std::string_view RecordOutcomeWord(RecordOutcome outcome);

struct ReadingVerdict {
    Outcome outcome = Outcome::NoLimit;
    std::string limit;  // "≤ 10 µA", "200 J ± 30 J"; empty for no limit
    std::string ruleId; // empty for no limit
    std::string source; // the rule's source note
    std::string why;    // for unreadable and not judged: "needs the applied part type"
    std::string hint;   // "nearest standard step: 200 J", never used as the setting
};

// One row of a record as the Item/Test/Reading list shows it.
struct ReadingRow {
    std::string item;
    std::string test;
    std::string reading;
};

// The same, as views into texts the caller keeps.
struct ReadingText {
    std::string_view test;
    std::string_view reading;
};

struct RecordVerdict {
    std::string equipmentId;
    RecordOutcome outcome = RecordOutcome::NotJudged;
    std::string profileName;
    std::string profileVersion;
    std::vector<ReadingVerdict> readings; // one per row, in row order
};

// fail if any reading fails; else incomplete if any is unreadable or not
// judged; else pass if at least one passed; else not judged.
RecordOutcome CombineOutcomes(const std::vector<ReadingVerdict>& readings);

// Judges the readings of records by the limits of their device's profile.
class VerdictEngine {
public:
    // `defaultProfile` empty: the library's default. The caller has checked
    // that it and every device's profile are in the library.
    VerdictEngine(LimitsLibrary library, EquipmentList equipment, std::string defaultProfile = {});

    // The profile used for a device: its `profile` column, else the default.
    // A device not in the list is class I with unknown applied parts.
    RecordVerdict JudgeRecord(InstrumentKind kind, std::string_view equipmentId,
                              const std::vector<ReadingRow>& rows) const;
    // The outcome JudgeRecord gives the same readings, without the texts of
    // each reading's verdict: for judging many records at once.
    RecordOutcome JudgeOutcome(InstrumentKind kind, std::string_view equipmentId,
                               const std::vector<ReadingText>& rows) const;

    const LimitsLibrary& library() const { return m_library; }
    const EquipmentList& equipment() const { return m_equipment; }
    // The default profile, as the verdict output names it at its top.
    const Profile& defaultProfile() const;

private:
    // Of one profile, per instrument kind, the places of its rules for a
    // test name (trimmed), in the profile's order.
    using RulesByTest = std::array<StringMap<std::vector<std::size_t>>, 3>;

    template <class Row>
    RecordVerdict Judge(InstrumentKind kind, std::string_view equipmentId, const std::vector<Row>& rows,
                        bool texts) const;

    LimitsLibrary m_library;
    EquipmentList m_equipment;
    std::string m_defaultProfile;
    std::vector<RulesByTest> m_rulesByTest; // one per profile of the library, in its order
};

} // namespace tessaprint::verdict
