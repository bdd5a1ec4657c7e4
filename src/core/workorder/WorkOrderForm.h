#pragma once

#include "util/Clock.h"
#include "util/Prompts.h"
#include "util/Result.h"
#include "util/SettingsStore.h"
#include "workorder/WorkOrderRecord.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// The work order window as its logic sees it: the 30 boxes by settings key
// and the three lists by list key, entries in the order shown.
class WorkOrderView {
public:
    virtual ~WorkOrderView() = default;
    virtual std::string FieldText(std::string_view key) const = 0;
    virtual void SetFieldText(std::string_view key, const std::string& text) = 0;
    virtual std::vector<std::string> ListEntries(std::string_view list) const = 0;
    virtual void SetListEntries(std::string_view list, const std::vector<std::string>& entries) = 0;
};

// The three entry dialogs; nothing when the user cancelled.
class WorkOrderPrompts {
public:
    virtual ~WorkOrderPrompts() = default;
    // Date and description.
    virtual std::optional<std::array<std::string, 2>> AskService() = 0;
    // Date, Tech, Verb, Noun, Minutes, R, Part #, Qty, Unit Cost, Description.
    virtual std::optional<std::array<std::string, 10>> AskResults() = 0;
    // The task as typed or picked; empty for nothing.
    virtual std::string AskCheck() = 0;
};

// The seven tasks "Add Checks" offers.
const std::array<std::string_view, 7>& PresetCheckTasks();

// What the work order window does: loading, the Add and Clear buttons, Export
// to Word and closing. The stored work order changes only through an export
// (and the store on closing, which writes the record as of the last export).
class WorkOrderForm {
public:
    WorkOrderForm(WorkOrderRecord& record, SettingsStore& settings, WorkOrderView& view, WorkOrderPrompts& entries,
                  Prompts& prompts, const Clock& clock);

    void OnInitDialog();
    void OnAddService();
    void OnAddResults();
    void OnAddChecks();
    void OnClear(std::string_view list);
    // Stores the work order and writes its document; the path written. A
    // failure is shown in the error box and given back.
    Result<std::string> OnExportToWord(const std::string& reportsFolder, int word2007);
    // Escape or the close box.
    void OnClose();

    static bool IsSorted(std::string_view list) { return list != WorkOrderRecord::kService; }

private:
    // False, after saying so, when the list is full.
    bool HasRoom(std::string_view list);
    void Add(std::string_view list, const std::string& line);

    WorkOrderRecord& m_record;
    SettingsStore& m_settings;
    WorkOrderView& m_view;
    WorkOrderPrompts& m_entries;
    Prompts& m_prompts;
    const Clock& m_clock;
};

} // namespace tessaprint
