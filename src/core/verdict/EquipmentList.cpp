#include "verdict/EquipmentList.h"

#include "text/Trim.h"

#include <algorithm>

namespace tessaprint::verdict {

std::optional<AppliedPart> Device::StrictestAppliedPart() const
{
    if (appliedParts.empty()) {
        return std::nullopt;
    }
    return *std::max_element(appliedParts.begin(), appliedParts.end());
}

EquipmentList::EquipmentList(std::vector<Device> devices) : m_devices(std::move(devices))
{
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        m_byId.emplace(m_devices[i].equipmentId, i);
    }
}

const Device* EquipmentList::Find(std::string_view equipmentId) const
{
    const auto found = m_byId.find(TrimBlanks(equipmentId));
    return found == m_byId.end() ? nullptr : &m_devices[found->second];
}

} // namespace tessaprint::verdict
