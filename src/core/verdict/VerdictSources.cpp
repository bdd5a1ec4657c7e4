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
    std::vector<Device> devices;
    if (!sources.inventoryFile.empty()) {
        Result<std::vector<Device>> read = ReadEquipmentListFile(sources.inventoryFile);
        if (!read) {
            return read.error();
        }
        devices = std::move(read).value();
    }
    return MakeVerdictEngine(sources, std::move(devices), sources.inventoryFile);
}

Result<VerdictEngine> MakeVerdictEngine(const VerdictSources& sources, std::vector<Device> equipment,
                                        const std::string& listName)
{
    Result<LimitsLibrary> library = LimitsLibrary::Load(sources.limitsFile);
    if (!library) {
        return library.error();
    }
    if (!sources.profile.empty() && library.value().Find(sources.profile) == nullptr) {
        return Error{kErrorFail,
                     "unknown profile \"" + sources.profile + "\"; the profiles are " + ProfileNames(library.value())};
    }
    for (const Device& device : equipment) {
        if (!device.profile.empty() && library.value().Find(device.profile) == nullptr) {
            // A list read from a file names the line; one kept in a database, the device.
            const std::string where =
                device.line > 0 ? listName + ":" + std::to_string(device.line) : listName + ": " + device.equipmentId;
            return Error{kErrorFail, where + ": unknown profile \"" + device.profile + "\"; the profiles are " +
                                         ProfileNames(library.value())};
        }
    }
    return VerdictEngine(std::move(library).value(), EquipmentList(std::move(equipment)), sources.profile);
}

} // namespace tessaprint::verdict
