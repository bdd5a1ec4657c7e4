#include "app/LimitsChoice.h"

#include <utility>

namespace tessaprint {

LimitsChoice LimitsChoice::Read(const SettingsStore& settings)
{
    LimitsChoice choice;
    choice.on = settings.Read(settings::kVerdicts) == "1";
    choice.sources.limitsFile = settings.Read(settings::kLimitsFile);
    choice.sources.profile = settings.Read(settings::kLimitsProfile);
    choice.sources.inventoryFile = settings.Read(settings::kEquipmentList);
    return choice;
}

void LimitsChoice::Write(SettingsStore& settings) const
{
    settings.Write(settings::kVerdicts, on ? "1" : "0");
    settings.Write(settings::kLimitsFile, sources.limitsFile);
    settings.Write(settings::kLimitsProfile, sources.profile);
    settings.Write(settings::kEquipmentList, sources.inventoryFile);
}

Result<std::shared_ptr<const verdict::VerdictEngine>> MakeChosenEngine(const LimitsChoice& choice,
                                                                       const std::vector<verdict::Device>* stored)
{
    if (!choice.on) {
        return std::shared_ptr<const verdict::VerdictEngine>();
    }
    Result<verdict::VerdictEngine> engine = verdict::MakeVerdictEngine(choice.sources);
    if (!engine) {
        return engine.error();
    }
    if (choice.sources.inventoryFile.empty() && stored && !stored->empty()) {
        const verdict::LimitsLibrary& library = engine.value().library();
        for (const verdict::Device& device : *stored) {
            if (!device.profile.empty() && library.Find(device.profile) == nullptr) {
                return Error{kErrorFail, "the equipment list in the history gives " + device.equipmentId +
                                             " the profile \"" + device.profile + "\", which the limits do not have"};
            }
        }
        return std::shared_ptr<const verdict::VerdictEngine>(
            std::make_shared<verdict::VerdictEngine>(library, verdict::EquipmentList(*stored), choice.sources.profile));
    }
    return std::shared_ptr<const verdict::VerdictEngine>(
        std::make_shared<verdict::VerdictEngine>(std::move(engine.value())));
}

} // namespace tessaprint
