#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaprint {

// The three instruments of the family the program talks to.
enum class InstrumentKind { Quellmax, Kappa5100, Pactrx };

// Command-line names: "quellmax", "kappa", "pactrx".
std::optional<InstrumentKind> InstrumentKindFromName(std::string_view name);
std::string_view InstrumentKindName(InstrumentKind kind);

// The texts behind the kind radio buttons, as stored in "Settings"/"szUnitType":
// "Quellmax", "Kappa 5100", "PTRX".
std::string UnitTypeText(InstrumentKind kind);
std::optional<InstrumentKind> KindFromUnitType(const std::string& unitType);

} // namespace tessaprint
