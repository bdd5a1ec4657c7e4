#include "app/DeviceLine.h"

#include "history/DueList.h"

namespace tessaprint {

std::string DeviceLineText(const verdict::Device& device, const std::optional<std::string>& testDay)
{
    std::string parts;
    for (const verdict::AppliedPart part : device.appliedParts) {
        parts += (parts.empty() ? "" : "; ") + std::string(verdict::AppliedPartName(part));
    }
    std::string text = "Class " + std::string(verdict::DeviceClassName(device.deviceClass)) + ", " +
                       (parts.empty() ? std::string("no applied parts") : "applied parts " + parts) + ", ";
    const std::optional<std::string> due =
        testDay ? history::AddMonths(*testDay, device.intervalMonths) : std::optional<std::string>();
    if (!due) {
        return text + "next test due " + std::to_string(device.intervalMonths) +
               " months after this test (its date cannot be read)";
    }
    return text + "next test due " + *due + " (" + std::to_string(device.intervalMonths) + " months after this test)";
}

} // namespace tessaprint
