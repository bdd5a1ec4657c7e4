#pragma once

#include "util/SettingsStore.h"

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// The work order being filled in: 30 text fields and three lists, each
// string named by its settings key in section "Work Order".
struct WorkOrderRecord {
    static constexpr int kListSlots = 50;  // entries a list can hold
    static constexpr int kStoredSlots = 8; // of which the settings keep the first eight

    static const std::array<std::string_view, 30>& FieldKeys();
    static constexpr std::string_view kService = "szWorkOrderEquipmentServiceInformation";
    static constexpr std::string_view kResults = "szWorkOrderResults";
    static constexpr std::string_view kChecks = "szWorkOrderChecks";

    WorkOrderRecord();

    // The field of a key ("szWorkOrderCompany"); empty for an unknown key.
    const std::string& Field(std::string_view key) const;
    void SetField(std::string_view key, std::string value);

    std::vector<std::string>& List(std::string_view key);
    const std::vector<std::string>& List(std::string_view key) const;

    std::map<std::string, std::string, std::less<>> fields;
    std::vector<std::string> service = std::vector<std::string>(kListSlots);
    std::vector<std::string> results = std::vector<std::string>(kListSlots);
    std::vector<std::string> checks = std::vector<std::string>(kListSlots);
};

// The settings key of a stored slot: "szWorkOrderChecks[3]".
std::string SlotKey(std::string_view list, int slot);

// Reads the 30 fields and slots 0 to 7 of each list; later slots are left alone.
void LoadWorkOrder(const SettingsStore& settings, WorkOrderRecord& record);
// Writes the 30 fields and slots 0 to 7 of each list (54 strings).
void StoreWorkOrder(SettingsStore& settings, const WorkOrderRecord& record);

// The list lines the entry dialogs make: "date ; description", and the ten
// results columns joined with " ; ".
std::string JoinServiceLine(const std::string& date, const std::string& description);
std::string JoinResultsLine(const std::array<std::string, 10>& columns);

// Takes the text before the first ';' (empty when there is none) and leaves
// what follows it in rest (all of it when there is none). Nothing is trimmed.
std::string SplitOff(std::string& rest);

// The order of the sorted lists: alphabetical, letters compared without case.
bool WorkOrderListLess(const std::string& a, const std::string& b);

} // namespace tessaprint
