#pragma once

#include "workorder/WorkOrderForm.h"

#include <deque>
#include <map>

namespace tessaprint::test {

// The work order window's boxes and lists in memory.
class MemoryWorkOrderView : public WorkOrderView {
public:
    std::string FieldText(std::string_view key) const override
    {
        const auto it = fields.find(std::string(key));
        return it == fields.end() ? std::string() : it->second;
    }
    void SetFieldText(std::string_view key, const std::string& text) override { fields[std::string(key)] = text; }
    std::vector<std::string> ListEntries(std::string_view list) const override
    {
        const auto it = lists.find(std::string(list));
        return it == lists.end() ? std::vector<std::string>{} : it->second;
    }
    void SetListEntries(std::string_view list, const std::vector<std::string>& entries) override
    {
        lists[std::string(list)] = entries;
    }

    std::map<std::string, std::string> fields;
    std::map<std::string, std::vector<std::string>> lists;
};

// Answers for the three entry dialogs, in order; an empty queue cancels.
class ScriptedWorkOrderPrompts : public WorkOrderPrompts {
public:
    std::optional<std::array<std::string, 2>> AskService() override { return Next(service); }
    std::optional<std::array<std::string, 10>> AskResults() override { return Next(results); }
    std::string AskCheck() override
    {
        if (checks.empty()) {
            return {};
        }
        std::string task = checks.front();
        checks.pop_front();
        return task;
    }

    std::deque<std::optional<std::array<std::string, 2>>> service;
    std::deque<std::optional<std::array<std::string, 10>>> results;
    std::deque<std::string> checks;

private:
    template <typename T> static T Next(std::deque<T>& queue)
    {
        if (queue.empty()) {
            return T{};
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

} // namespace tessaprint::test
