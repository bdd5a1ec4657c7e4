#pragma once

#include "results/ResultsTable.h"
#include "results/ResultsViews.h"

#include <string>
#include <vector>

namespace tessaprint {

// The form's lists kept in memory: the received lines, the equipment ID
// selector and one Item/Test/Reading list. The command-line tools and the
// tests use it where the window would show the same things.
class ResultsListing : public EquipmentIdSelector, public ReadingListView, public ShownReadings, public ReceiveView {
public:
    struct Row {
        std::string item;
        std::string testName;
        std::string reading;
    };

    // EquipmentIdSelector
    void SetSelectorCaption(const std::string& text) override { m_selectorCaption = text; }
    void AddSelectorItem(const std::string& text) override { m_selectorItems.push_back(text); }
    void SetSelectorCurrent(int index) override { m_selectorCurrent = index; }
    int SelectorCurrent() const override { return m_selectorCurrent; }
    int SelectorCount() const override { return static_cast<int>(m_selectorItems.size()); }
    std::string SelectorItemText(int index) const override;

    // ReadingListView
    void InsertReadingRow(int row, const std::string& item, const std::string& testName,
                          const std::string& reading) override;
    void EnableDataSheet() override { m_dataSheetEnabled = true; }

    // ShownReadings: the rows of the item shown last (ShowItem)
    int ReadingRowCount() const override { return static_cast<int>(m_rows.size()); }
    std::string ReadingRowText(int row, int column) const override;

    // ReceiveView
    void AppendLine(const std::string& line) override
    {
        ++m_lineCount;
        if (m_keepLines) {
            m_lines.push_back(line);
        }
    }
    void SetVersionText(const std::string& text) override { m_versionText = text; }
    void PostResultsReady() override { ++m_resultsReadyCount; }

    const std::vector<std::string>& lines() const { return m_lines; }
    // Lines seen, also when they are not kept.
    std::size_t lineCount() const { return m_lineCount; }
    // A tool that writes the lines out as they come need not keep them.
    void SetKeepLines(bool keep) { m_keepLines = keep; }
    const std::vector<std::string>& selectorItems() const { return m_selectorItems; }
    const std::string& selectorCaption() const { return m_selectorCaption; }
    const std::vector<Row>& rows() const { return m_rows; }
    const std::string& versionText() const { return m_versionText; }
    bool dataSheetEnabled() const { return m_dataSheetEnabled; }
    int resultsReadyCount() const { return m_resultsReadyCount; }

    // What the Item/Test/Reading list shows with selector item k chosen; the
    // current item is left as it was.
    std::vector<Row> ReadingsForItem(const ResultsTable& table, int item);
    // Chooses selector item k and lists its readings, as a click in the window does.
    void ShowItem(const ResultsTable& table, int item);

private:
    std::vector<std::string> m_lines;
    std::size_t m_lineCount = 0;
    bool m_keepLines = true;
    std::vector<std::string> m_selectorItems;
    std::string m_selectorCaption;
    int m_selectorCurrent = -1;
    std::vector<Row> m_rows;
    std::string m_versionText;
    bool m_dataSheetEnabled = false;
    int m_resultsReadyCount = 0;
};

} // namespace tessaprint
