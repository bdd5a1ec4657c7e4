#include "verdict/VerdictSources.h"

namespace tessaprint::verdict {

namespace {

std::string ProfileNames(const LimitsLibrary& library)
{
    std::string names;
    for (const Profile& profile : library.profiles()) {
        names += (names.empty() ? "" : ", ") + profile.name;
    }
    return names;
}

} // namespace

Result<VerdictEngine> MakeVerdictEngine(const VerdictSources& sources)
{
    Result<LimitsLibrary> library = LimitsLibrary::Load(sources.limitsFile);
    if (!library) {
        return library.error();
    }
    if (!sources.profile.empty() && library.value().Find(sources.profile) == nullptr) {
        return Error{kErrorFail,
                     "unknown profile \"" + sources.profile + "\"; the profiles are " + ProfileNames(library.value())};
    }
    std::vector<Device> devices;
    if (!sources.inventoryFile.empty()) {
        Result<std::vector<Device>> read = ReadEquipmentListFile(sources.inventoryFile);
        if (!read) {
            return read.error();
        }
        devices = std::move(read).value();
    }
    for (const Device& device : devices) {
        if (!device.profile.empty() && library.value().Find(device.profile) == nullptr) {
            return Error{kErrorFail, sources.inventoryFile + ":" + std::to_string(device.line) +
                                         ": unknown profile \"" + device.profile + "\"; the profiles are " +
                                         ProfileNames(library.value())};
        }
    }
    return VerdictEngine(std::move(library).value(), EquipmentList(std::move(devices)), sources.profile);
}

} // namespace tessaprint::verdict
