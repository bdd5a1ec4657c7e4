#include "history/MemoryHistoryStore.h"

#include "text/LowerCase.h"

#include <algorithm>

namespace tessaprint::history {

namespace {

class BorrowedStore : public HistoryStore {
public:
    explicit BorrowedStore(HistoryStore& store) : m_store(store) {}
    Result<RecordOutcome> RecordInParts(const HistoryCaptureHeader& header, const HistoryRecordSource& records) override
    {
        return m_store.RecordInParts(header, records);
    }
    Result<std::vector<HistoryRecord>> Lookup(const std::string& equipmentId) override
    {
        return m_store.Lookup(equipmentId);
    }
    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override
    {
        return m_store.Ids(prefix, limit);
    }
    Result<std::vector<std::string>> RecentIds(int limit) override { return m_store.RecentIds(limit); }

private:
    HistoryStore& m_store;
};

// The capture as a database keeps it: its texts as StoredText makes them.
HistoryCapture AsStored(const HistoryCapture& capture)
{
    HistoryCapture stored = capture;
    for (std::string* text : {&stored.capturedAt, &stored.kind, &stored.port, &stored.archiveName}) {
        *text = StoredText(*text);
    }
    for (HistoryRecord& record : stored.records) {
        for (std::string* text :
             {&record.equipmentId, &record.testDate, &record.verdictProfile, &record.verdictProfileVersion}) {
            *text = StoredText(*text);
        }
        for (HistoryReading& reading : record.readings) {
            for (std::string* text :
                 {&reading.value, &reading.test, &reading.reading, &reading.verdict, &reading.limit, &reading.rule}) {
                *text = StoredText(*text);
            }
        }
    }
    return stored;
}

} // namespace

Result<RecordOutcome> MemoryHistoryStore::RecordInParts(const HistoryCaptureHeader& header,
                                                        const HistoryRecordSource& records)
{
    const std::lock_guard lock(m_mutex);
    ++m_recordCalls;
    if (m_failWith) {
        return *m_failWith;
    }
    if (m_hashes.count(header.linesHash) != 0) {
        return RecordOutcome::AlreadyThere;
    }
    // The same capture, grown or not: the part with more readings stays,
    // and what the smaller one stored of its verdicts is kept.
    StoredVerdicts earlier;
    for (const HistoryCapture& part : m_captures) {
        if (IsSameCapture(header, part)) {
            if (ReadingCount(part) > header.readingCount) {
                return RecordOutcome::AlreadyThere;
            }
            for (const HistoryRecord& record : part.records) {
                earlier[record.position] = record;
            }
        }
    }
    HistoryCapture capture;
    static_cast<HistoryCaptureInfo&>(capture) = header;
    // Taken whole before anything changes: a source that fails leaves the store as it was.
    if (Result<void> taken = TakeCountedRecords(header, records,
                                                [&](const HistoryRecord& record) -> Result<void> {
                                                    capture.records.push_back(record);
                                                    KeepStoredVerdicts(earlier, capture.records.back());
                                                    return {};
                                                });
        !taken) {
        return taken.error();
    }
    for (auto part = m_captures.begin(); part != m_captures.end();) {
        if (IsSameCapture(capture, *part)) {
            m_hashes.erase(part->linesHash);
            part = m_captures.erase(part);
        } else {
            ++part;
        }
    }
    m_hashes.insert(capture.linesHash);
    m_captures.push_back(AsStored(capture));
    return RecordOutcome::Added;
}

Result<std::vector<HistoryRecord>> MemoryHistoryStore::Lookup(const std::string& equipmentId)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    const std::string id = StoredText(equipmentId);
    std::vector<HistoryRecord> found;
    for (const auto& capture : m_captures) {
        for (auto record : capture.records) {
            if (record.equipmentId == id) {
                record.capturedAt = capture.capturedAt;
                record.kind = capture.kind;
                found.push_back(std::move(record));
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        const std::string dayA = a.testDay ? *a.testDay : a.capturedAt.substr(0, 10);
        const std::string dayB = b.testDay ? *b.testDay : b.capturedAt.substr(0, 10);
        return dayA != dayB ? dayA < dayB : a.capturedAt < b.capturedAt;
    });
    return found;
}

Result<std::vector<std::string>> MemoryHistoryStore::Ids(const std::string& prefix, int limit)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    const std::string lowerPrefix = LocaleLower(StoredText(prefix));
    std::set<std::string> ids;
    for (const auto& capture : m_captures) {
        for (const auto& record : capture.records) {
            if (LocaleLower(record.equipmentId).rfind(lowerPrefix, 0) == 0) {
                ids.insert(record.equipmentId);
            }
        }
    }
    std::vector<std::string> sorted(ids.begin(), ids.end());
    if (static_cast<int>(sorted.size()) > std::max(limit, 0)) {
        sorted.resize(static_cast<std::size_t>(std::max(limit, 0)));
    }
    return sorted;
}

Result<std::vector<std::string>> MemoryHistoryStore::RecentIds(int limit)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    // Newest capture first; of one time the later recorded (further back in the list).
    std::vector<const HistoryCapture*> newestFirst;
    for (auto capture = m_captures.rbegin(); capture != m_captures.rend(); ++capture) {
        newestFirst.push_back(&*capture);
    }
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
                     [](const HistoryCapture* a, const HistoryCapture* b) { return a->capturedAt > b->capturedAt; });
    std::vector<std::string> recent;
    std::set<std::string> seen;
    for (const HistoryCapture* capture : newestFirst) {
        std::vector<const HistoryRecord*> printed;
        for (const HistoryRecord& record : capture->records) {
            printed.push_back(&record);
        }
        std::stable_sort(printed.begin(), printed.end(),
                         [](const HistoryRecord* a, const HistoryRecord* b) { return a->position < b->position; });
        for (const HistoryRecord* record : printed) {
            if (static_cast<int>(recent.size()) >= limit) {
                return recent;
            }
            if (!record->equipmentId.empty() && seen.insert(record->equipmentId).second) {
                recent.push_back(record->equipmentId);
            }
        }
    }
    return recent;
}

void MemoryHistoryStore::FailWith(std::optional<Error> error)
{
    const std::lock_guard lock(m_mutex);
    m_failWith = std::move(error);
}

std::vector<HistoryCapture> MemoryHistoryStore::Captures() const
{
    const std::lock_guard lock(m_mutex);
    return m_captures;
}

int MemoryHistoryStore::RecordCalls() const
{
    const std::lock_guard lock(m_mutex);
    return m_recordCalls;
}

std::unique_ptr<HistoryStore> BorrowHistoryStore(HistoryStore& store)
{
    return std::make_unique<BorrowedStore>(store);
}

} // namespace tessaprint::history
