#include "history/ReopeningHistoryStore.h"

namespace tessaprint::history {

Result<HistoryStore*> ReopeningHistoryStore::Store()
{
    if (!m_store) {
        Result<std::unique_ptr<HistoryStore>> opened = m_open();
        if (!opened) {
            return opened.error();
        }
        m_store = std::move(opened.value());
    }
    return m_store.get();
}

Result<RecordOutcome> ReopeningHistoryStore::RecordInParts(const HistoryCaptureHeader& header,
                                                           const HistoryRecordSource& records)
{
    const Result<HistoryStore*> store = Store();
    if (!store) {
        return store.error();
    }
    return store.value()->RecordInParts(header, records);
}

Result<std::vector<HistoryRecord>> ReopeningHistoryStore::Lookup(const std::string& equipmentId)
{
    const Result<HistoryStore*> store = Store();
    if (!store) {
        return store.error();
    }
    return store.value()->Lookup(equipmentId);
}

Result<std::vector<std::string>> ReopeningHistoryStore::Ids(const std::string& prefix, int limit)
{
    const Result<HistoryStore*> store = Store();
    if (!store) {
        return store.error();
    }
    return store.value()->Ids(prefix, limit);
}

Result<std::vector<std::string>> ReopeningHistoryStore::RecentIds(int limit)
{
    const Result<HistoryStore*> store = Store();
    if (!store) {
        return store.error();
    }
    return store.value()->RecentIds(limit);
}

Result<EquipmentStore*> ReopeningHistoryStore::Equipments()
{
    const Result<HistoryStore*> store = Store();
    if (!store) {
        return store.error();
    }
    return EquipmentListOf(*store.value());
}

Result<EquipmentImportCounts> ReopeningHistoryStore::ImportEquipment(const std::vector<verdict::Device>& devices)
{
    const Result<EquipmentStore*> equipment = Equipments();
    if (!equipment) {
        return equipment.error();
    }
    return equipment.value()->ImportEquipment(devices);
}

Result<std::vector<verdict::Device>> ReopeningHistoryStore::Equipment()
{
    const Result<EquipmentStore*> equipment = Equipments();
    if (!equipment) {
        return equipment.error();
    }
    return equipment.value()->Equipment();
}

Result<void> ReopeningHistoryStore::PutDevice(const verdict::Device& device)
{
    const Result<EquipmentStore*> equipment = Equipments();
    if (!equipment) {
        return equipment.error();
    }
    return equipment.value()->PutDevice(device);
}

Result<bool> ReopeningHistoryStore::RemoveDevice(const std::string& equipmentId)
{
    const Result<EquipmentStore*> equipment = Equipments();
    if (!equipment) {
        return equipment.error();
    }
    return equipment.value()->RemoveDevice(equipmentId);
}

Result<std::vector<LatestTest>> ReopeningHistoryStore::LatestTests()
{
    const Result<EquipmentStore*> equipment = Equipments();
    if (!equipment) {
        return equipment.error();
    }
    return equipment.value()->LatestTests();
}

} // namespace tessaprint::history
