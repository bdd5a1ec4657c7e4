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

} // namespace tessaprint
