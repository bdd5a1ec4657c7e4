// Limits files: what a department writes, every fault named by its line, the
// overlay of a user's rules on a shipped profile, and the shipped profiles.
#include "TestFiles.h"

#include "verdict/LimitsProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

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
    EXPECT_EQ(profile.base, "nfpa99");
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
        EXPECT_TRUE(profile.value().base.empty());
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

} // namespace
} // namespace tessaprint::verdict
