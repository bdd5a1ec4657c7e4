#pragma once

#include "results/CQuellmaxView.h"
#include "util/SettingsStore.h"

#include <QByteArray>

#include <array>
#include <optional>
#include <string>

namespace tessaprint {

// The main window as the user left it, in the section "Window":
// "Geometry" is QWidget::saveGeometry in base64, "ReadingColumns" the Item,
// Test and Reading column widths as "50,100,440", "Splitter" where the line
// between the received lines and the readings is (QSplitter::saveState in
// base64). A value that does not read as such is as good as none.
class WindowSettings {
public:
    using ColumnWidths = std::array<int, CQuellmaxView::kReadingColumns>;
    // Stored widths are brought into this range.
    static constexpr int kMinColumnWidth = 40;
    static constexpr int kMaxColumnWidth = 2000;

    explicit WindowSettings(SettingsStore& settings) : m_settings(settings) {}

    // Empty when none is stored or it is not base64.
    QByteArray Geometry() const;
    std::optional<ColumnWidths> ReadingColumns() const;
    QByteArray Splitter() const;
    void Save(const QByteArray& geometry, const ColumnWidths& columns, const QByteArray& splitter);

    // "a,b,c" with whole numbers (blanks around them allowed), clamped to the
    // range; anything else gives nothing.
    static std::optional<ColumnWidths> ParseColumns(const std::string& text);

private:
    SettingsStore& m_settings;
};

} // namespace tessaprint
