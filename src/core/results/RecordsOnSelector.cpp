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

} // namespace tessaprint
