#include "workorder/WorkOrderForm.h"

#include "docs/DocumentFrame.h"
#include "workorder/WorkOrderDocument.h"

#include <algorithm>

namespace tessaprint {

namespace {
constexpr std::string_view kLists[] = {WorkOrderRecord::kService, WorkOrderRecord::kResults, WorkOrderRecord::kChecks};
} // namespace

const std::array<std::string_view, 7>& PresetCheckTasks()
{
    static const std::array<std::string_view, 7> tasks = {
        "PERFORM PHYSICAL INSPECTION OF POWER CORD AND PLUG.",
        "PERFORM ELECTRICAL SAFETY CHECKS: (CHASSIS-GROUND<300UA.",
        "PERFORM GROUND INTEGRITY CHECK: (RES < .5OHMS.",
        "PERFORM PHYSICAL INSPECTION. LOOK FOR LOOSE OR MISSING HARDWARE.",
        "CHECK OPERATION WITH OPERATOR CONTROL.",
        "CHECK HARDWARE FOR MISSING PARTS, LOOSE SCREWS.",
        "CHECK FOR FREE OPERATION OF CASTERS. CLEAN/LUBE IF NEEDED.",
    };
    return tasks;
}

WorkOrderForm::WorkOrderForm(WorkOrderRecord& record, SettingsStore& settings, WorkOrderView& view,
                             WorkOrderPrompts& entries, Prompts& prompts, const Clock& clock)
    : m_record(record), m_settings(settings), m_view(view), m_entries(entries), m_prompts(prompts), m_clock(clock)
{
}

void WorkOrderForm::OnInitDialog()
{
    LoadWorkOrder(m_settings, m_record);
    for (const auto list : kLists) {
        std::vector<std::string> entries;
        const auto& slots = m_record.List(list);
        for (int i = 0; i < WorkOrderRecord::kStoredSlots; ++i) {
            if (!slots[static_cast<std::size_t>(i)].empty()) {
                entries.push_back(slots[static_cast<std::size_t>(i)]);
            }
        }
        if (IsSorted(list)) {
            std::stable_sort(entries.begin(), entries.end(), WorkOrderListLess);
        }
        m_view.SetListEntries(list, entries);
    }
    for (const auto key : WorkOrderRecord::FieldKeys()) {
        m_view.SetFieldText(key, m_record.Field(key));
    }
}

bool WorkOrderForm::HasRoom(std::string_view list)
{
    if (static_cast<int>(m_view.ListEntries(list).size()) < WorkOrderRecord::kListSlots) {
        return true;
    }
    const std::string name = list == WorkOrderRecord::kService   ? "Equipment Service Information"
                             : list == WorkOrderRecord::kResults ? "Results"
                                                                 : "Checks";
    m_prompts.ShowError("The " + name + " list already holds " + std::to_string(WorkOrderRecord::kListSlots) +
                        " entries, the most a work order list can hold.\nPress \"Clear\" beside it to empty it "
                        "before adding more; \"Export to Word\" keeps the list as it is.");
    return false;
}

void WorkOrderForm::Add(std::string_view list, const std::string& line)
{
    std::vector<std::string> entries = m_view.ListEntries(list);
    if (IsSorted(list)) {
        entries.insert(std::upper_bound(entries.begin(), entries.end(), line, WorkOrderListLess), line);
    } else {
        entries.push_back(line);
    }
    m_view.SetListEntries(list, entries);
}

void WorkOrderForm::OnAddService()
{
    // Checked before the dialog opens, so nothing typed is lost.
    if (!HasRoom(WorkOrderRecord::kService)) {
        return;
    }
    if (const auto answer = m_entries.AskService()) {
        Add(WorkOrderRecord::kService, JoinServiceLine((*answer)[0], (*answer)[1]));
    }
}

void WorkOrderForm::OnAddResults()
{
    if (!HasRoom(WorkOrderRecord::kResults)) {
        return;
    }
    if (const auto answer = m_entries.AskResults()) {
        Add(WorkOrderRecord::kResults, JoinResultsLine(*answer));
    }
}

void WorkOrderForm::OnAddChecks()
{
    if (!HasRoom(WorkOrderRecord::kChecks)) {
        return;
    }
    const std::string task = m_entries.AskCheck();
    if (!task.empty()) {
        Add(WorkOrderRecord::kChecks, task);
    }
}

void WorkOrderForm::OnClear(std::string_view list)
{
    m_view.SetListEntries(list, {});
}

Result<std::string> WorkOrderForm::OnExportToWord(const std::string& reportsFolder, int word2007)
{
    for (const auto key : WorkOrderRecord::FieldKeys()) {
        m_record.SetField(key, m_view.FieldText(key));
    }
    for (const auto list : kLists) {
        const std::vector<std::string> entries = m_view.ListEntries(list);
        auto& slots = m_record.List(list);
        std::size_t copied = 0;
        for (; copied < entries.size() && copied < slots.size(); ++copied) {
            if (entries[copied].empty()) {
                break;
            }
            slots[copied] = entries[copied];
        }
        // Entries that were cleared must not come back from older slots.
        std::fill(slots.begin() + static_cast<std::ptrdiff_t>(copied), slots.end(), std::string());
    }
    StoreWorkOrder(m_settings, m_record);

    Result<std::string> written = WriteWorkOrderDocument(m_record, reportsFolder, word2007, m_clock.LocalTime());
    if (!written) {
        m_prompts.ShowMessageBox(docs::ComErrorText(written.error()));
    }
    return written;
}

void WorkOrderForm::OnClose()
{
    StoreWorkOrder(m_settings, m_record);
}

} // namespace tessaprint
