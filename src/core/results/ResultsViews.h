#pragma once

#include <string>

namespace tessaprint {

// The equipment ID selector (a drop-down without sorting) and its caption
// label, as the line parser sees them.
class EquipmentIdSelector {
public:
    virtual ~EquipmentIdSelector() = default;
    virtual void SetSelectorCaption(const std::string& text) = 0;
    virtual void AddSelectorItem(const std::string& text) = 0;
    virtual void SetSelectorCurrent(int index) = 0;
    // -1 when no item is current.
    virtual int SelectorCurrent() const = 0;
    virtual int SelectorCount() const = 0;
    virtual std::string SelectorItemText(int index) const = 0;
};

// The Item/Test/Reading list and the "Data Sheet" button.
class ReadingListView {
public:
    virtual ~ReadingListView() = default;
    virtual void InsertReadingRow(int row, const std::string& item, const std::string& testName,
                                  const std::string& reading) = 0;
    virtual void EnableDataSheet() = 0;
};

// The Item/Test/Reading list as shown, read back: what "Data Sheet" documents.
class ShownReadings {
public:
    virtual ~ShownReadings() = default;
    virtual int ReadingRowCount() const = 0;
    // Column 0 (Item), 1 (Test) or 2 (Reading) of a row, as shown.
    virtual std::string ReadingRowText(int row, int column) const = 0;
};

// Where the receive path shows what arrived: the line list, the hidden
// version field, and the "results ready" message that the form handles once
// the receive handler has returned.
class ReceiveView {
public:
    virtual ~ReceiveView() = default;
    // Appends a line as the last entry of the line list and scrolls it into view.
    virtual void AppendLine(const std::string& line) = 0;
    virtual void SetVersionText(const std::string& text) = 0;
    // Must be queued, not handled inside this call.
    virtual void PostResultsReady() = 0;
};

} // namespace tessaprint
