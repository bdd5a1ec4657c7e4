#include "verdict/LimitsProfile.h"

#include <algorithm>
#include <array>
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
        if (same != result.rules.end()) {
            *same = rule;
        } else {
            result.rules.push_back(rule);
        }
    }
    return result;
}

} // namespace tessaprint::verdict
