#pragma once

#include "history/EquipmentStore.h"
#include "history/HistoryStore.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tessaprint::history {

// The history in memory, with the stores' rules (one capture per lines hash,
// oldest record first, prefix search without case): the demo's history, and
// the tests'. Safe to use from several threads: a test looks at it while the
// recorder's thread records into it. FailWith makes every call fail, as a
// server that cannot be reached does.
class MemoryHistoryStore : public HistoryStore, public EquipmentStore {
public:
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

    void FailWith(std::optional<Error> error);
    std::vector<HistoryCapture> Captures() const;
    int RecordCalls() const;

private:
    mutable std::mutex m_mutex;
    std::vector<HistoryCapture> m_captures;
    std::set<std::string> m_hashes;
    // The equipment list by ID, each device as the list's columns.
    std::map<std::string, verdict::DeviceFields> m_equipment;
    std::optional<Error> m_failWith;
    int m_recordCalls = 0;
};

// A store that hands every call to one that outlives it: the store factory of
// a recorder gives out the demo's or a test's shared memory store this way.
// It keeps the equipment list of that store, when it has one.
std::unique_ptr<HistoryStore> BorrowHistoryStore(HistoryStore& store);

} // namespace tessaprint::history
