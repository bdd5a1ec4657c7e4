#pragma once

#include "verdict/VerdictEngine.h"

#include <QColor>
#include <QFont>

#include <optional>

class QLabel;
class QTreeWidgetItem;
class QWidget;

namespace tessaprint {

// How a verdict is marked in the reading list and beside the selector: a
// fail a red tint of the list's own base colour in bold type, a pass a green
// tint, every other verdict the list's own colours; the text colour always
// reads on its background (SharpHighlight's contrast), in a light palette
// and a dark one alike. The word itself says the verdict, so colour is never
// the only cue. Made from the window that holds the list, again whenever
// its palette changes.
class VerdictColours {
public:
    // The item data role that remembers a cell's verdict, for a new palette.
    static constexpr int kOutcomeRole = Qt::UserRole + 72;

    explicit VerdictColours(const QWidget& window);

    // The tint of a verdict; invalid (the list's own) for the neutral ones.
    QColor Background(verdict::Outcome outcome) const;
    QColor Background(verdict::RecordOutcome outcome) const;
    // The text colour on that tint.
    QColor Text(verdict::Outcome outcome) const;
    QColor Text(verdict::RecordOutcome outcome) const;

    // Marks a cell with its verdict, or clears the marks (none).
    void Apply(QTreeWidgetItem& item, int column, std::optional<verdict::Outcome> outcome) const;
    // Marks the record's verdict label, or clears its marks (none).
    void Apply(QLabel& label, std::optional<verdict::RecordOutcome> outcome) const;

private:
    QColor TextOn(const QColor& background) const;

    QColor m_base;
    QColor m_text;
    QColor m_fail;
    QColor m_pass;
    QFont m_bold;
};

} // namespace tessaprint
