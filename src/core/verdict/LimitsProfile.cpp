#include "verdict/LimitsProfile.h"

#include "text/DecimalText.h"
#include "text/Trim.h"
#include "util/FileIo.h"
#include "verdict/ReadingValue.h"
#include "verdict/ShippedLimits.h"

#include <json/json.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>

namespace tessaprint::verdict {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> FromName(const std::array<std::pair<Enum, std::string_view>, N>& names, std::string_view name)
{
    for (const auto& [value, text] : names) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

template <typename Enum, std::size_t N>
std::string_view NameOf(const std::array<std::pair<Enum, std::string_view>, N>& names, Enum value)
{
    for (const auto& [entry, text] : names) {
        if (entry == value) {
            return text;
        }
    }
    return {};
}

constexpr std::array<std::pair<DeviceClass, std::string_view>, 3> kClassNames{
    {{DeviceClass::I, "I"}, {DeviceClass::II, "II"}, {DeviceClass::InternallyPowered, "IP"}}};
constexpr std::array<std::pair<AppliedPart, std::string_view>, 3> kAppliedPartNames{
    {{AppliedPart::B, "B"}, {AppliedPart::BF, "BF"}, {AppliedPart::CF, "CF"}}};
constexpr std::array<std::pair<Cord, std::string_view>, 2> kCordNames{
    {{Cord::WithCord, "with-cord"}, {Cord::WithoutCord, "without-cord"}}};

} // namespace

std::string_view DeviceClassName(DeviceClass value)
{
    return NameOf(kClassNames, value);
}
std::optional<DeviceClass> DeviceClassFromName(std::string_view name)
{
    return FromName(kClassNames, name);
}
std::string_view AppliedPartName(AppliedPart value)
{
    return NameOf(kAppliedPartNames, value);
}
std::optional<AppliedPart> AppliedPartFromName(std::string_view name)
{
    return FromName(kAppliedPartNames, name);
}
std::string_view CordName(Cord value)
{
    return NameOf(kCordNames, value);
}
std::optional<Cord> CordFromName(std::string_view name)
{
    return FromName(kCordNames, name);
}

LimitsLibrary LimitsLibrary::FromProfiles(std::vector<Profile> profiles, std::string defaultName)
{
    LimitsLibrary library;
    library.m_profiles = std::move(profiles);
    library.m_defaultName = std::move(defaultName);
    return library;
}

const Profile* LimitsLibrary::Find(std::string_view name) const
{
    const auto found = std::find_if(m_profiles.begin(), m_profiles.end(),
                                    [&](const Profile& profile) { return profile.name == name; });
    return found == m_profiles.end() ? nullptr : &*found;
}

Profile LimitsLibrary::Overlay(const Profile& base, const Profile& user)
{
    Profile result = user;
    result.rules = base.rules;
    for (const Rule& rule : user.rules) {
        const auto same = std::find_if(result.rules.begin(), result.rules.end(),
                                       [&](const Rule& existing) { return existing.id == rule.id; });
        if (rule.remove) {
            if (same != result.rules.end()) {
                result.rules.erase(same);
            }
        } else if (same != result.rules.end()) {
            *same = rule;
        } else {
            result.rules.push_back(rule);
        }
    }
    return result;
}

namespace {

// A fault of a limits file, thrown inside the reader only and turned into
// the Error the reader answers with.
struct LimitsFault {
    int line;
    std::string what;
};

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string NameList(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return list;
}

// Reads one limits file and checks every value of it. Numbers are read from
// the file's own text with ReadDecimal, never through a stream, so that the
// process locale cannot change them and an exponent is refused as in a
// reading.
class LimitsReader {
public:
    explicit LimitsReader(std::string_view json) : m_json(json)
    {
        for (std::size_t i = 0; i < m_json.size(); ++i) {
            if (m_json[i] == '\n') {
                m_lineStarts.push_back(i + 1);
            }
        }
    }

    Profile Read()
    {
        Json::Value root;
        Parse(root);
        if (!root.isObject()) {
            throw LimitsFault{LineOf(root), "a limits file is one object with name, version and rules"};
        }
        Keys(root, {"name", "version", "description", "base", "rules"});
        Profile profile;
        profile.name = RequiredText(root, "name", "a limits file without a name");
        profile.version = RequiredText(root, "version", "a limits file without a version");
        profile.description = OptionalText(root, "description");
        if (root.isMember("base")) {
            profile.base = RequiredText(root, "base", "an empty base");
            const std::vector<std::string> shipped = ShippedProfileNames();
            if (std::find(shipped.begin(), shipped.end(), profile.base) == shipped.end()) {
                throw LimitsFault{LineOf(std::as_const(root)["base"]), "base " + Quoted(profile.base) +
                                                                           " is not a shipped profile (" +
                                                                           NameList(shipped) + ")"};
            }
        }
        const Json::Value& rules = std::as_const(root)["rules"];
        if (!rules.isArray()) {
            throw LimitsFault{root.isMember("rules") ? LineOf(rules) : LineOf(root),
                              "a limits file needs a list of rules (\"rules\": [...])"};
        }
        std::map<std::string, int> lineOfId;
        for (const Json::Value& value : rules) {
            Rule rule = ReadRule(value);
            const auto [earlier, added] = lineOfId.emplace(rule.id, rule.line);
            if (!added) {
                throw LimitsFault{rule.line,
                                  "rule id " + Quoted(rule.id) + " already on line " + std::to_string(earlier->second)};
            }
            profile.rules.push_back(std::move(rule));
        }
        return profile;
    }

private:
    void Parse(Json::Value& root) const
    {
        Json::CharReaderBuilder builder;
        Json::CharReaderBuilder::strictMode(&builder.settings_);
        RefuseComments();
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::String errors;
        if (reader->parse(m_json.data(), m_json.data() + m_json.size(), &root, &errors)) {
            return;
        }
        // "* Line 3, Column 5\n  Missing ',' or '}' in object declaration\n..."
        int line = 0;
        std::string what = "not a JSON file";
        const std::string_view text = errors;
        const std::size_t at = text.find("Line ");
        if (at != std::string_view::npos) {
            const std::size_t digits = at + 5;
            std::size_t end = digits;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
                line = line * 10 + (text[end] - '0');
                ++end;
            }
            const std::size_t message = text.find('\n', end);
            if (message != std::string_view::npos) {
                const std::size_t messageEnd = text.find('\n', message + 1);
                const std::string_view words = Trimmed(text.substr(message + 1, messageEnd - message - 1), " \t\r");
                if (!words.empty()) {
                    what = "not JSON: " + std::string(words);
                }
            }
        }
        throw LimitsFault{line, what};
    }

    // jsoncpp skips comments inside objects whatever its settings say; JSON
    // has none, and '/' outside a string can only start one.
    void RefuseComments() const
    {
        bool inString = false;
        for (std::size_t i = 0; i < m_json.size(); ++i) {
            const char c = m_json[i];
            if (inString && c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = !inString;
            } else if (!inString && c == '/') {
                throw LimitsFault{LineAt(i), "not JSON: a comment (JSON has none; a \"description\" may say why)"};
            }
        }
    }

    int LineAt(std::size_t offset) const
    {
        return static_cast<int>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) -
                                m_lineStarts.begin());
    }

    int LineOf(const Json::Value& value) const
    {
        return LineAt(static_cast<std::size_t>(std::max<std::ptrdiff_t>(value.getOffsetStart(), 0)));
    }

    std::string_view TextOf(const Json::Value& value) const
    {
        const auto start = static_cast<std::size_t>(value.getOffsetStart());
        const auto limit = static_cast<std::size_t>(value.getOffsetLimit());
        return m_json.substr(start, limit - start);
    }

    // Every member must be one the object may have: a misspelt "mxa" must
    // never silently drop a bound.
    void Keys(const Json::Value& object, std::initializer_list<std::string_view> allowed) const
    {
        for (const std::string& name : object.getMemberNames()) {
            if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
                std::string known;
                for (const std::string_view key : allowed) {
                    known += (known.empty() ? "" : ", ") + std::string(key);
                }
                throw LimitsFault{LineOf(object[name]), "unknown key " + Quoted(name) + " (known: " + known + ")"};
            }
        }
    }

    std::string Text(const Json::Value& value, std::string_view key) const
    {
        if (!value.isString()) {
            throw LimitsFault{LineOf(value), std::string(key) + " must be a text in quotes"};
        }
        return std::string(TrimBlanks(value.asString()));
    }

    std::string OptionalText(const Json::Value& object, const char* key) const
    {
        return object.isMember(key) ? Text(object[key], key) : std::string();
    }

    std::string RequiredText(const Json::Value& object, const char* key, const char* missing) const
    {
        const std::string text = OptionalText(object, key);
        if (text.empty()) {
            throw LimitsFault{object.isMember(key) ? LineOf(object[key]) : LineOf(object), missing};
        }
        return text;
    }

    double Number(const Json::Value& value, std::string_view key) const
    {
        const std::optional<double> number = value.isNumeric() ? ReadDecimal(TextOf(value)) : std::nullopt;
        if (!number) {
            throw LimitsFault{LineOf(value), std::string(key) + " must be a number written as digits with a point, "
                                                                "such as 0.5"};
        }
        return *number;
    }

    bool Flag(const Json::Value& object, const char* key) const
    {
        if (!object.isMember(key)) {
            return false;
        }
        if (!object[key].isBool()) {
            throw LimitsFault{LineOf(object[key]), std::string(key) + " must be true or false"};
        }
        return object[key].asBool();
    }

    template <typename Enum>
    std::vector<Enum> NameListOf(const Json::Value& object, const char* key,
                                 std::optional<Enum> (*fromName)(std::string_view), const char* names) const
    {
        std::vector<Enum> values;
        if (!object.isMember(key)) {
            return values;
        }
        const Json::Value& list = object[key];
        if (!list.isArray() || list.empty()) {
            throw LimitsFault{LineOf(list),
                              std::string(key) + " must be a list of " + names + " (leave it out for any)"};
        }
        for (const Json::Value& entry : list) {
            const std::optional<Enum> value = entry.isString() ? fromName(entry.asString()) : std::nullopt;
            if (!value) {
                throw LimitsFault{LineOf(entry), std::string(key) + ": " +
                                                     (entry.isString() ? Quoted(entry.asString()) : "a value") +
                                                     " is not one of " + names};
            }
            values.push_back(*value);
        }
        return values;
    }

    Unit KnownUnit(const Json::Value& value, std::string_view key, InstrumentKind kind) const
    {
        const std::string name = Text(value, key);
        const std::optional<Unit> unit = UnitFromText(name, kind);
        if (!unit) {
            throw LimitsFault{LineOf(value), "unknown unit " + Quoted(name)};
        }
        return *unit;
    }

    Rule ReadRule(const Json::Value& value) const
    {
        Rule rule;
        rule.line = LineOf(value);
        if (!value.isObject()) {
            throw LimitsFault{rule.line, "a rule must be an object ({\"id\": ...})"};
        }
        rule.id = RequiredText(value, "id", "rule without an id");
        rule.remove = Flag(value, "remove");
        if (rule.remove) {
            Keys(value, {"id", "remove"});
            return rule;
        }
        Keys(value, {"id", "kind", "test", "field", "unit", "min", "max", "minStrict", "maxStrict", "tolerance",
                     "class", "appliedParts", "cord", "source", "remove"});

        const std::string kind = RequiredText(value, "kind", "rule without a kind (quellmax, kappa or pactrx)");
        const std::optional<InstrumentKind> known = InstrumentKindFromName(kind);
        if (!known) {
            throw LimitsFault{LineOf(value["kind"]), "kind " + Quoted(kind) + " is not quellmax, kappa or pactrx"};
        }
        rule.kind = *known;
        rule.test = RequiredText(value, "test", "rule without a test name");
        if (!value.isMember("unit")) {
            throw LimitsFault{rule.line, "rule without a unit"};
        }
        rule.unit = Text(value["unit"], "unit");
        const Unit unit = KnownUnit(value["unit"], "unit", rule.kind);

        if (value.isMember("field")) {
            const Json::Value& field = value["field"];
            if (!field.isObject() || field.size() != 1) {
                throw LimitsFault{LineOf(field), "field must be {\"unit\": U} or {\"position\": N}"};
            }
            Keys(field, {"unit", "position"});
            if (field.isMember("unit")) {
                const Unit fieldUnit = KnownUnit(field["unit"], "field unit", rule.kind);
                if (fieldUnit.quantity != unit.quantity) {
                    throw LimitsFault{LineOf(field["unit"]), "field unit " + Quoted(field["unit"].asString()) +
                                                                 " does not fit the rule's unit " + Quoted(rule.unit)};
                }
                rule.fieldUnit = field["unit"].asString();
            } else {
                const Json::Value& position = field["position"];
                const std::string_view digits = position.isUInt() ? TextOf(position) : std::string_view();
                if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos ||
                    position.asUInt() < 1 || position.asUInt() > 100) {
                    throw LimitsFault{LineOf(position), "field position must be a whole number from 1"};
                }
                rule.fieldPosition = static_cast<int>(position.asUInt());
            }
        }

        if (value.isMember("min")) {
            rule.min = Number(value["min"], "min");
        }
        if (value.isMember("max")) {
            rule.max = Number(value["max"], "max");
        }
        rule.minStrict = Flag(value, "minStrict");
        rule.maxStrict = Flag(value, "maxStrict");
        if (rule.minStrict && !rule.min) {
            throw LimitsFault{LineOf(value["minStrict"]), "minStrict without a min"};
        }
        if (rule.maxStrict && !rule.max) {
            throw LimitsFault{LineOf(value["maxStrict"]), "maxStrict without a max"};
        }
        if (rule.min && rule.max && *rule.min > *rule.max) {
            throw LimitsFault{LineOf(value["min"]), "min is above max"};
        }
        if (value.isMember("tolerance")) {
            const Json::Value& tolerance = value["tolerance"];
            if (!tolerance.isObject() || tolerance.empty()) {
                throw LimitsFault{LineOf(tolerance),
                                  "tolerance must be {\"absolute\": a, \"relative\": r}, at least one of them"};
            }
            Keys(tolerance, {"absolute", "relative"});
            Tolerance around;
            if (tolerance.isMember("absolute")) {
                around.absolute = Number(tolerance["absolute"], "absolute");
                if (around.absolute < 0) {
                    throw LimitsFault{LineOf(tolerance["absolute"]), "a negative tolerance"};
                }
            }
            if (tolerance.isMember("relative")) {
                around.relative = Number(tolerance["relative"], "relative");
                if (around.relative < 0 || around.relative > 1) {
                    throw LimitsFault{LineOf(tolerance["relative"]),
                                      "relative tolerance is a fraction from 0 to 1 (0.15 for 15 %)"};
                }
            }
            if (rule.min || rule.max) {
                throw LimitsFault{LineOf(tolerance), "a rule has a tolerance or min and max, not both"};
            }
            rule.tolerance = around;
        }
        if (!rule.min && !rule.max && !rule.tolerance) {
            throw LimitsFault{rule.line, "rule without min, max or tolerance"};
        }

        rule.classes = NameListOf<DeviceClass>(value, "class", DeviceClassFromName, "I, II or IP");
        rule.appliedParts = NameListOf<AppliedPart>(value, "appliedParts", AppliedPartFromName, "B, BF or CF");
        if (value.isMember("cord")) {
            const std::string cord = Text(value["cord"], "cord");
            const std::optional<Cord> cordValue = CordFromName(cord);
            if (!cordValue) {
                throw LimitsFault{LineOf(value["cord"]), "cord " + Quoted(cord) + " is not with-cord or without-cord"};
            }
            rule.cord = cordValue;
        }
        rule.source = RequiredText(value, "source", "rule without a source");
        return rule;
    }

    std::string_view m_json;
    std::vector<std::size_t> m_lineStarts{0};
};

} // namespace

Result<Profile> ReadLimitsText(std::string_view json, std::string_view fileName)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (json.substr(0, kBom.size()) == kBom) {
        json.remove_prefix(kBom.size());
    }
    try {
        return LimitsReader(json).Read();
    } catch (const LimitsFault& fault) {
        return Error{kErrorFail, std::string(fileName) + ":" + std::to_string(fault.line) + ": " + fault.what};
    }
}

Result<Profile> ReadLimitsFile(const std::string& path)
{
    const Result<std::string> content = ReadWholeFile(path);
    if (!content) {
        return content.error();
    }
    return ReadLimitsText(content.value(), path);
}

std::vector<std::string> ShippedProfileNames()
{
    std::vector<std::string> names;
    for (const auto& [name, text] : ShippedLimitsFiles()) {
        names.emplace_back(name);
    }
    return names;
}

Result<std::string> ShippedProfileText(std::string_view name)
{
    for (const auto& [shipped, text] : ShippedLimitsFiles()) {
        if (shipped == name) {
            return std::string(text);
        }
    }
    return Error{kErrorFail,
                 "unknown profile " + Quoted(name) + "; the profiles are " + NameList(ShippedProfileNames())};
}

Result<Profile> ShippedProfile(std::string_view name)
{
    const Result<std::string> text = ShippedProfileText(name);
    if (!text) {
        return text.error();
    }
    return ReadLimitsText(text.value(), std::string(name) + ".json");
}

LimitsLibrary LimitsLibrary::Shipped()
{
    // The shipped files are checked by the tests: one that did not load
    // would be a fault of the build, not of the department's files.
    LimitsLibrary library;
    for (const std::string& name : ShippedProfileNames()) {
        if (Result<Profile> profile = ShippedProfile(name)) {
            library.m_profiles.push_back(std::move(profile).value());
        }
    }
    return library;
}

Result<LimitsLibrary> LimitsLibrary::Load(const std::string& userFile)
{
    LimitsLibrary library = Shipped();
    if (userFile.empty()) {
        return library;
    }
    Result<Profile> user = ReadLimitsFile(userFile);
    if (!user) {
        return user.error();
    }
    const std::string baseName = user.value().base.empty() ? std::string(kDefaultProfile) : user.value().base;
    const Profile* base = library.Find(baseName);
    if (base == nullptr) {
        return Error{kErrorFail, userFile + ": base profile " + Quoted(baseName) + " is not built into the program"};
    }
    // Removing a rule the base does not have is a typo, never a silent no-op.
    for (const Rule& rule : user.value().rules) {
        const bool inBase = std::any_of(base->rules.begin(), base->rules.end(),
                                        [&](const Rule& existing) { return existing.id == rule.id; });
        if (rule.remove && !inBase) {
            return Error{kErrorFail, userFile + ":" + std::to_string(rule.line) + ": no rule " + Quoted(rule.id) +
                                         " in " + baseName + " to remove"};
        }
    }
    Profile overlaid = Overlay(*base, user.value());
    overlaid.base = baseName;
    library.m_defaultName = overlaid.name;
    // A user profile under a shipped name takes that name's place.
    const auto same = std::find_if(library.m_profiles.begin(), library.m_profiles.end(),
                                   [&](const Profile& profile) { return profile.name == overlaid.name; });
    if (same != library.m_profiles.end()) {
        *same = std::move(overlaid);
    } else {
        library.m_profiles.push_back(std::move(overlaid));
    }
    return library;
}

} // namespace tessaprint::verdict
