#include "workorder/WorkOrderRecord.h"

#include "text/LowerCase.h"

namespace tessaprint {

namespace {
const std::string kEmpty;
} // namespace

const std::array<std::string_view, 30>& WorkOrderRecord::FieldKeys()
{
    static const std::array<std::string_view, 30> keys = {
        "szWorkOrderCompany",
        "szWorkOrderNumber",
        "szWorkOrderControlNumber",
        "szWorkOrderManufacturer",
        "szWorkOrderSerialNumber",
        "szWorkOrderPONumber",
        "szWorkOrderDepartment",
        "szWorkOrderLocation",
        "szWorkOrderFloor",
        "szWorkOrderRoomNumber",
        "szWorkOrderRiskPriority",
        "szWorkOrderWarrantyExpires",
        "szWorkOrderLastSeen",
        "szWorkOrderParts",
        "szWorkOrderLabor",
        "szWorkOrderDescription",
        "szWorkOrderFacility",
        "szWorkOrderModelNumber",
        "szWorkOrderStatus",
        "szWorkOrderSystem",
        "szWorkOrderBuilding",
        "szWorkOrderFixedInspections",
        "szWorkOrderNext",
        "szWorkOrderType",
        "szWorkOrderWorkOrderType",
        "szWorkOrderPersonRequesting",
        "szWorkOrderServiceRequested",
        "szWorkOrderRequestedOn",
        "szWorkOrderDue",
        "szWorkOrderPhone",
    };
    return keys;
}

WorkOrderRecord::WorkOrderRecord()
{
    for (const auto key : FieldKeys()) {
        fields.emplace(std::string(key), std::string());
    }
}

const std::string& WorkOrderRecord::Field(std::string_view key) const
{
    const auto it = fields.find(key);
    return it == fields.end() ? kEmpty : it->second;
}

void WorkOrderRecord::SetField(std::string_view key, std::string value)
{
    const auto it = fields.find(key);
    if (it != fields.end()) {
        it->second = std::move(value);
    }
}

std::vector<std::string>& WorkOrderRecord::List(std::string_view key)
{
    return key == kService ? service : key == kResults ? results : checks;
}

const std::vector<std::string>& WorkOrderRecord::List(std::string_view key) const
{
    return key == kService ? service : key == kResults ? results : checks;
}

std::string SlotKey(std::string_view list, int slot)
{
    return std::string(list) + "[" + std::to_string(slot) + "]";
}

void LoadWorkOrder(const SettingsStore& settings, WorkOrderRecord& record)
{
    const std::string section(settings::kWorkOrder);
    for (const auto key : WorkOrderRecord::FieldKeys()) {
        record.SetField(key, settings.GetProfileString(section, std::string(key), ""));
    }
    for (const auto list : {WorkOrderRecord::kService, WorkOrderRecord::kResults, WorkOrderRecord::kChecks}) {
        auto& slots = record.List(list);
        for (int i = 0; i < WorkOrderRecord::kStoredSlots; ++i) {
            slots[static_cast<std::size_t>(i)] = settings.GetProfileString(section, SlotKey(list, i), "");
        }
    }
}

void StoreWorkOrder(SettingsStore& settings, const WorkOrderRecord& record)
{
    const std::string section(settings::kWorkOrder);
    for (const auto key : WorkOrderRecord::FieldKeys()) {
        settings.WriteProfileString(section, std::string(key), record.Field(key));
    }
    for (const auto list : {WorkOrderRecord::kService, WorkOrderRecord::kResults, WorkOrderRecord::kChecks}) {
        const auto& slots = record.List(list);
        for (int i = 0; i < WorkOrderRecord::kStoredSlots; ++i) {
            settings.WriteProfileString(section, SlotKey(list, i), slots[static_cast<std::size_t>(i)]);
        }
    }
}

std::string JoinServiceLine(const std::string& date, const std::string& description)
{
    return date + " ; " + description;
}

std::string JoinResultsLine(const std::array<std::string, 10>& columns)
{
    std::string line = columns[0];
    for (std::size_t i = 1; i < columns.size(); ++i) {
        line += " ; " + columns[i];
    }
    return line;
}

std::string SplitOff(std::string& rest)
{
    const auto semicolon = rest.find(';');
    if (semicolon == std::string::npos) {
        return {};
    }
    std::string piece = rest.substr(0, semicolon);
    rest.erase(0, semicolon + 1);
    return piece;
}

bool WorkOrderListLess(const std::string& a, const std::string& b)
{
    // Strings compare their bytes as unsigned char: bytes above 0x7F sort after the letters.
    const std::string foldedA = LocaleLower(a);
    const std::string foldedB = LocaleLower(b);
    return foldedA < foldedB || (foldedA == foldedB && a < b); // the same but for case: a fixed order all the same
}

} // namespace tessaprint
