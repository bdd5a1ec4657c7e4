#include "results/ResultsListing.h"

#include <algorithm>
#include <utility>

namespace tessaprint {

std::string ResultsListing::SelectorItemText(int index) const
{
    return index >= 0 && index < SelectorCount() ? m_selectorItems[static_cast<std::size_t>(index)] : std::string();
}

void ResultsListing::InsertReadingRow(int row, const std::string& item, const std::string& testName,
                                      const std::string& reading)
{
    const auto at = static_cast<std::size_t>(std::clamp(row, 0, static_cast<int>(m_rows.size())));
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(at), Row{item, testName, reading});
}

std::vector<ResultsListing::Row> ResultsListing::ReadingsForItem(const ResultsTable& table, int item)
{
    const int savedCurrent = m_selectorCurrent;
    auto savedRows = std::exchange(m_rows, {});
    const bool savedEnabled = m_dataSheetEnabled;
    m_selectorCurrent = item;
    table.FillReadingList(*this, *this);
    auto rows = std::exchange(m_rows, std::move(savedRows));
    m_selectorCurrent = savedCurrent;
    m_dataSheetEnabled = savedEnabled;
    return rows;
}

std::string ResultsListing::ReadingRowText(int row, int column) const
{
    if (row < 0 || row >= ReadingRowCount()) {
        return {};
    }
    const Row& shown = m_rows[static_cast<std::size_t>(row)];
    return column == 0 ? shown.item : column == 1 ? shown.testName : column == 2 ? shown.reading : std::string();
}

void ResultsListing::ShowItem(const ResultsTable& table, int item)
{
    m_selectorCurrent = item;
    m_rows.clear();
    table.FillReadingList(*this, *this);
}

} // namespace tessaprint
