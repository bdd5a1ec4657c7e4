#include "results/InstrumentKind.h"

namespace tessaprint {

std::optional<InstrumentKind> InstrumentKindFromName(std::string_view name)
{
    if (name == "quellmax") {
        return InstrumentKind::Quellmax;
    }
    if (name == "kappa") {
        return InstrumentKind::Kappa5100;
    }
    if (name == "pactrx") {
        return InstrumentKind::Pactrx;
    }
    return std::nullopt;
}

std::string_view InstrumentKindName(InstrumentKind kind)
{
    switch (kind) {
    case InstrumentKind::Quellmax:
        return "quellmax";
    case InstrumentKind::Kappa5100:
        return "kappa";
    case InstrumentKind::Pactrx:
        return "pactrx";
    }
    return "quellmax";
}

} // namespace tessaprint
