#pragma once

#include "history/HistoryGrid.h"

#include <QColor>
#include <QString>

class QTableWidgetItem;
class QWidget;

namespace tessaprint {

// How the History window shows the verdict a reading was stored with: the
// word after the reading ("0.1 uA · pass"; "no limit" only in the tooltip,
// it would crowd every voltage), the text green for a pass and red for a
// fail in shades that read on the list's own base colour, light or dark,
// and the limit, rule and profile in the tooltip. Made from the window that
// holds the list, again whenever its palette changes.
class VerdictMark {
public:
    // The item data roles that keep a marked cell's verdict (for a new
    // palette) and its reading as stored (what the chart reads).
    static constexpr int kVerdictRole = Qt::UserRole + 72;
    static constexpr int kReadingRole = Qt::UserRole + 73;

    explicit VerdictMark(const QWidget& window);

    const QColor& pass() const { return m_pass; }
    const QColor& fail() const { return m_fail; }

    // The cell's text and tooltip for the reading and its stored verdict;
    // a cell without one keeps its reading alone.
    static QString CellText(const QString& reading, const std::string& verdict);
    static QString ToolTip(const history::HistoryGridCell& cell, const history::HistoryRecord& record);
    // Colours the cell by the verdict it keeps (kVerdictRole).
    void Apply(QTableWidgetItem& item) const;
    // The reading the cell shows, without its verdict.
    static QString Reading(const QTableWidgetItem& item);

private:
    QColor m_pass;
    QColor m_fail;
};

} // namespace tessaprint
