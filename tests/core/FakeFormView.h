#pragma once

#include "app/FormView.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint::test {

// The main form kept in plain vectors, for tests of the controller without
// windows. "Results ready" is queued as the window queues it: the test runs
// it with HandlePosted once the receive handler has returned.
class FakeFormView : public FormView {
public:
    struct Row {
        std::string item, test, reading, lastTime;
        bool sharp = false;
    };

    // EquipmentIdSelector
    void SetSelectorCaption(const std::string& text) override { selectorCaption = text; }
    void AddSelectorItem(const std::string& text) override { selector.push_back(text); }
    void SetSelectorCurrent(int index) override { current = index; }
    int SelectorCurrent() const override { return current; }
    int SelectorCount() const override { return static_cast<int>(selector.size()); }
    std::string SelectorItemText(int index) const override { return selector.at(static_cast<std::size_t>(index)); }

    // ReadingListView, ShownReadings
    void InsertReadingRow(int row, const std::string& item, const std::string& test,
                          const std::string& reading) override
    {
        rows.insert(rows.begin() + row, Row{item, test, reading, "", false});
    }
    int ReadingRowCount() const override { return static_cast<int>(rows.size()); }
    std::string ReadingRowText(int row, int column) const override
    {
        const Row& shown = rows.at(static_cast<std::size_t>(row));
        return column == 0 ? shown.item : column == 1 ? shown.test : shown.reading;
    }

    // ReceiveView
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    void SetVersionText(const std::string& text) override { version = text; }
    void PostResultsReady() override { ++postedResultsReady; }

    // FormView
    void ShowDeviceLine(const std::string& text, bool offerAdd) override
    {
        deviceLine = text;
        deviceLineOffersAdd = offerAdd;
    }
    void ClearLines() override { lines.clear(); }
    int LineCount() const override { return static_cast<int>(lines.size()); }
    std::string LineText(int index) const override { return lines.at(static_cast<std::size_t>(index)); }
    void ScrollLinesToEnd() override {}
    void ClearSelector() override
    {
        selector.clear();
        current = -1;
    }
    void ClearReadingRows() override
    {
        rows.clear();
        recordVerdict.reset();
    }
    void SetupReadingColumns() override {}
    void SetResultsCaption(const std::string& text) override { resultsCaption = text; }
    void SetLastTime(int row, const std::string& reading, bool sharp) override
    {
        rows.at(static_cast<std::size_t>(row)).lastTime = reading;
        rows.at(static_cast<std::size_t>(row)).sharp = sharp;
    }
    void SetSelectorToolTip(const std::string& text) override { selectorToolTip = text; }
    std::string VersionText() const override { return version; }
    void SetVerdictsShown(bool shown) override { verdictsShown = shown; }
    void ShowRecordVerdict(const verdict::RecordVerdict& verdict) override
    {
        recordVerdict = verdict;
        ++verdictsJudged;
    }
    void SetDataSheetEnabled(bool enabled) override { dataSheetEnabled = enabled; }
    bool IsDataSheetEnabled() const override { return dataSheetEnabled; }
    void SetAllDataSheetsRunning(bool running) override { allDataSheetsRunning = running; }
    std::optional<InstrumentKind> CheckedKind() const override { return checkedKind; }
    void SetCheckedKind(std::optional<InstrumentKind> kind) override { checkedKind = kind; }
    void SetCaptureCommandsEnabled(bool enabled) override { captureCommandsEnabled = enabled; }
    void RaiseAndResizeFrame(int, int) override {}
    void ShowStatus(const std::string& text) override { status = text; }

    // The rows as "item|test|reading".
    std::vector<std::string> RowTexts() const
    {
        std::vector<std::string> texts;
        for (const Row& row : rows) {
            texts.push_back(row.item + "|" + row.test + "|" + row.reading);
        }
        return texts;
    }

    std::vector<std::string> lines;
    std::vector<std::string> selector;
    int current = -1;
    std::string selectorCaption;
    std::string selectorToolTip;
    std::vector<Row> rows;
    std::string resultsCaption;
    std::string version;
    std::string status;
    int postedResultsReady = 0;
    bool dataSheetEnabled = false;
    bool allDataSheetsRunning = false;
    bool captureCommandsEnabled = true;
    std::optional<InstrumentKind> checkedKind;
    bool verdictsShown = false;
    // What ShowRecordVerdict said last; cleared with the rows.
    std::optional<verdict::RecordVerdict> recordVerdict;
    int verdictsJudged = 0;
    std::string deviceLine;
    bool deviceLineOffersAdd = false;
};

} // namespace tessaprint::test
