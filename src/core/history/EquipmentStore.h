#pragma once

#include "history/HistoryStore.h"
#include "util/Result.h"
#include "verdict/EquipmentList.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaprint::history {

// What an import of an equipment list changed.
struct EquipmentImportCounts {
    int added = 0;
    int replaced = 0;  // an ID that was there with other values
    int unchanged = 0; // an ID that was there with the same values
};

// The latest test of an equipment ID in the history: the latest test day of
// its records and the record of that day recorded last (its readings and
// its capture's kind), for the due list's "failed". Its readings come
// packed (PackedReadings.h), as the history keeps them beside each record:
// read for every device of the list at once, one text a record is a third
// of the time of one object a reading.
struct LatestTest {
    std::string equipmentId;            // trimmed, as the records hold it
    std::optional<std::string> testDay; // ISO day; none when no record of the ID has a readable date
    std::string kind;                   // "Quellmax", "Kappa 5100", "PTRX" or "" (of that record's capture)
    std::string packedReadings;         // of that record; empty without a test day
};

// The department's equipment list, kept in the history database beside the
// captures, so that every bench sees one list.
class EquipmentStore {
public:
    virtual ~EquipmentStore() = default;
    // Adds or replaces the devices by ID (the caller has checked the whole
    // list), all in one transaction: two imports at once never leave a mix
    // of the two lists, and the same list again changes nothing.
    virtual Result<EquipmentImportCounts> ImportEquipment(const std::vector<verdict::Device>& devices) = 0;
    // The whole list, sorted by ID (bytes).
    virtual Result<std::vector<verdict::Device>> Equipment() = 0;
    // One device added or replaced by its ID.
    virtual Result<void> PutDevice(const verdict::Device& device) = 0;
    // False when no device had that ID.
    virtual Result<bool> RemoveDevice(const std::string& equipmentId) = 0;
    // Every equipment ID the history holds a record of, with its latest
    // test; sorted by ID (bytes), records without an ID left out.
    virtual Result<std::vector<LatestTest>> LatestTests() = 0;
};

// The equipment list of a history store (the SQL stores, the memory store
// and the wrappers around them keep one); nullptr for a store that has none.
inline EquipmentStore* EquipmentStoreOf(HistoryStore& store)
{
    return dynamic_cast<EquipmentStore*>(&store);
}
// The same, or the error that the store has none.
inline Result<EquipmentStore*> EquipmentListOf(HistoryStore& store)
{
    if (EquipmentStore* equipment = EquipmentStoreOf(store)) {
        return equipment;
    }
    return Error{kErrorFail, "this history keeps no equipment list"};
}

} // namespace tessaprint::history
