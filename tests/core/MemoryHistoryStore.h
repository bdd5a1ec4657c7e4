#pragma once

#include "history/HistoryStore.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tessaprint::test {

// The history in memory, with the stores' rules (one capture per hash, oldest
// record first, prefix search without case), for tests of what uses a store.
// failWith makes every call fail as an unreachable server would.
class MemoryHistoryStore : public history::HistoryStore {
public:
    Result<history::RecordOutcome> Record(const history::HistoryCapture& capture) override
    {
        ++recordCalls;
        if (failWith) {
            return *failWith;
        }
        if (!hashes.insert(capture.linesHash).second) {
            return history::RecordOutcome::AlreadyThere;
        }
        captures.push_back(capture);
        return history::RecordOutcome::Added;
    }

    Result<std::vector<history::HistoryRecord>> Lookup(const std::string& equipmentId) override
    {
        if (failWith) {
            return *failWith;
        }
        std::vector<history::HistoryRecord> found;
        for (const auto& capture : captures) {
            for (auto record : capture.records) {
                if (record.equipmentId == equipmentId) {
                    record.capturedAt = capture.capturedAt;
                    record.kind = capture.kind;
                    found.push_back(std::move(record));
                }
            }
        }
        std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
            const std::string& dayA = a.testDay ? *a.testDay : a.capturedAt.substr(0, 10);
            const std::string& dayB = b.testDay ? *b.testDay : b.capturedAt.substr(0, 10);
            return dayA != dayB ? dayA < dayB : a.capturedAt < b.capturedAt;
        });
        return found;
    }

    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override
    {
        if (failWith) {
            return *failWith;
        }
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return text;
        };
        std::set<std::string> ids;
        for (const auto& capture : captures) {
            for (const auto& record : capture.records) {
                if (lower(record.equipmentId).rfind(lower(prefix), 0) == 0) {
                    ids.insert(record.equipmentId);
                }
            }
        }
        std::vector<std::string> sorted(ids.begin(), ids.end());
        if (static_cast<int>(sorted.size()) > limit) {
            sorted.resize(static_cast<std::size_t>(limit));
        }
        return sorted;
    }

    std::vector<history::HistoryCapture> captures;
    std::set<std::string> hashes;
    std::optional<Error> failWith;
    int recordCalls = 0;
};

} // namespace tessaprint::test
