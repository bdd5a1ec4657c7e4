#pragma once

#include "history/EquipmentStore.h"
#include "history/HistoryStore.h"

#include <functional>
#include <memory>

namespace tessaprint::history {

// A store that is opened when first used and, while it cannot be opened (a
// server that is away, a file that is locked), is tried again at each call:
// each call then fails with the reason the opening gave, so a capture waits
// for the server instead of being lost, and a server that comes back is used
// without a restart. The equipment list is that of the store it opened.
class ReopeningHistoryStore : public HistoryStore, public EquipmentStore {
public:
    using Opener = std::function<Result<std::unique_ptr<HistoryStore>>()>;

    explicit ReopeningHistoryStore(Opener open) : m_open(std::move(open)) {}

    Result<RecordOutcome> RecordInParts(const HistoryCaptureHeader& header,
                                        const HistoryRecordSource& records) override;
    Result<std::vector<HistoryRecord>> Lookup(const std::string& equipmentId) override;
    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override;
    Result<std::vector<std::string>> RecentIds(int limit) override;

    Result<EquipmentImportCounts> ImportEquipment(const std::vector<verdict::Device>& devices) override;
    Result<std::vector<verdict::Device>> Equipment() override;
    Result<void> PutDevice(const verdict::Device& device) override;
    Result<bool> RemoveDevice(const std::string& equipmentId) override;
    Result<std::vector<LatestTest>> LatestTests() override;

private:
    // The open store, or why there is none.
    Result<HistoryStore*> Store();
    // The open store's equipment list, or why there is none.
    Result<EquipmentStore*> Equipments();

    Opener m_open;
    std::unique_ptr<HistoryStore> m_store;
};

} // namespace tessaprint::history
