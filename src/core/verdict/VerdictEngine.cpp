#include "verdict/VerdictEngine.h"

#include "text/DecimalText.h"
#include "text/Trim.h"
#include "verdict/ReadingValue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace tessaprint::verdict {

namespace {

constexpr std::string_view kAtMost = "\xE2\x89\xA4";   // ≤
constexpr std::string_view kAtLeast = "\xE2\x89\xA5";  // ≥
constexpr std::string_view kPlusMinus = "\xC2\xB1";    // ±
constexpr std::string_view kEllipsis = "\xE2\x80\xA6"; // …

// The energies a defibrillator offers, in J: a reading without a setting is
// shown the nearest as a hint, never judged against it.
constexpr std::array<double, 25> kDefibrillatorSteps{1,  2,  3,   4,   5,   6,   7,   8,   9,   10,  15,  20, 30,
                                                     50, 70, 100, 120, 150, 170, 200, 230, 250, 270, 300, 360};

// A number as a limit shows it: a point whatever the locale, no trailing zeros.
std::string NumberText(double value)
{
    std::string text = WriteDecimal(value, 9);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

// -1, 0 or 1: a reading converted from another unit carries the rounding of
// its scale, which must not put a reading printed at the limit beyond it.
int Compare(double a, double b)
{
    if (std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b))) {
        return 0;
    }
    return a < b ? -1 : 1;
}

std::string Ordinal(int n)
{
    const int tens = n % 100;
    const int ones = n % 10;
    const char* suffix = (tens >= 11 && tens <= 13) ? "th"
                         : ones == 1                ? "st"
                         : ones == 2                ? "nd"
                         : ones == 3                ? "rd"
                                                    : "th";
    return std::to_string(n) + suffix;
}

int ConditionCount(const Rule& rule)
{
    return (rule.classes.empty() ? 0 : 1) + (rule.appliedParts.empty() ? 0 : 1) + (rule.cord ? 1 : 0);
}

// What a record's device brings to the matching.
struct DeviceFacts {
    DeviceClass deviceClass = DeviceClass::I;
    Cord cord = Cord::WithCord;
    bool appliedPartsKnown = false;
    std::optional<AppliedPart> strictest;
    const Device* device = nullptr;
};

// The rule that judges a test for the device, or why there is none.
struct Match {
    const Rule* rule = nullptr;
    bool anyForTest = false;       // the profile has rules for the test at all
    bool needsAppliedPart = false; // a better fitting rule needs the applied part type
};

// `places`: the places in `rules` of the rules for the test (none: no rule is).
Match FindRule(const std::vector<Rule>& rules, const std::vector<std::size_t>* places, const DeviceFacts& facts)
{
    Match match;
    int best = -1;
    int needingParts = -1;
    if (places == nullptr) {
        return match;
    }
    for (const std::size_t place : *places) {
        const Rule* rule = &rules[place];
        match.anyForTest = true;
        if (!rule->classes.empty() &&
            std::find(rule->classes.begin(), rule->classes.end(), facts.deviceClass) == rule->classes.end()) {
            continue;
        }
        if (rule->cord && *rule->cord != facts.cord) {
            continue;
        }
        const int conditions = ConditionCount(*rule);
        if (!rule->appliedParts.empty()) {
            if (!facts.appliedPartsKnown) {
                needingParts = std::max(needingParts, conditions);
                continue;
            }
            if (!facts.strictest || std::find(rule->appliedParts.begin(), rule->appliedParts.end(), *facts.strictest) ==
                                        rule->appliedParts.end()) {
                continue;
            }
        }
        if (conditions >= best) { // the later of two alike wins
            best = conditions;
            match.rule = rule;
        }
    }
    // A rule for the device's applied part type would judge it more closely
    // than any that fits without it: judging by the looser one could pass a
    // reading the right one fails.
    if (needingParts > best) {
        match.rule = nullptr;
        match.needsAppliedPart = true;
    }
    return match;
}

std::string BoundsText(const Rule& rule, std::string_view unit)
{
    const std::string u = " " + std::string(unit);
    const auto low = [&] { return std::string(rule.minStrict ? ">" : kAtLeast) + " " + NumberText(*rule.min); };
    const auto high = [&] { return std::string(rule.maxStrict ? "<" : kAtMost) + " " + NumberText(*rule.max); };
    if (rule.min && rule.max) {
        if (!rule.minStrict && !rule.maxStrict) {
            return NumberText(*rule.min) + " " + std::string(kEllipsis) + " " + NumberText(*rule.max) + u;
        }
        return low() + u + ", " + high() + u;
    }
    if (rule.min) {
        return low() + u;
    }
    if (rule.max) {
        return high() + u;
    }
    return {};
}

std::string ToleranceText(const Tolerance& tolerance, std::optional<double> setting, std::string_view unit)
{
    const std::string u = " " + std::string(unit);
    const std::string pm = std::string(kPlusMinus) + " ";
    if (setting) {
        const double width = std::max(tolerance.absolute, tolerance.relative * std::fabs(*setting));
        return NumberText(*setting) + u + " " + pm + NumberText(width) + u;
    }
    const std::string percent = NumberText(tolerance.relative * 100) + " %";
    if (tolerance.absolute > 0 && tolerance.relative > 0) {
        return "setting " + pm + NumberText(tolerance.absolute) + u + " or " + percent + ", the larger";
    }
    return "setting " + pm + (tolerance.relative > 0 ? percent : NumberText(tolerance.absolute) + u);
}

std::string LimitText(const Rule& rule, std::optional<double> setting, std::string_view unit)
{
    std::string text = BoundsText(rule, unit);
    if (rule.tolerance) {
        text += (text.empty() ? "" : ", ") + ToleranceText(*rule.tolerance, setting, unit);
    }
    return text;
}

// The number of the reading that the rule judges, or why there is none.
const Measured* PickNumber(const ReadingFields& fields, const Rule& rule, InstrumentKind kind, std::string& why)
{
    if (!rule.fieldUnit.empty()) {
        const auto field = UnitFromText(rule.fieldUnit, kind);
        const Measured* found = nullptr;
        for (const Measured& number : fields.numbers) {
            if (field && !number.unit.name.empty() && number.unit.quantity == field->quantity) {
                if (found) {
                    why = "two numbers in " + std::string(field->name);
                    return nullptr;
                }
                found = &number;
            }
        }
        if (!found) {
            why = "no number in " + std::string(field ? field->name : std::string_view(rule.fieldUnit));
        }
        return found;
    }
    if (rule.fieldPosition > 0) {
        if (static_cast<std::size_t>(rule.fieldPosition) > fields.numbers.size()) {
            why = "no " + Ordinal(rule.fieldPosition) + " number";
            return nullptr;
        }
        return &fields.numbers[static_cast<std::size_t>(rule.fieldPosition - 1)];
    }
    if (fields.numbers.size() != 1) {
        why = "more than one number";
        return nullptr;
    }
    if (!fields.words.empty()) {
        why = "words beside the number";
        return nullptr;
    }
    return &fields.numbers.front();
}

std::string NearestStep(double joules)
{
    const auto nearest =
        std::min_element(kDefibrillatorSteps.begin(), kDefibrillatorSteps.end(),
                         [&](double a, double b) { return std::fabs(a - joules) < std::fabs(b - joules); });
    return "nearest standard step: " + NumberText(*nearest) + " J";
}

// The setting for the n-th reading (from 0) of a test, from the device's list entry.
std::optional<double> SettingFor(const Device* device, std::string_view test, std::size_t n)
{
    if (!device) {
        return std::nullopt;
    }
    auto found = device->settings.find(std::string(test));
    if (found == device->settings.end() || n >= found->second.size()) {
        return std::nullopt;
    }
    return found->second[n];
}

struct Judged {
    Outcome outcome = Outcome::Pass;
    std::string why;
};

// Folds one bound's outcome in: a failure beats an unknown, an unknown a pass.
void Fold(Judged& judged, Outcome outcome, std::string why)
{
    if (outcome == Outcome::Fail && judged.outcome != Outcome::Fail) {
        judged = {Outcome::Fail, std::move(why)};
    } else if (outcome == Outcome::Unreadable && judged.outcome == Outcome::Pass) {
        judged = {Outcome::Unreadable, std::move(why)};
    }
}

// `texts` false: the outcome alone, without the limit, rule, source and why.
ReadingVerdict JudgeReading(const Rule& rule, InstrumentKind kind, std::string_view reading, std::string_view test,
                            std::size_t nth, const DeviceFacts& facts, bool texts)
{
    ReadingVerdict verdict;
    if (texts) {
        verdict.ruleId = rule.id;
        verdict.source = rule.source;
    }
    const auto unit = UnitFromText(rule.unit, kind);
    if (!unit) {
        verdict.outcome = Outcome::NotJudged;
        verdict.why = "the rule's unit \"" + rule.unit + "\" is not known";
        return verdict;
    }
    const std::optional<double> setting =
        rule.tolerance ? SettingFor(facts.device, test, nth) : std::optional<double>();
    if (texts) {
        verdict.limit = LimitText(rule, setting, unit->name);
    }

    const auto unreadable = [&](std::string why) {
        verdict.outcome = Outcome::Unreadable;
        verdict.why = std::move(why);
        return verdict;
    };
    if (TrimBlanks(reading).empty()) {
        return unreadable("empty reading");
    }
    const ReadingFields fields = ReadReading(reading, kind);
    if (!fields.ok()) {
        return unreadable(fields.error);
    }
    std::string why;
    const Measured* number = PickNumber(fields, rule, kind, why);
    if (!number) {
        return unreadable(why);
    }
    if (!number->unit.name.empty() && number->unit.quantity != unit->quantity) {
        return unreadable("unit " + std::string(number->unit.name) + " does not fit " + std::string(unit->name));
    }

    // In the rule's unit; an over-range token without a unit fits any.
    const double value = number->unit.name.empty() ? 0 : number->Scaled() / unit->scale;
    const bool bounded = number->below || number->atMost;
    const std::string printed = texts ? std::string(TrimBlanks(reading)) : std::string();
    Judged judged;
    if (rule.max) {
        if (number->overRange) {
            Fold(judged, Outcome::Fail, "over range");
        } else if (bounded) {
            // "<x" is within a maximum only when x is.
            const bool within = rule.maxStrict ? Compare(value, *rule.max) < 0 : Compare(value, *rule.max) <= 0;
            Fold(judged, within ? Outcome::Pass : Outcome::Unreadable, "\"" + printed + "\" may be beyond the limit");
        } else {
            const int c = Compare(value, *rule.max);
            Fold(judged, (rule.maxStrict ? c < 0 : c <= 0) ? Outcome::Pass : Outcome::Fail, {});
        }
    }
    if (rule.min) {
        if (bounded) {
            Fold(judged, Outcome::Unreadable, "\"" + printed + "\" against a lower limit");
        } else if (!number->overRange) {
            const int c = Compare(value, *rule.min);
            Fold(judged, (rule.minStrict ? c > 0 : c >= 0) ? Outcome::Pass : Outcome::Fail, {});
        }
    }
    if (rule.tolerance && judged.outcome != Outcome::Fail) {
        if (number->overRange) {
            Fold(judged, Outcome::Fail, "over range");
        } else if (!setting) {
            verdict.outcome = Outcome::NotJudged;
            verdict.why = "needs the setting for " + std::string(test);
            if (texts && unit->quantity == Quantity::Energy && !bounded) {
                verdict.hint = NearestStep(number->Scaled());
            }
            return verdict;
        } else if (bounded) {
            Fold(judged, Outcome::Unreadable, "\"" + printed + "\" against a tolerance");
        } else {
            const double width = std::max(rule.tolerance->absolute, rule.tolerance->relative * std::fabs(*setting));
            const bool within = Compare(value, *setting + width) <= 0 && Compare(value, *setting - width) >= 0;
            Fold(judged, within ? Outcome::Pass : Outcome::Fail, {});
        }
    }
    verdict.outcome = judged.outcome;
    verdict.why = judged.outcome == Outcome::Pass ? std::string() : judged.why;
    return verdict;
}

const Profile& NoProfile()
{
    static const Profile none;
    return none;
}

} // namespace

std::string_view OutcomeWord(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Pass:
        return "pass";
    case Outcome::Fail:
        return "fail";
    case Outcome::Unreadable:
        return "unreadable";
    case Outcome::NoLimit:
        return "no limit";
    case Outcome::NotJudged:
        return "not judged";
    }
    return {};
}

std::string_view RecordOutcomeWord(RecordOutcome outcome)
{
    switch (outcome) {
    case RecordOutcome::Pass:
        return "pass";
    case RecordOutcome::Fail:
        return "fail";
    case RecordOutcome::Incomplete:
        return "incomplete";
    case RecordOutcome::NotJudged:
        return "not judged";
    }
    return {};
}

RecordOutcome CombineOutcomes(const std::vector<ReadingVerdict>& readings)
{
    const auto any = [&](auto predicate) { return std::any_of(readings.begin(), readings.end(), predicate); };
    if (any([](const ReadingVerdict& r) { return r.outcome == Outcome::Fail; })) {
        return RecordOutcome::Fail;
    }
    if (any([](const ReadingVerdict& r) {
            return r.outcome == Outcome::Unreadable || r.outcome == Outcome::NotJudged;
        })) {
        return RecordOutcome::Incomplete;
    }
    if (any([](const ReadingVerdict& r) { return r.outcome == Outcome::Pass; })) {
        return RecordOutcome::Pass;
    }
    return RecordOutcome::NotJudged;
}

VerdictEngine::VerdictEngine(LimitsLibrary library, EquipmentList equipment, std::string defaultProfile)
    : m_library(std::move(library)), m_equipment(std::move(equipment)), m_defaultProfile(std::move(defaultProfile))
{
    if (m_defaultProfile.empty()) {
        m_defaultProfile = m_library.defaultName();
    }
    for (const Profile& profile : m_library.profiles()) {
        RulesByTest& byTest = m_rulesByTest.emplace_back();
        for (std::size_t place = 0; place < profile.rules.size(); ++place) {
            const Rule& rule = profile.rules[place];
            byTest[static_cast<std::size_t>(rule.kind)][std::string(TrimBlanks(rule.test))].push_back(place);
        }
    }
}

const Profile& VerdictEngine::defaultProfile() const
{
    const Profile* profile = m_library.Find(m_defaultProfile);
    return profile ? *profile : NoProfile();
}

RecordVerdict VerdictEngine::JudgeRecord(InstrumentKind kind, std::string_view equipmentId,
                                         const std::vector<ReadingRow>& rows) const
{
    return Judge(kind, equipmentId, rows, true);
}

RecordOutcome VerdictEngine::JudgeOutcome(InstrumentKind kind, std::string_view equipmentId,
                                          const std::vector<ReadingText>& rows) const
{
    return Judge(kind, equipmentId, rows, false).outcome;
}

template <class Row>
RecordVerdict VerdictEngine::Judge(InstrumentKind kind, std::string_view equipmentId, const std::vector<Row>& rows,
                                   bool texts) const
{
    DeviceFacts facts;
    facts.device = m_equipment.Find(equipmentId);
    if (facts.device) {
        facts.deviceClass = facts.device->deviceClass;
        facts.cord = facts.device->cord.value_or(Cord::WithCord);
        facts.appliedPartsKnown = true;
        facts.strictest = facts.device->StrictestAppliedPart();
    }
    const Profile* profile =
        facts.device && !facts.device->profile.empty() ? m_library.Find(facts.device->profile) : &defaultProfile();
    if (!profile) {
        profile = &NoProfile();
    }

    RecordVerdict record;
    record.equipmentId = std::string(TrimBlanks(equipmentId));
    record.profileName = profile->name;
    record.profileVersion = profile->version;

    // The profile's rules of the kind by test name; the library's profiles
    // are the engine's own, so a profile found there has its place.
    const RulesByTest::value_type* byTest = nullptr;
    const std::vector<Profile>& profiles = m_library.profiles();
    const std::less<const Profile*> before;
    if (!profiles.empty() && !before(profile, profiles.data()) && before(profile, profiles.data() + profiles.size())) {
        byTest = &m_rulesByTest[static_cast<std::size_t>(profile - profiles.data())][static_cast<std::size_t>(kind)];
    }
    const auto rulesFor = [&](std::string_view test) -> const std::vector<std::size_t>* {
        if (byTest == nullptr) {
            return nullptr;
        }
        const auto found = byTest->find(test);
        return found == byTest->end() ? nullptr : &found->second;
    };

    record.readings.reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string_view test = TrimBlanks(rows[r].test);
        ReadingVerdict verdict;
        // The '>' that ends a line on this link cut the reading off.
        if (!test.empty() && test.back() == '>') {
            const Match match = FindRule(profile->rules, rulesFor(TrimBlanks(test.substr(0, test.size() - 1))), facts);
            if (match.anyForTest) {
                verdict.outcome = Outcome::Unreadable;
                if (texts) {
                    verdict.why = "cut off by '>'";
                }
                if (match.rule && texts) {
                    const auto unit = UnitFromText(match.rule->unit, kind);
                    verdict.limit = LimitText(*match.rule, std::nullopt, unit ? unit->name : match.rule->unit);
                    verdict.ruleId = match.rule->id;
                    verdict.source = match.rule->source;
                }
            }
            record.readings.push_back(std::move(verdict));
            continue;
        }
        const Match match = FindRule(profile->rules, rulesFor(test), facts);
        if (match.needsAppliedPart) {
            verdict.outcome = Outcome::NotJudged;
            if (texts) {
                verdict.why = "needs the applied part type";
            }
        } else if (match.rule) {
            std::size_t nth = 0;
            for (std::size_t earlier = 0; earlier < r; ++earlier) {
                nth += TrimBlanks(rows[earlier].test) == test ? 1 : 0;
            }
            verdict = JudgeReading(*match.rule, kind, rows[r].reading, test, nth, facts, texts);
        }
        // A failing reading fails the record whatever the others are.
        if (!texts && verdict.outcome == Outcome::Fail) {
            record.outcome = RecordOutcome::Fail;
            return record;
        }
        record.readings.push_back(std::move(verdict));
    }
    record.outcome = CombineOutcomes(record.readings);
    return record;
}

} // namespace tessaprint::verdict
