#include "docs/DataSheetVerdict.h"

#include "text/Trim.h"

namespace tessaprint::docs {

InstrumentKind JudgedKind(std::optional<InstrumentKind> checkedKind)
{
    return checkedKind.value_or(InstrumentKind::Quellmax);
}

verdict::RecordVerdict JudgeListedRecord(const verdict::VerdictEngine& engine, const ResultsTable& table,
                                         std::optional<InstrumentKind> checkedKind, int selectorCurrent,
                                         const std::string& selectorItemText, const std::vector<ListRow>& rows)
{
    const int record = selectorCurrent < 0 ? -1 : table.RecordForSelectorItem(selectorCurrent, selectorItemText);
    const std::string equipmentId(TrimBlanks(record < 0 ? selectorItemText : table.EquipmentId(record)));
    std::vector<verdict::ReadingRow> judged;
    judged.reserve(rows.size());
    for (const ListRow& row : rows) {
        judged.push_back({row.item, row.testName, row.reading});
    }
    return engine.JudgeRecord(JudgedKind(checkedKind), equipmentId, judged);
}

std::optional<verdict::RecordVerdict> DataSheetVerdict(const verdict::VerdictEngine* engine, const ResultsTable& table,
                                                       const DataSheetRequest& request)
{
    if (!engine) {
        return std::nullopt;
    }
    return JudgeListedRecord(*engine, table, request.checkedKind, request.selectorCurrent, request.selectorItemText,
                             request.rows);
}

} // namespace tessaprint::docs
