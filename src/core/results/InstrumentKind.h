#pragma once

#include <optional>
#include <string_view>

namespace tessaprint {

// The three instruments of the family the program talks to.
enum class InstrumentKind { Quellmax, Kappa5100, Pactrx };

// Command-line names: "quellmax", "kappa", "pactrx".
std::optional<InstrumentKind> InstrumentKindFromName(std::string_view name);
std::string_view InstrumentKindName(InstrumentKind kind);

} // namespace tessaprint
