#include "history/MemoryHistoryStore.h"

#include "history/PackedReadings.h"

#include "text/LowerCase.h"
#include "text/Trim.h"

#include <algorithm>

namespace tessaprint::history {

namespace {

class BorrowedStore : public HistoryStore, public EquipmentStore {
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

    Result<EquipmentImportCounts> ImportEquipment(const std::vector<verdict::Device>& devices) override
    {
        return Forward<EquipmentImportCounts>([&](EquipmentStore& store) { return store.ImportEquipment(devices); });
    }
    Result<std::vector<verdict::Device>> Equipment() override
    {
        return Forward<std::vector<verdict::Device>>([](EquipmentStore& store) { return store.Equipment(); });
    }
    Result<void> PutDevice(const verdict::Device& device) override
    {
        return Forward<void>([&](EquipmentStore& store) { return store.PutDevice(device); });
    }
    Result<bool> RemoveDevice(const std::string& equipmentId) override
    {
        return Forward<bool>([&](EquipmentStore& store) { return store.RemoveDevice(equipmentId); });
    }
    Result<std::vector<LatestTest>> LatestTests() override
    {
        return Forward<std::vector<LatestTest>>([](EquipmentStore& store) { return store.LatestTests(); });
    }

private:
    template <typename T, typename Call> Result<T> Forward(Call call)
    {
        const Result<EquipmentStore*> equipment = EquipmentListOf(m_store);
        if (!equipment) {
            return equipment.error();
        }
        return call(*equipment.value());
    }

    HistoryStore& m_store;
};

verdict::DeviceFields KeptFields(const verdict::Device& device)
{
    verdict::DeviceFields fields = verdict::FieldsOfDevice(device);
    fields[0] = std::string(TrimBlanks(fields[0]));
    return fields;
}

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

Result<EquipmentImportCounts> MemoryHistoryStore::ImportEquipment(const std::vector<verdict::Device>& devices)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    EquipmentImportCounts counts;
    for (const verdict::Device& device : devices) {
        verdict::DeviceFields fields = KeptFields(device);
        const auto [kept, added] = m_equipment.try_emplace(fields[0], fields);
        if (added) {
            ++counts.added;
        } else if (kept->second != fields) {
            kept->second = std::move(fields);
            ++counts.replaced;
        } else {
            ++counts.unchanged;
        }
    }
    return counts;
}

Result<std::vector<verdict::Device>> MemoryHistoryStore::Equipment()
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    std::vector<verdict::Device> devices;
    for (const auto& [id, fields] : m_equipment) {
        Result<verdict::Device> device = verdict::DeviceFromFields(fields);
        if (!device) {
            return Error{kErrorFail, "the device " + id + ": " + device.error().message};
        }
        devices.push_back(std::move(device).value());
    }
    return devices;
}

Result<void> MemoryHistoryStore::PutDevice(const verdict::Device& device)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    verdict::DeviceFields fields = KeptFields(device);
    if (fields[0].empty()) {
        return Error{kErrorFail, "a device without an equipment ID cannot be kept in the list"};
    }
    m_equipment[fields[0]] = std::move(fields);
    return {};
}

Result<bool> MemoryHistoryStore::RemoveDevice(const std::string& equipmentId)
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    return m_equipment.erase(std::string(TrimBlanks(equipmentId))) > 0;
}

Result<std::vector<LatestTest>> MemoryHistoryStore::LatestTests()
{
    const std::lock_guard lock(m_mutex);
    if (m_failWith) {
        return *m_failWith;
    }
    // Per ID the latest test day; of one day the record recorded last: the
    // later capture time, then the capture stored later, then the later place.
    struct Latest {
        const HistoryCapture* capture = nullptr;
        const HistoryRecord* record = nullptr;
        std::size_t order = 0;
    };
    const auto later = [](const Latest& a, const Latest& b) {
        if (a.record->testDay.has_value() != b.record->testDay.has_value()) {
            return a.record->testDay.has_value();
        }
        if (a.record->testDay != b.record->testDay) {
            return *a.record->testDay > *b.record->testDay;
        }
        if (a.capture->capturedAt != b.capture->capturedAt) {
            return a.capture->capturedAt > b.capture->capturedAt;
        }
        return a.order != b.order ? a.order > b.order : a.record->position > b.record->position;
    };
    std::map<std::string, Latest> latest;
    for (std::size_t order = 0; order < m_captures.size(); ++order) {
        const HistoryCapture& capture = m_captures[order];
        for (const HistoryRecord& record : capture.records) {
            if (record.equipmentId.empty()) {
                continue;
            }
            const Latest candidate{&capture, &record, order};
            const auto [kept, added] = latest.try_emplace(record.equipmentId, candidate);
            if (!added && later(candidate, kept->second)) {
                kept->second = candidate;
            }
        }
    }
    std::vector<LatestTest> tests;
    for (const auto& [id, found] : latest) {
        LatestTest test;
        test.equipmentId = id;
        if (found.record->testDay) {
            test.testDay = found.record->testDay;
            test.kind = found.capture->kind;
            test.packedReadings = PackReadings(found.record->readings);
        }
        tests.push_back(std::move(test));
    }
    return tests;
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
