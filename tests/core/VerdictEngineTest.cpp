// Verdicts of readings against the rules of a profile: which rule judges a
// reading for a device, the bounds, the tolerance around a setting, and the
// record's verdict.
#include "verdict/VerdictEngine.h"

#include <gtest/gtest.h>

namespace tessaprint::verdict {
namespace {

constexpr auto kQuellmax = InstrumentKind::Quellmax;
constexpr auto kKappa = InstrumentKind::Kappa5100;
const std::string kMicroAmpere = "\xC2\xB5"
                                 "A";

// A rule as a limits file would give it; every one has a source.
struct Make {
    Make(std::string id, std::string test, std::string unit, InstrumentKind kind = kQuellmax)
    {
        rule.id = std::move(id);
        rule.kind = kind;
        rule.test = std::move(test);
        rule.unit = std::move(unit);
        rule.source = "test figure";
    }
    Make& Field(std::string unit) { return rule.fieldUnit = std::move(unit), *this; }
    Make& Position(int n) { return rule.fieldPosition = n, *this; }
    Make& Min(double min, bool strict = false) { return rule.min = min, rule.minStrict = strict, *this; }
    Make& Max(double max, bool strict = false) { return rule.max = max, rule.maxStrict = strict, *this; }
    Make& Within(double absolute, double relative) { return rule.tolerance = Tolerance{absolute, relative}, *this; }
    Make& Classes(std::vector<DeviceClass> classes) { return rule.classes = std::move(classes), *this; }
    Make& Parts(std::vector<AppliedPart> parts) { return rule.appliedParts = std::move(parts), *this; }
    Make& On(Cord cord) { return rule.cord = cord, *this; }
    operator Rule() const { return rule; }
    Rule rule;
};

std::vector<Rule> ElectricalSafetyRules()
{
    using P = AppliedPart;
    return {
        Make("ground.with-cord", "Ground Resistance", "Ohm").Max(0.3).Classes({DeviceClass::I}).On(Cord::WithCord),
        Make("ground.without-cord", "Ground Resistance", "Ohm")
            .Max(0.2)
            .Classes({DeviceClass::I})
            .On(Cord::WithoutCord),
        Make("case.nc", "Case Leakage", "uA").Max(100),
        Make("case.open-ground", "Case Leakage Open Ground", "uA").Max(500),
        Make("leads.b-bf", "Leads Leakage To Ground", "uA").Max(100).Parts({P::B, P::BF}),
        Make("leads.cf", "Leads Leakage To Ground", "uA").Max(10).Parts({P::CF}),
        Make("isolation.bf", "Isolation Leakage", "uA").Max(5000).Parts({P::BF}),
        Make("isolation.cf", "Isolation Leakage", "uA").Max(50).Parts({P::CF}),
    };
}

std::vector<Rule> DefibrillatorRules()
{
    return {
        Make("defib.energy", "Defib", "J", kKappa).Field("J").Within(3, 0.15),
        Make("cardio.delay", "Cardio", "ms", kKappa).Field("ms").Max(60),
        Make("charge.time", "Charge Time", "s", kKappa).Field("s").Max(15),
        Make("pacer.current", "Pacer", "mA", kKappa).Field("mA").Within(5, 0.10),
    };
}

Device MakeDevice(std::string id, DeviceClass deviceClass, std::vector<AppliedPart> parts,
                  std::optional<Cord> cord = std::nullopt)
{
    Device device;
    device.equipmentId = std::move(id);
    device.deviceClass = deviceClass;
    device.appliedParts = std::move(parts);
    device.cord = cord;
    return device;
}

VerdictEngine Engine(std::vector<Rule> rules, std::vector<Device> devices = {})
{
    Profile profile{"bench-profile", "1", "rules made for the test", std::move(rules)};
    return VerdictEngine(LimitsLibrary::FromProfiles({profile}, "bench-profile"), EquipmentList(std::move(devices)));
}

ReadingVerdict JudgeOne(const VerdictEngine& engine, std::string_view id, std::string test, std::string reading,
                        InstrumentKind kind = kQuellmax)
{
    const RecordVerdict record = engine.JudgeRecord(kind, id, {{"1", std::move(test), std::move(reading)}});
    return record.readings.at(0);
}

TEST(VerdictEngineTest, BoundsPassAtTheLimitAndFailJustBeyondItStrictOrNot)
{
    const VerdictEngine engine = Engine({
        Make("max", "Max", "uA").Max(10),
        Make("max.strict", "Max Strict", "Ohm").Max(0.5, true),
        Make("min", "Min", "MOhm").Min(2),
        Make("min.strict", "Min Strict", "MOhm").Min(2, true),
        Make("range", "Range", "V").Min(2).Max(5),
    });
    struct Case {
        const char* test;
        const char* reading;
        Outcome outcome;
    };
    for (const Case& c :
         {Case{"Max", "10 uA", Outcome::Pass}, Case{"Max", "9.9 uA", Outcome::Pass},
          Case{"Max", "10.1 uA", Outcome::Fail}, Case{"Max", "0.010 mA", Outcome::Pass},
          Case{"Max", "0.0101 mA", Outcome::Fail}, Case{"Max", "-0.4 uA", Outcome::Pass},
          Case{"Max Strict", "0.5 Ohms", Outcome::Fail}, Case{"Max Strict", "0.49 Ohms", Outcome::Pass},
          Case{"Max Strict", "500 mOhm", Outcome::Fail}, Case{"Min", "2 MOhms", Outcome::Pass},
          Case{"Min", "1.9 MOhms", Outcome::Fail}, Case{"Min", "2000 kOhm", Outcome::Pass},
          Case{"Min Strict", "2.0 MOhms", Outcome::Fail}, Case{"Min Strict", "2.1 MOhms", Outcome::Pass},
          Case{"Range", "2 V", Outcome::Pass}, Case{"Range", "5.0 V", Outcome::Pass},
          Case{"Range", "1.9 V", Outcome::Fail}, Case{"Range", "5.1 V", Outcome::Fail},
          Case{"Range", "1999 mV", Outcome::Fail},
          // "<x" passes a maximum when x is within it and says nothing against a minimum.
          Case{"Max", "<0.1 uA", Outcome::Pass}, Case{"Max", "< 10 uA", Outcome::Pass},
          Case{"Max", "<=10 uA", Outcome::Pass}, Case{"Max", "<20 uA", Outcome::Unreadable},
          Case{"Max Strict", "<0.5 Ohms", Outcome::Unreadable}, Case{"Max Strict", "<=0.4 Ohms", Outcome::Pass},
          Case{"Min", "<5 MOhms", Outcome::Unreadable}, Case{"Range", "<4 V", Outcome::Unreadable},
          // Over range is beyond any maximum.
          Case{"Max", "OL", Outcome::Fail}, Case{"Max", "O.L uA", Outcome::Fail}, Case{"Min", "OVER", Outcome::Pass},
          Case{"Min", "OL MOhms", Outcome::Pass}, Case{"Range", "OL", Outcome::Fail},
          // What cannot be read against the rule's unit is never a pass.
          Case{"Max", "10 mV", Outcome::Unreadable}, Case{"Max", "OL V", Outcome::Unreadable},
          Case{"Max", "1,5 uA", Outcome::Unreadable}, Case{"Max", "5 uA 6 uA", Outcome::Unreadable},
          Case{"Max", "5 uA PASS", Outcome::Unreadable}, Case{"Max", "", Outcome::Unreadable},
          Case{"Max", "PASS", Outcome::Unreadable}}) {
        SCOPED_TRACE(std::string(c.test) + ": " + c.reading);
        const ReadingVerdict verdict = JudgeOne(engine, "X", c.test, c.reading);
        EXPECT_EQ(verdict.outcome, c.outcome) << verdict.why;
        EXPECT_FALSE(verdict.ruleId.empty());
        EXPECT_EQ(verdict.source, "test figure");
        if (c.outcome != Outcome::Fail) {
            EXPECT_EQ(verdict.why.empty(), c.outcome == Outcome::Pass) << verdict.why;
        }
    }
    EXPECT_EQ(JudgeOne(engine, "X", "Max", "10.1 uA").why, "");
    EXPECT_EQ(JudgeOne(engine, "X", "Max", "OL").why, "over range");
    EXPECT_EQ(JudgeOne(engine, "X", "Max", "10 mV").why, "unit mV does not fit " + kMicroAmpere);
    EXPECT_EQ(JudgeOne(engine, "X", "Max", "").why, "empty reading");
    EXPECT_EQ(JudgeOne(engine, "X", "Max", "1 uA").limit, "\xE2\x89\xA4 10 " + kMicroAmpere);
    EXPECT_EQ(JudgeOne(engine, "X", "Max Strict", "1 Ohm").limit, "< 0.5 \xCE\xA9");
    EXPECT_EQ(JudgeOne(engine, "X", "Min", "3 MOhm").limit, "\xE2\x89\xA5 2 M\xCE\xA9");
    EXPECT_EQ(JudgeOne(engine, "X", "Min Strict", "3 MOhm").limit, "> 2 M\xCE\xA9");
    EXPECT_EQ(JudgeOne(engine, "X", "Range", "3 V").limit, "2 \xE2\x80\xA6 5 V");
}

TEST(VerdictEngineTest, AFieldIsPickedByItsUnitOrPosition)
{
    std::vector<Rule> rules = DefibrillatorRules();
    rules.push_back(Make("trans.interval", "Trans", "ms", InstrumentKind::Pactrx).Position(7).Max(300));
    rules.push_back(Make("trans.intervals", "Trans Both", "ms", InstrumentKind::Pactrx).Field("ms").Max(300));
    rules.push_back(Make("trans.ninth", "Trans Ninth", "ms", InstrumentKind::Pactrx).Position(9).Max(1));
    const VerdictEngine engine = Engine(std::move(rules));
    EXPECT_EQ(JudgeOne(engine, "X", "Charge Time", "150 J 4.1 s", kKappa).outcome, Outcome::Pass);
    EXPECT_EQ(JudgeOne(engine, "X", "Charge Time", "150 J 15.1 s", kKappa).outcome, Outcome::Fail);
    EXPECT_EQ(JudgeOne(engine, "X", "Cardio", "100.1 J 38 ms NSR 1.0 mV", kKappa).outcome, Outcome::Pass);
    EXPECT_EQ(JudgeOne(engine, "X", "Cardio", "200.5 J 61 ms NSR 1.0 mV", kKappa).outcome, Outcome::Fail);
    EXPECT_EQ(JudgeOne(engine, "X", "Cardio", "100.1 J NSR 1.0 mV", kKappa).why, "no number in ms");
    const std::string trans = "9.80 mJ 3.50 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 250 mS 300 mS";
    EXPECT_EQ(JudgeOne(engine, "X", "Trans", trans, InstrumentKind::Pactrx).outcome, Outcome::Pass);
    EXPECT_EQ(JudgeOne(engine, "X", "Trans", "9.80 mJ 3.50 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 301 mS 300 mS",
                       InstrumentKind::Pactrx)
                  .outcome,
              Outcome::Fail);
    // Three numbers of that quantity, or none at that position: unreadable.
    const ReadingVerdict both = JudgeOne(engine, "X", "Trans Both", trans, InstrumentKind::Pactrx);
    EXPECT_EQ(both.outcome, Outcome::Unreadable);
    EXPECT_EQ(both.why, "two numbers in ms");
    EXPECT_EQ(JudgeOne(engine, "X", "Trans Ninth", trans, InstrumentKind::Pactrx).why, "no 9th number");
}

TEST(VerdictEngineTest, TheRuleFitsTheDevicesClassCordAndStrictestAppliedPart)
{
    std::vector<Rule> rules = ElectricalSafetyRules();
    rules.push_back(Make("any", "Specific", "uA").Max(100));
    rules.push_back(Make("class-i", "Specific", "uA").Max(50).Classes({DeviceClass::I}));
    rules.push_back(Make("class-i.later", "Specific", "uA").Max(40).Classes({DeviceClass::I}));
    rules.push_back(Make("lead-to-lead.any", "Leads Leakage Lead To Lead", "uA").Max(100));
    rules.push_back(Make("lead-to-lead.cf", "Leads Leakage Lead To Lead", "uA").Max(10).Parts({AppliedPart::CF}));
    const VerdictEngine engine =
        Engine(std::move(rules), {
                                     MakeDevice("CF-1", DeviceClass::I, {AppliedPart::CF}),
                                     MakeDevice("BF-1", DeviceClass::I, {AppliedPart::BF}),
                                     MakeDevice("B-CF", DeviceClass::I, {AppliedPart::CF, AppliedPart::B}),
                                     MakeDevice("B-1", DeviceClass::II, {AppliedPart::B}),
                                     MakeDevice("NONE", DeviceClass::I, {}, Cord::WithoutCord),
                                 });
    const auto rule = [&](std::string_view id, std::string test, std::string reading = "1 uA") {
        return JudgeOne(engine, id, std::move(test), std::move(reading)).ruleId;
    };
    EXPECT_EQ(rule("CF-1", "Ground Resistance", "0.1 Ohms"), "ground.with-cord");
    EXPECT_EQ(rule("NONE", "Ground Resistance", "0.1 Ohms"), "ground.without-cord");
    EXPECT_EQ(JudgeOne(engine, "NONE", "Ground Resistance", "0.25 Ohms").outcome, Outcome::Fail);
    EXPECT_EQ(JudgeOne(engine, "CF-1", "Ground Resistance", "0.25 Ohms").outcome, Outcome::Pass);
    // Not in the list: class I with the power cord.
    EXPECT_EQ(rule("UNLISTED", "Ground Resistance", "0.1 Ohms"), "ground.with-cord");
    EXPECT_EQ(JudgeOne(engine, "B-1", "Ground Resistance", "5 Ohms").outcome, Outcome::NoLimit);

    // The rule with the most conditions wins, then the later one.
    EXPECT_EQ(rule("CF-1", "Specific"), "class-i.later");
    EXPECT_EQ(rule("B-1", "Specific"), "any");

    EXPECT_EQ(rule("CF-1", "Leads Leakage To Ground"), "leads.cf");
    EXPECT_EQ(rule("BF-1", "Leads Leakage To Ground"), "leads.b-bf");
    EXPECT_EQ(rule("B-CF", "Leads Leakage To Ground"), "leads.cf");
    EXPECT_EQ(JudgeOne(engine, "CF-1", "Leads Leakage To Ground", "10.1 uA").outcome, Outcome::Fail);
    EXPECT_EQ(JudgeOne(engine, "BF-1", "Leads Leakage To Ground", "10.1 uA").outcome, Outcome::Pass);
    EXPECT_EQ(JudgeOne(engine, "B-1", "Isolation Leakage", "10 uA").outcome, Outcome::NoLimit);
    EXPECT_EQ(JudgeOne(engine, "NONE", "Leads Leakage To Ground", "10 uA").outcome, Outcome::NoLimit);
    // Applied parts unknown: a rule that needs them, and a looser one that
    // does not while a closer one would, both wait for the type.
    for (const char* test : {"Leads Leakage To Ground", "Isolation Leakage", "Leads Leakage Lead To Lead"}) {
        const ReadingVerdict verdict = JudgeOne(engine, "UNLISTED", test, "1 uA");
        EXPECT_EQ(verdict.outcome, Outcome::NotJudged) << test;
        EXPECT_EQ(verdict.why, "needs the applied part type");
    }
    EXPECT_EQ(rule("UNLISTED", "Case Leakage"), "case.nc");

    // Exactly the test name, blanks around it aside: never a prefix.
    EXPECT_EQ(rule("CF-1", "Case Leakage Open Ground", "400 uA"), "case.open-ground");
    EXPECT_EQ(JudgeOne(engine, "CF-1", "Case Leakage Open Ground", "400 uA").outcome, Outcome::Pass);
    EXPECT_EQ(rule("CF-1", " Case Leakage\t"), "case.nc");
    EXPECT_EQ(JudgeOne(engine, "CF-1", "Case Leakage Open Neutral", "1 uA").outcome, Outcome::NoLimit);
    EXPECT_EQ(JudgeOne(engine, "CF-1", "Case Leakage", "1 uA", kKappa).outcome, Outcome::NoLimit);
}

TEST(VerdictEngineTest, ATolerancePutsTheNthReadingOfATestAgainstTheNthSetting)
{
    Device defib = MakeDevice("DF-1", DeviceClass::I, {AppliedPart::BF});
    defib.settings = {{"Defib", {2, 10, 200}}, {"Pacer", {50}}};
    const VerdictEngine engine = Engine(DefibrillatorRules(), {defib});
    const std::vector<ReadingRow> rows{
        {"1", "Defib", "5.0 J 176 V 3.5 A"},         // 2 J: ± 3 J, the absolute larger
        {"2", "Cardio", "100.1 J 38 ms NSR 1.0 mV"}, // another test: no count
        {"3", "Defib", "13.1 J 397 V 7.9 A"},        // 10 J: ± 3 J
        {"4", "Defib", "230.0 J 1754 V 35.1 A"},     // 200 J: ± 30 J, the relative larger
        {"5", "Defib", "150.4 J 1522 V 30.4 A"},     // no fourth setting
        {"6", "Pacer", "70 PPM 20.0 ms 55.0 mA"},    // 50 mA: ± 5 mA
        {"7", "Pacer", "120 PPM 20.1 ms 100.2 mA"},
    };
    const RecordVerdict record = engine.JudgeRecord(kKappa, "DF-1", rows);
    ASSERT_EQ(record.readings.size(), rows.size());
    EXPECT_EQ(record.readings[0].outcome, Outcome::Pass);
    EXPECT_EQ(record.readings[0].limit, "2 J \xC2\xB1 3 J");
    EXPECT_EQ(record.readings[1].outcome, Outcome::Pass);
    EXPECT_EQ(record.readings[2].outcome, Outcome::Fail);
    EXPECT_EQ(record.readings[2].limit, "10 J \xC2\xB1 3 J");
    EXPECT_EQ(record.readings[3].outcome, Outcome::Pass);
    EXPECT_EQ(record.readings[3].limit, "200 J \xC2\xB1 30 J");
    // Without a setting: not judged, the nearest standard step only a hint.
    EXPECT_EQ(record.readings[4].outcome, Outcome::NotJudged);
    EXPECT_EQ(record.readings[4].why, "needs the setting for Defib");
    EXPECT_EQ(record.readings[4].hint, "nearest standard step: 150 J");
    EXPECT_EQ(record.readings[5].outcome, Outcome::Pass);
    EXPECT_EQ(record.readings[6].outcome, Outcome::NotJudged);
    EXPECT_EQ(record.readings[6].hint, "");
    EXPECT_EQ(record.outcome, RecordOutcome::Fail);

    EXPECT_EQ(JudgeOne(engine, "DF-1", "Defib", "5.1 J 176 V 3.5 A", kKappa).outcome, Outcome::Fail); // past 2 + 3
    EXPECT_EQ(JudgeOne(engine, "DF-1", "Defib", "-1.0 J 176 V 3.5 A", kKappa).outcome, Outcome::Pass);
    EXPECT_EQ(JudgeOne(engine, "DF-1", "Defib", "-1.1 J 176 V 3.5 A", kKappa).outcome, Outcome::Fail);
    EXPECT_EQ(JudgeOne(engine, "DF-1", "Defib", "OL J", kKappa).outcome, Outcome::Fail);
    const ReadingVerdict unlisted = JudgeOne(engine, "DF-9", "Defib", "198.0 J 1754 V 35.1 A", kKappa);
    EXPECT_EQ(unlisted.outcome, Outcome::NotJudged);
    EXPECT_EQ(unlisted.hint, "nearest standard step: 200 J");
    EXPECT_EQ(unlisted.limit, "setting \xC2\xB1 3 J or 15 %, the larger");
}

TEST(VerdictEngineTest, CutOffReadingsStimulusLinesAndTheRecordsVerdict)
{
    std::vector<Rule> rules = ElectricalSafetyRules();
    for (Rule& rule : DefibrillatorRules()) {
        rules.push_back(std::move(rule));
    }
    Profile other{"other", "7", "", {Make("case.tight", "Case Leakage", "uA").Max(1)}};
    Profile main{"main", "2014-1", "", rules};
    Device strict = MakeDevice("STRICT", DeviceClass::I, {});
    strict.profile = "other";
    const VerdictEngine engine(LimitsLibrary::FromProfiles({main, other}, "main"), EquipmentList({strict}));
    EXPECT_EQ(engine.defaultProfile().name, "main");

    const RecordVerdict record = engine.JudgeRecord(kQuellmax, " A-1 ",
                                                    {{"1", "Line Voltage", "118.3 V"},
                                                     {"2", "Case Leakage >", ""},
                                                     {"3", "Insulation Resistance >", ""},
                                                     {"4", "Case Leakage", "0.6 uA"}});
    EXPECT_EQ(record.equipmentId, "A-1");
    EXPECT_EQ(record.profileName, "main");
    EXPECT_EQ(record.profileVersion, "2014-1");
    EXPECT_EQ(record.readings[0].outcome, Outcome::NoLimit);
    EXPECT_EQ(record.readings[0].limit, "");
    EXPECT_EQ(record.readings[1].outcome, Outcome::Unreadable);
    EXPECT_EQ(record.readings[1].why, "cut off by '>'");
    EXPECT_EQ(record.readings[1].ruleId, "case.nc");
    EXPECT_EQ(record.readings[2].outcome, Outcome::NoLimit);
    EXPECT_EQ(record.readings[3].outcome, Outcome::Pass);
    EXPECT_EQ(record.outcome, RecordOutcome::Incomplete);

    const RecordVerdict stimulus = engine.JudgeRecord(
        kKappa, "A-1",
        {{"1", "NSR", "60 BPM 1.0 mV"}, {"2", "Pace IMU Sine", "60 Hz 2.0 mV"}, {"3", "SQR", "2 Hz 1.0 mV"}});
    EXPECT_EQ(stimulus.outcome, RecordOutcome::NotJudged);
    EXPECT_EQ(stimulus.readings[1].outcome, Outcome::NoLimit);

    // The device's profile column picks its profile.
    const RecordVerdict tight = engine.JudgeRecord(kQuellmax, "STRICT", {{"1", "Case Leakage", "0.6 uA"}});
    EXPECT_EQ(tight.profileName, "other");
    EXPECT_EQ(tight.profileVersion, "7");
    EXPECT_EQ(tight.readings[0].ruleId, "case.tight");
    EXPECT_EQ(engine.JudgeRecord(kQuellmax, "STRICT", {{"1", "Case Leakage", "1.1 uA"}}).outcome, RecordOutcome::Fail);

    // The outcome alone, as many records at once are judged, is the record's
    // outcome; a copy of the engine judges as the original.
    const VerdictEngine copy = engine;
    const std::vector<std::pair<std::string, std::vector<ReadingRow>>> records{
        {" A-1 ", {{"1", "Line Voltage", "118.3 V"}, {"2", "Case Leakage >", ""}, {"4", "Case Leakage", "0.6 uA"}}},
        {"A-1", {{"1", " Case Leakage ", "0.6 uA"}, {"2", "Case Leakage Open Ground", "501 uA"}}},
        {"A-1", {{"1", "Leads Leakage To Ground", "20 uA"}, {"2", "Case Leakage", "0.6 uA"}}},
        {"STRICT", {{"1", "Case Leakage", "1.1 uA"}, {"2", "Line Voltage", "118.3 V"}}},
        {"STRICT", {{"1", "Case Leakage", "0.9 uA"}}},
        {"STRICT", {{"1", "Case Leakage", "0.9 mV"}}},
        {"A-1", {{"1", "NSR", "60 BPM 1.0 mV"}}},
    };
    std::vector<RecordOutcome> judged;
    for (const auto& [id, rows] : records) {
        std::vector<ReadingText> texts;
        for (const ReadingRow& row : rows) {
            texts.push_back({row.test, row.reading});
        }
        const RecordOutcome outcome = engine.JudgeRecord(kQuellmax, id, rows).outcome;
        judged.push_back(outcome);
        EXPECT_EQ(engine.JudgeOutcome(kQuellmax, id, texts), outcome) << id << " " << rows[0].test;
        EXPECT_EQ(copy.JudgeOutcome(kQuellmax, id, texts), outcome) << id << " " << rows[0].test;
    }
    EXPECT_EQ(judged, (std::vector<RecordOutcome>{RecordOutcome::Incomplete, RecordOutcome::Fail,
                                                  RecordOutcome::Incomplete, RecordOutcome::Fail, RecordOutcome::Pass,
                                                  RecordOutcome::Incomplete, RecordOutcome::NotJudged}));

    const auto combined = [](std::initializer_list<Outcome> outcomes) {
        std::vector<ReadingVerdict> readings;
        for (const Outcome outcome : outcomes) {
            readings.emplace_back().outcome = outcome;
        }
        return CombineOutcomes(readings);
    };
    EXPECT_EQ(combined({Outcome::Pass, Outcome::Unreadable, Outcome::Fail}), RecordOutcome::Fail);
    EXPECT_EQ(combined({Outcome::Pass, Outcome::NotJudged, Outcome::NoLimit}), RecordOutcome::Incomplete);
    EXPECT_EQ(combined({Outcome::Pass, Outcome::NoLimit}), RecordOutcome::Pass);
    EXPECT_EQ(combined({Outcome::NoLimit}), RecordOutcome::NotJudged);
    EXPECT_EQ(combined({}), RecordOutcome::NotJudged);
    EXPECT_EQ(OutcomeWord(Outcome::NoLimit), "no limit");
    EXPECT_EQ(OutcomeWord(Outcome::NotJudged), "not judged");
    EXPECT_EQ(OutcomeWord(Outcome::Unreadable), "unreadable");
    EXPECT_EQ(RecordOutcomeWord(RecordOutcome::Incomplete), "incomplete");
    EXPECT_EQ(RecordOutcomeWord(RecordOutcome::NotJudged), "not judged");
}

} // namespace
} // namespace tessaprint::verdict
