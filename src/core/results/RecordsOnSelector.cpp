#include "results/RecordsOnSelector.h"

#include <unordered_set>

namespace tessaprint {

std::vector<int> RecordsOnSelector(const ResultsTable& table, const EquipmentIdSelector& selector)
{
    std::vector<int> records;
    std::unordered_set<int> seen;
    for (int item = 0; item < selector.SelectorCount(); ++item) {
        const int record = table.RecordForSelectorItem(item, selector.SelectorItemText(item));
        if (record >= 0 && seen.insert(record).second) {
            records.push_back(record);
        }
    }
    return records;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace tessaprint
