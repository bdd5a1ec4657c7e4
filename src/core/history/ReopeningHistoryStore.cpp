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

} // namespace tessaprint::history
