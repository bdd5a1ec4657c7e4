#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

class QTableWidgetItem;
class QTreeWidgetItem;
class QWidget;

namespace tessaprint {

// How a reading that differs sharply from the test before is marked in the
// History window's table and the form's "Last time" column: a red tint of the
// list's own base colour with a text colour that reads on it, in a light and
// a dark palette alike, and bold type with a warning sign, so that colour is
// not the only cue. Made from the window that holds the list (its palette,
// font and style), again whenever that palette changes.
class SharpHighlight {
public:
    // At least this contrast between the text and its background (WCAG AA
    // for body text); black or white always reaches it.
    static constexpr double kMinContrast = 4.5;
    // The item data role that remembers a cell is marked, for a new palette.
    static constexpr int kSharpRole = Qt::UserRole + 71;

    explicit SharpHighlight(const QWidget& window);

    const QColor& background() const { return m_background; }
    const QColor& text() const { return m_text; }
    const QFont& font() const { return m_font; }
    const QIcon& icon() const { return m_icon; }

    // Marks the cell, or clears the marks of one that is not sharp (the
    // list's own colours and font come back).
    void Apply(QTableWidgetItem& item, bool sharp) const;
    void Apply(QTreeWidgetItem& item, int column, bool sharp) const;

    // The WCAG contrast ratio of two colours: 1 for the same, 21 for black on white.
    static double ContrastRatio(const QColor& a, const QColor& b);

private:
    QColor m_background;
    QColor m_text;
    QFont m_font;
    QIcon m_icon;
};

} // namespace tessaprint
