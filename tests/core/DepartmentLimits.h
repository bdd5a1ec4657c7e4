#pragma once

// A department's own limits for the sample printout: Case Leakage at most
// 100 µA (its 0.1 uA passes), Ground Resistance at most 0.1 Ω (its 0.123 Ohms
// fails), both for the electrical safety analyzer only; Line Voltage has no rule.
#include "verdict/VerdictEngine.h"

#include <memory>
#include <string>

namespace tessaprint::test {

inline std::shared_ptr<const verdict::VerdictEngine> DepartmentLimits()
{
    const auto rule = [](std::string id, std::string test, std::string unit, double max) {
        verdict::Rule made;
        made.id = std::move(id);
        made.test = std::move(test);
        made.unit = std::move(unit);
        made.max = max;
        made.source = "department";
        return made;
    };
    verdict::Profile profile;
    profile.name = "department";
    profile.version = "3";
    profile.rules = {rule("case", "Case Leakage", "uA", 100), rule("ground", "Ground Resistance", "Ohm", 0.1)};
    return std::make_shared<verdict::VerdictEngine>(verdict::LimitsLibrary::FromProfiles({profile}, "department"),
                                                    verdict::EquipmentList{});
}

} // namespace tessaprint::test
