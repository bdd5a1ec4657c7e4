// Limits files: what a department writes, every fault named by its line, the
// overlay of a user's rules on a shipped profile, and the shipped profiles.
#include "TestFiles.h"

#include "text/DecimalText.h"
#include "verdict/LimitsProfile.h"
#include "verdict/VerdictSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

namespace tessaprint::verdict {
namespace {

// A file with one rule on its third line; `rule` is the rule's members.
std::string FileWithRule(const std::string& rule)
{
    return "{\n  \"name\": \"dept\", \"version\": \"3\",\n  \"rules\": [{" + rule + "}]\n}\n";
}

const std::string kGoodRule =
    R"("id": "r1", "kind": "quellmax", "test": "Case Leakage", "unit": "uA", "max": 100, "source": "s")";

std::string WriteTemp(const test::TempFolder& folder, const std::string& name, const std::string& text)
{
    const std::string path = (folder.path() / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(LimitsFileTest, ReadsEveryKeyOfARule)
{
    const std::string json =
        "\xEF\xBB\xBF{\n"
        "  \"name\": \"dept\", \"version\": \"2024-2\", \"description\": \"ours\",\n"
        "  \"base\": \"nfpa99\",\n"
        "  \"rules\": [\n"
        R"(    {"id": "a", "kind": "kappa", "test": " Defib ", "field": {"unit": "J"}, "unit": "J",)"
        "\n"
        R"(     "tolerance": {"absolute": 3, "relative": 0.15}, "source": "IEC 60601-2-4"},)"
        "\n"
        R"(    {"id": "b", "kind": "quellmax", "test": "Ground Resistance", "unit": "Ohm", "min": -0.5,)"
        R"( "max": 0.5, "minStrict": true, "maxStrict": true, "class": ["I", "IP"],)"
        R"( "appliedParts": ["BF", "CF"], "cord": "without-cord", "source": "NFPA 99"},)"
        "\n"
        R"(    {"id": "c", "kind": "pactrx", "test": "ATR", "field": {"position": 2}, "unit": "mS", "max": 10, "source": "x"},)"
        "\n"
        R"(    {"id": "d", "remove": true})"
        "\n  ]\n}\n";
    const Result<Profile> read = ReadLimitsText(json, "limits.json");
    ASSERT_TRUE(read) << read.error().message;
    const Profile& profile = read.value();
    EXPECT_EQ(profile.name, "dept");
    EXPECT_EQ(profile.version, "2024-2");
    EXPECT_EQ(profile.description, "ours");
    ASSERT_EQ(profile.rules.size(), 4u);
    const Rule& a = profile.rules[0];
    EXPECT_EQ(a.kind, InstrumentKind::Kappa5100);
    EXPECT_EQ(a.test, "Defib");
    EXPECT_EQ(a.fieldUnit, "J");
    ASSERT_TRUE(a.tolerance);
    EXPECT_DOUBLE_EQ(a.tolerance->absolute, 3);
    EXPECT_DOUBLE_EQ(a.tolerance->relative, 0.15);
    EXPECT_FALSE(a.min || a.max);
    EXPECT_EQ(a.line, 5);
    const Rule& b = profile.rules[1];
    EXPECT_EQ(*b.min, -0.5);
    EXPECT_EQ(*b.max, 0.5);
    EXPECT_TRUE(b.minStrict && b.maxStrict);
    EXPECT_EQ(b.classes, (std::vector<DeviceClass>{DeviceClass::I, DeviceClass::InternallyPowered}));
    EXPECT_EQ(b.appliedParts, (std::vector<AppliedPart>{AppliedPart::BF, AppliedPart::CF}));
    EXPECT_EQ(b.cord, Cord::WithoutCord);
    EXPECT_EQ(b.source, "NFPA 99");
    EXPECT_EQ(b.line, 7);
    EXPECT_EQ(profile.rules[2].fieldPosition, 2);
    EXPECT_TRUE(profile.rules[3].remove);
}

TEST(LimitsFileTest, EachFaultNamesItsLineAndNothingIsHalfRead)
{
    struct Case {
        std::string json;
        std::string message;
    };
    const std::string head = R"("id": "r1", "kind": "quellmax", "test": "Case Leakage", )";
    const std::vector<Case> cases{
        {FileWithRule(kGoodRule + R"(, "mxa": 50)"), "limits.json:3: unknown key \"mxa\""},
        {FileWithRule(head + R"("unit": "uV", "max": 10, "source": "s")"), "limits.json:3: unknown unit \"uV\""},
        {FileWithRule(head + R"("unit": "uA", "max": 10)"), "limits.json:3: rule without a source"},
        {FileWithRule(head + R"("unit": "uA", "max": 10, "source": " ")"), "limits.json:3: rule without a source"},
        {FileWithRule(R"("kind": "quellmax", "test": "T", "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: rule without an id"},
        {FileWithRule(R"("id": "r1", "test": "T", "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: rule without a kind"},
        {FileWithRule(R"("id": "r1", "kind": "fluke", "test": "T", "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: kind \"fluke\" is not quellmax, kappa or pactrx"},
        {FileWithRule(R"("id": "r1", "kind": "quellmax", "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: rule without a test name"},
        {FileWithRule(head + R"("max": 1, "source": "s")"), "limits.json:3: rule without a unit"},
        {FileWithRule(head + R"("unit": "uA", "source": "s")"), "limits.json:3: rule without min, max or tolerance"},
        {FileWithRule(head + R"("unit": "uA", "max": "10", "source": "s")"), "limits.json:3: max must be a number"},
        {FileWithRule(head + R"("unit": "uA", "max": 1e2, "source": "s")"), "limits.json:3: max must be a number"},
        {FileWithRule(head + R"("unit": "uA", "min": 5, "max": 1, "source": "s")"), "limits.json:3: min is above max"},
        {FileWithRule(head + R"("unit": "uA", "maxStrict": true, "min": 1, "source": "s")"),
         "limits.json:3: maxStrict without a max"},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "maxStrict": "yes", "source": "s")"),
         "limits.json:3: maxStrict must be true or false"},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "tolerance": {"absolute": 1}, "source": "s")"),
         "limits.json:3: a rule has a tolerance or min and max, not both"},
        {FileWithRule(head + R"("unit": "uA", "tolerance": {"relative": 15}, "source": "s")"),
         "limits.json:3: relative tolerance is a fraction"},
        {FileWithRule(head + R"("unit": "uA", "tolerance": {}, "source": "s")"), "limits.json:3: tolerance must be"},
        {FileWithRule(head + R"("unit": "uA", "tolerance": {"abs": 1}, "source": "s")"),
         "limits.json:3: unknown key \"abs\""},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "class": ["III"], "source": "s")"),
         "limits.json:3: class: \"III\" is not one of I, II or IP"},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "class": [], "source": "s")"),
         "limits.json:3: class must be a list"},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "appliedParts": ["cf"], "source": "s")"),
         "limits.json:3: appliedParts: \"cf\" is not one of B, BF or CF"},
        {FileWithRule(head + R"("unit": "uA", "max": 1, "cord": "corded", "source": "s")"),
         "limits.json:3: cord \"corded\" is not with-cord or without-cord"},
        {FileWithRule(head + R"("field": {"unit": "ms"}, "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: field unit \"ms\" does not fit the rule's unit \"uA\""},
        {FileWithRule(head + R"("field": {"position": 0}, "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: field position must be a whole number"},
        {FileWithRule(head + R"("field": {"unit": "uA", "position": 1}, "unit": "uA", "max": 1, "source": "s")"),
         "limits.json:3: field must be"},
        {FileWithRule(R"("id": "r1", "remove": true, "max": 1)"), "limits.json:3: unknown key \"max\""},
        {"{\n  \"name\": \"dept\", \"version\": \"3\",\n  \"rules\": [{" + kGoodRule + "},\n{" + kGoodRule + "}]\n}",
         "limits.json:4: rule id \"r1\" already on line 3"},
        {"{\n  \"version\": \"3\",\n  \"rules\": []\n}", "limits.json:1: a limits file without a name"},
        {"{\n  \"name\": \"dept\",\n  \"rules\": []\n}", "limits.json:1: a limits file without a version"},
        {"{\n  \"name\": \"dept\", \"version\": \"3\"\n}", "limits.json:1: a limits file needs a list of rules"},
        {"{\n  \"name\": \"dept\", \"version\": \"3\", \"base\": \"iec60601\",\n  \"rules\": []\n}",
         "limits.json:2: base \"iec60601\" is not a shipped profile (iec62353, nfpa99)"},
        {"{\n  \"name\": \"dept\", \"version\": \"3\", \"rule\": []\n}", "limits.json:2: unknown key \"rule\""},
        // What a strict JSON reader refuses: a key twice, comments, anything after the object.
        {"{\n  \"name\": \"dept\", \"version\": \"3\",\n  \"rules\": [{" + kGoodRule + ", \"max\": 5}]\n}",
         "limits.json:3: not JSON: Duplicate key"},
        {"{\n  \"name\": \"a/b\", \"version\": \"\\\"3\",\n  // ours\n  \"rules\": []\n}",
         "limits.json:3: not JSON: a comment"},
        {"{\"name\": \"dept\", \"version\": \"3\", \"rules\": []}\n{}", "limits.json:2: not JSON"},
        {"", "limits.json:1: not JSON"},
        {"[]", "limits.json:1: a limits file is one object"},
    };
    for (const Case& c : cases) {
        const Result<Profile> read = ReadLimitsText(c.json, "limits.json");
        ASSERT_FALSE(read) << c.json;
        EXPECT_EQ(read.error().message.rfind(c.message, 0), 0u) << read.error().message << "\n  for " << c.json;
    }
    ASSERT_TRUE(ReadLimitsText(FileWithRule(kGoodRule), "limits.json"));
}

TEST(LimitsFileTest, AUserFileOverlaysItsBaseByIdAndBecomesTheDefault)
{
    const test::TempFolder folder;
    const std::string path = WriteTemp(folder, "dept.json", R"({
  "name": "dept", "version": "7", "base": "nfpa99",
  "rules": [
    {"id": "quellmax.case-leakage", "kind": "quellmax", "test": "Case Leakage", "unit": "uA", "max": 300, "source": "NFPA 99-2005"},
    {"id": "quellmax.case-leakage-open-neutral", "remove": true},
    {"id": "dept.insulation", "kind": "quellmax", "test": "Insulation Resistance", "unit": "MOhm", "min": 2, "source": "ours"}
  ]
})");
    const Result<LimitsLibrary> loaded = LimitsLibrary::Load(path);
    ASSERT_TRUE(loaded) << loaded.error().message;
    const LimitsLibrary& library = loaded.value();
    EXPECT_EQ(library.defaultName(), "dept");
    ASSERT_NE(library.Find("iec62353"), nullptr);
    const Profile* nfpa = library.Find("nfpa99");
    const Profile* dept = library.Find("dept");
    ASSERT_NE(nfpa, nullptr);
    ASSERT_NE(dept, nullptr);
    EXPECT_EQ(dept->version, "7");
    EXPECT_EQ(dept->rules.size(), nfpa->rules.size());
    const auto rule = [&](const std::string& id) {
        const auto found =
            std::find_if(dept->rules.begin(), dept->rules.end(), [&](const Rule& r) { return r.id == id; });
        return found == dept->rules.end() ? nullptr : &*found;
    };
    ASSERT_NE(rule("quellmax.case-leakage"), nullptr);
    EXPECT_EQ(*rule("quellmax.case-leakage")->max, 300);
    EXPECT_EQ(rule("quellmax.case-leakage-open-neutral"), nullptr);
    ASSERT_NE(rule("dept.insulation"), nullptr);
    // The base's other rules are there as they were, its strict earth bound too.
    ASSERT_NE(rule("quellmax.ground-resistance.with-cord"), nullptr);
    EXPECT_TRUE(rule("quellmax.ground-resistance.with-cord")->maxStrict);

    // Removing what the base does not have is a typo, not a quiet no-op.
    const std::string typo = WriteTemp(folder, "typo.json", R"({
  "name": "dept", "version": "7",
  "rules": [
    {"id": "quellmax.case-leakage-open-nuetral", "remove": true}
  ]
})");
    const Result<LimitsLibrary> refused = LimitsLibrary::Load(typo);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message,
              typo + ":4: no rule \"quellmax.case-leakage-open-nuetral\" in iec62353 to remove");

    const Result<LimitsLibrary> missing = LimitsLibrary::Load((folder.path() / "none.json").string());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("cannot read"), std::string::npos);
}

TEST(ShippedProfileTest, BothLoadWithTheSameRuleIdsAndAShippedFileLoadsAsAUserFile)
{
    EXPECT_EQ(ShippedProfileNames(), (std::vector<std::string>{"iec62353", "nfpa99"}));
    EXPECT_EQ(LimitsLibrary::Shipped().defaultName(), "iec62353");
    std::vector<std::set<std::string>> ids;
    for (const std::string& name : ShippedProfileNames()) {
        const Result<Profile> profile = ShippedProfile(name);
        ASSERT_TRUE(profile) << profile.error().message;
        EXPECT_EQ(profile.value().name, name);
        EXPECT_FALSE(profile.value().version.empty());
        std::set<std::string> names;
        for (const Rule& rule : profile.value().rules) {
            names.insert(rule.id);
            // A figure from a summary rather than the standard's text says so.
            const bool leakage = rule.test.find("Leakage") != std::string::npos;
            if (leakage || rule.test == "Cardio" || rule.test == "Charge Time" || rule.test == "Pacer") {
                EXPECT_NE(rule.source.find("check"), std::string::npos) << name << " " << rule.id;
            }
        }
        ids.push_back(names);

        // `limits show` prints the file as it is; a department's copy of it
        // loads and, with the same ids as the default, stands alone.
        const test::TempFolder folder;
        const std::string path = WriteTemp(folder, name + ".json", ShippedProfileText(name).value());
        const Result<LimitsLibrary> loaded = LimitsLibrary::Load(path);
        ASSERT_TRUE(loaded) << loaded.error().message;
        EXPECT_EQ(loaded.value().defaultName(), name);
        ASSERT_EQ(loaded.value().Find(name)->rules.size(), profile.value().rules.size());
        for (std::size_t i = 0; i < profile.value().rules.size(); ++i) {
            EXPECT_EQ(loaded.value().Find(name)->rules[i].max, profile.value().rules[i].max) << i;
        }
    }
    EXPECT_EQ(ids[0], ids[1]);
    const Result<std::string> unknown = ShippedProfileText("nfpa70");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message, "unknown profile \"nfpa70\"; the profiles are iec62353, nfpa99");
}

// The reading as the instrument prints it for the rule's test, with `value`
// in the rule's unit where the rule looks.
std::string PrintedReading(const Rule& rule, const std::string& value)
{
    if (rule.test == "Defib") {
        return value + " J 1754 V 35.1 A";
    }
    if (rule.test == "AED") {
        return value + " J 1756 V 35.1 A Biphasic Truncated";
    }
    if (rule.test == "Cardio") {
        return "200.2 J " + value + " ms NSR 1.0 mV";
    }
    if (rule.test == "Charge Time") {
        return "200 J " + value + " s";
    }
    if (rule.test == "Pacer") {
        return "70 PPM 20.0 ms " + value + " mA";
    }
    return value + (rule.unit == "Ohm" ? " Ohms" : " uA");
}

TEST(ShippedProfileTest, EveryRulePassesAtAndJustInsideItsBoundAndFailsJustOutside)
{
    // The figures of the standards, by rule id: the maximum in iec62353 and
    // in nfpa99 (whose earth bound is "less than"); a tolerance as 3 J or
    // 15 %, 5 mA or 10 %, the larger.
    const std::map<std::string, std::pair<double, double>> maxima{
        {"quellmax.ground-resistance.with-cord", {0.3, 0.5}},
        {"quellmax.ground-resistance.without-cord", {0.2, 0.5}},
        {"quellmax.case-leakage", {100, 100}},
        {"quellmax.case-leakage-reverse-polarity", {100, 100}},
        {"quellmax.case-leakage-open-ground", {500, 500}},
        {"quellmax.case-leakage-open-neutral", {500, 500}},
        {"quellmax.leads-leakage-to-ground.b-bf", {100, 100}},
        {"quellmax.leads-leakage-to-ground.cf", {10, 10}},
        {"quellmax.leads-leakage-reverse-polarity.b-bf", {100, 100}},
        {"quellmax.leads-leakage-reverse-polarity.cf", {10, 10}},
        {"quellmax.leads-leakage-lead-to-lead.b-bf", {100, 100}},
        {"quellmax.leads-leakage-lead-to-lead.cf", {10, 10}},
        {"quellmax.leads-leakage-open-ground.b-bf", {500, 500}},
        {"quellmax.leads-leakage-open-ground.cf", {50, 50}},
        {"quellmax.isolation-leakage.bf", {5000, 5000}},
        {"quellmax.isolation-leakage.cf", {50, 50}},
        {"quellmax.isolation-leakage-reverse-polarity.bf", {5000, 5000}},
        {"quellmax.isolation-leakage-reverse-polarity.cf", {50, 50}},
        {"quellmax.external-leakage-enclosure", {100, 100}},
        {"quellmax.external-leakage-patient-cable", {100, 100}},
        {"quellmax.external-leakage-footswitch", {100, 100}},
        {"quellmax.external-leakage-probe", {100, 100}},
        {"quellmax.external-leakage-probe-to-enclosure", {100, 100}},
        {"quellmax.external-leakage-bed-rail", {100, 100}},
        {"quellmax.external-leakage-return-electrode", {100, 100}},
        {"kappa.cardio.delay", {60, 60}},
        {"kappa.charge-time", {15, 15}},
    };
    const std::map<std::string, std::pair<double, double>> tolerances{
        {"kappa.defib.energy", {3, 0.15}}, {"kappa.aed.energy", {3, 0.15}}, {"kappa.pacer.current", {5, 0.1}}};
    for (const std::string& name : ShippedProfileNames()) {
        const Profile profile = ShippedProfile(name).value();
        EXPECT_EQ(profile.rules.size(), maxima.size() + tolerances.size());
        for (const Rule& rule : profile.rules) {
            SCOPED_TRACE(name + " " + rule.id);
            if (rule.max) {
                ASSERT_EQ(maxima.count(rule.id), 1u);
                const auto [iec, nfpa] = maxima.at(rule.id);
                EXPECT_EQ(*rule.max, name == "nfpa99" ? nfpa : iec);
                EXPECT_EQ(rule.maxStrict, name == "nfpa99" && rule.test == "Ground Resistance");
            } else {
                ASSERT_EQ(tolerances.count(rule.id), 1u);
                ASSERT_TRUE(rule.tolerance);
                EXPECT_EQ(rule.tolerance->absolute, tolerances.at(rule.id).first);
                EXPECT_EQ(rule.tolerance->relative, tolerances.at(rule.id).second);
            }
            EXPECT_FALSE(rule.min);
            // A device each rule fits: one per applied part type it names.
            std::vector<Device> devices;
            const std::vector<AppliedPart> parts =
                rule.appliedParts.empty() ? std::vector<AppliedPart>{AppliedPart::B} : rule.appliedParts;
            for (const AppliedPart part : parts) {
                Device device;
                device.equipmentId = "D-" + std::string(AppliedPartName(part));
                device.deviceClass = rule.classes.empty() ? DeviceClass::I : rule.classes.front();
                device.appliedParts = {part};
                device.cord = rule.cord;
                device.profile = name;
                devices.push_back(device);
            }
            // (reading, setting, outcome)
            std::vector<std::tuple<double, double, Outcome>> cases;
            if (rule.max) {
                const double max = *rule.max;
                const double step = max / 100;
                cases = {{max, 0, rule.maxStrict ? Outcome::Fail : Outcome::Pass},
                         {max - step, 0, Outcome::Pass},
                         {max + step, 0, Outcome::Fail}};
            } else {
                ASSERT_TRUE(rule.tolerance);
                // The larger of the absolute and the relative part decides, on both sides.
                for (const double setting : {10.0, 20.0, 100.0, 200.0}) {
                    const double within = std::max(rule.tolerance->absolute, rule.tolerance->relative * setting);
                    for (const double side : {-1.0, 1.0}) {
                        cases.emplace_back(setting + side * within, setting, Outcome::Pass);
                        cases.emplace_back(setting + side * (within - 0.1), setting, Outcome::Pass);
                        cases.emplace_back(setting + side * (within + 0.1), setting, Outcome::Fail);
                    }
                }
            }
            for (auto& device : devices) {
                for (const auto& [value, setting, outcome] : cases) {
                    if (rule.tolerance) {
                        device.settings[rule.test] = {setting};
                    }
                    const VerdictEngine engine(LimitsLibrary::Shipped(), EquipmentList({device}), name);
                    const std::string reading = PrintedReading(rule, WriteDecimal(value, 4));
                    const RecordVerdict verdict =
                        engine.JudgeRecord(rule.kind, device.equipmentId, {{"1", rule.test, reading}});
                    SCOPED_TRACE(device.equipmentId + " " + rule.test + " " + reading);
                    EXPECT_EQ(verdict.readings.at(0).ruleId, rule.id);
                    EXPECT_EQ(verdict.readings.at(0).outcome, outcome) << verdict.readings.at(0).why;
                    EXPECT_EQ(verdict.profileName, name);
                    EXPECT_EQ(verdict.profileVersion, profile.version);
                }
            }
        }
    }
}

TEST(VerdictSourcesTest, TheEngineJudgesByTheFilesOrNamesTheFaultAndItsLine)
{
    const test::TempFolder folder;
    const std::string inventory = WriteTemp(folder, "equipment.csv",
                                            std::string(kEquipmentListHeader) +
                                                "\nMON-3,Monitor,ICU,I,CF,12,,,\nMON-4,Monitor,ICU,I,BF,12,,nfpa99,\n");
    const Result<VerdictEngine> made = MakeVerdictEngine({"", "", inventory});
    ASSERT_TRUE(made) << made.error().message;
    EXPECT_EQ(made.value().defaultProfile().name, "iec62353");
    const RecordVerdict cf =
        made.value().JudgeRecord(InstrumentKind::Quellmax, "MON-3", {{"1", "Leads Leakage To Ground", "11 uA"}});
    EXPECT_EQ(cf.readings.at(0).outcome, Outcome::Fail);
    const RecordVerdict nfpa =
        made.value().JudgeRecord(InstrumentKind::Quellmax, "MON-4", {{"1", "Ground Resistance", "0.5 Ohms"}});
    EXPECT_EQ(nfpa.profileName, "nfpa99");
    EXPECT_EQ(nfpa.readings.at(0).outcome, Outcome::Fail); // less than 0.50

    const Result<VerdictEngine> named = MakeVerdictEngine({"", "nfpa99", ""});
    ASSERT_TRUE(named);
    EXPECT_EQ(named.value().defaultProfile().name, "nfpa99");

    const Result<VerdictEngine> unknown = MakeVerdictEngine({"", "nfpa98", ""});
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message, "unknown profile \"nfpa98\"; the profiles are iec62353, nfpa99");
    const std::string typo =
        WriteTemp(folder, "typo.csv", std::string(kEquipmentListHeader) + "\nA,,,I,,12,,,\nB,,,I,,12,,nfpa-99,\n");
    const Result<VerdictEngine> listed = MakeVerdictEngine({"", "", typo});
    ASSERT_FALSE(listed);
    EXPECT_EQ(listed.error().message, typo + ":3: unknown profile \"nfpa-99\"; the profiles are iec62353, nfpa99");
    const std::string bad = WriteTemp(folder, "bad.json", FileWithRule(kGoodRule + R"(, "unit": "uV")"));
    const Result<VerdictEngine> limits = MakeVerdictEngine({bad, "", inventory});
    ASSERT_FALSE(limits);
    EXPECT_EQ(limits.error().message.rfind(bad + ":3: not JSON: Duplicate key", 0), 0u) << limits.error().message;
    // A department's profile is the default, and the list may name it.
    const std::string dept = WriteTemp(folder, "dept.json", FileWithRule(kGoodRule));
    const Result<VerdictEngine> own = MakeVerdictEngine({dept, "", inventory});
    ASSERT_TRUE(own) << own.error().message;
    EXPECT_EQ(own.value().defaultProfile().name, "dept");
}

} // namespace
} // namespace tessaprint::verdict
