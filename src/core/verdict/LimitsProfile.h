#pragma once

#include "results/InstrumentKind.h"
#include "util/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::verdict {

enum class DeviceClass { I, II, InternallyPowered }; // "I", "II", "IP"
// Ordered from the least to the most strict: several applied parts are
// judged by the strictest.
enum class AppliedPart { B, BF, CF };
enum class Cord { WithCord, WithoutCord }; // "with-cord", "without-cord"

// A tolerance around the nominal value the equipment list gives for the
// test (its `settings`): |reading - N| <= max(absolute, relative * |N|).
struct Tolerance {
    double absolute = 0; // in the rule's unit
    double relative = 0; // a fraction: 0.15 for 15 %
};

// One rule of a profile: which readings it judges and against what.
struct Rule {
    std::string id; // unique in its profile; a user file replaces a rule by it
    InstrumentKind kind = InstrumentKind::Quellmax;
    std::string test; // the exact test name ("Case Leakage Open Ground")
    // The number of a reading with several that the rule judges: the one of
    // the quantity of `fieldUnit`, or the `fieldPosition`-th (from 1). Neither
    // set: the reading must be exactly one number.
    std::string fieldUnit;
    int fieldPosition = 0;
    std::string unit; // the unit of min, max and the tolerance, a name UnitFromText knows
    std::optional<double> min;
    std::optional<double> max;
    bool minStrict = false; // "more than" rather than "at least"
    bool maxStrict = false; // "less than" rather than "at most"
    std::optional<Tolerance> tolerance;
    // Empty: any. A rule naming applied parts cannot judge a device whose
    // applied parts are not known.
    std::vector<DeviceClass> classes;
    std::vector<AppliedPart> appliedParts;
    std::optional<Cord> cord;
    std::string source; // where the figure comes from
    // In a user file: drop the base profile's rule of this id (the rule has
    // nothing but its id then).
    bool remove = false;
    int line = 0; // in the file it was read from; 0 for a built one
};

struct Profile {
    std::string name;
    std::string version;
    std::string description;
    std::vector<Rule> rules;
    // A user file's: the shipped profile its rules overlay (empty: the
    // default). A shipped profile has none.
    std::string base = {};
};

// The profiles that ship with the program ("iec62353", the default, and
// "nfpa99"), read from the files built into it.
inline constexpr std::string_view kDefaultProfile = "iec62353";
std::vector<std::string> ShippedProfileNames();
Result<Profile> ShippedProfile(std::string_view name);
// The built-in file as it is, for `limits show`: a file to start from.
Result<std::string> ShippedProfileText(std::string_view name);

// Reads a limits file (JSON): either a whole profile or a user file that
// names a `base` profile and adds or replaces its rules by id. Every rule is
// checked (a known kind and unit, a bound or a tolerance, known classes and
// applied parts, no id twice); a fault is an error naming the file's line
// ("limits.json:14: unknown unit \"uV\""). Nothing is half read.
Result<Profile> ReadLimitsFile(const std::string& path);
Result<Profile> ReadLimitsText(std::string_view json, std::string_view fileName);

// The profiles in use: the shipped ones, and a user file's profile on top of
// its base (a new profile under the user file's name).
class LimitsLibrary {
public:
    // The shipped profiles only.
    static LimitsLibrary Shipped();
    // Profiles made elsewhere (tests, a caller's own); `defaultName` must be one of them.
    static LimitsLibrary FromProfiles(std::vector<Profile> profiles, std::string defaultName);
    // The shipped profiles and a user file; `userFile` empty: shipped only.
    static Result<LimitsLibrary> Load(const std::string& userFile);

    // A profile by name; nullptr when there is none.
    const Profile* Find(std::string_view name) const;
    // The profile used where none is named: the user file's, else iec62353.
    const std::string& defaultName() const { return m_defaultName; }
    const std::vector<Profile>& profiles() const { return m_profiles; }

    // The user file's rules replace the base's of the same id and add the rest.
    static Profile Overlay(const Profile& base, const Profile& user);

private:
    std::vector<Profile> m_profiles;
    std::string m_defaultName = std::string(kDefaultProfile);
};

// "I", "II", "IP"; "B", "BF", "CF"; "with-cord", "without-cord".
std::string_view DeviceClassName(DeviceClass value);
std::optional<DeviceClass> DeviceClassFromName(std::string_view name);
std::string_view AppliedPartName(AppliedPart value);
std::optional<AppliedPart> AppliedPartFromName(std::string_view name);
std::string_view CordName(Cord value);
std::optional<Cord> CordFromName(std::string_view name);

} // namespace tessaprint::verdict
