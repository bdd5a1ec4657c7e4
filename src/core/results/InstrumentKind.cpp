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

std::string UnitTypeText(InstrumentKind kind)
{
    switch (kind) {
    case InstrumentKind::Quellmax:
        return "Quellmax";
    case InstrumentKind::Kappa5100:
        return "Kappa 5100";
    case InstrumentKind::Pactrx:
        return "PTRX";
    }
    return {};
}

std::optional<InstrumentKind> KindFromUnitType(const std::string& unitType)
{
    for (auto kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        if (unitType == UnitTypeText(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace tessaprint
