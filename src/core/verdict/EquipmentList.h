#pragma once

#include "text/StringViewHash.h"
#include "util/Result.h"
#include "verdict/LimitsProfile.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint::verdict {

// One device of a department's equipment list.
struct Device {
    std::string equipmentId; // trimmed
    std::string description;
    std::string location;
    DeviceClass deviceClass = DeviceClass::I;
    // Empty: the device has no applied parts.
    std::vector<AppliedPart> appliedParts;
    int intervalMonths = 12;
    std::optional<Cord> cord; // empty: with-cord
    std::string profile;      // empty: the default profile
    // The nominal values the instrument does not print, by test name: the
    // n-th reading of that test in a record is judged against the n-th.
    std::map<std::string, std::vector<double>> settings;
    int line = 0; // in the file it was read from

    // The strictest of the applied parts; none when there are none.
    std::optional<AppliedPart> StrictestAppliedPart() const;
};

// The header every equipment list starts with.
inline constexpr std::string_view kEquipmentListHeader =
    "equipment_id,description,location,class,applied_parts,interval_months,cord,profile,settings";

// The equipment list as CSV (RFC 4180, UTF-8, a BOM allowed): header first,
// one device a row. A fault is an error naming the line ("equipment.csv:7:
// class \"III\" is not I, II or IP"); an ID twice is a fault too.
Result<std::vector<Device>> ReadEquipmentListText(std::string_view csv, std::string_view fileName);
Result<std::vector<Device>> ReadEquipmentListFile(const std::string& path);
// One row's nine fields, in the header's order, checked as a row of the list
// is (the error without a line); on a fault `badField`, when given, is the
// index of the field at fault. That an ID is in a list once is the caller's
// to check.
Result<Device> ReadDeviceFields(const std::vector<std::string>& fields, std::size_t* badField = nullptr);
// The same list written back: header first, sorted by ID, UTF-8 with a BOM.
std::string WriteEquipmentList(std::vector<Device> devices);

// One device's columns as the list writes them, in the header's order: the
// history's equipment table keeps these texts.
using DeviceFields = std::array<std::string, 9>;
DeviceFields FieldsOfDevice(const Device& device);
// A device from its columns, checked as a line of the list is (the error
// says what is wrong, without a line).
Result<Device> DeviceFromFields(const DeviceFields& fields);

// `Defib=2;10;200|Pacer=50;100` and back.
Result<std::map<std::string, std::vector<double>>> ReadSettingsField(std::string_view text);
std::string WriteSettingsField(const std::map<std::string, std::vector<double>>& settings);

class EquipmentList {
public:
    EquipmentList() = default;
    explicit EquipmentList(std::vector<Device> devices);
    // The device with this ID (blanks around it aside); nullptr when none.
    const Device* Find(std::string_view equipmentId) const;
    const std::vector<Device>& devices() const { return m_devices; }

private:
    std::vector<Device> m_devices;
    StringMap<std::size_t> m_byId;
};

} // namespace tessaprint::verdict
