#include "results/VerdictColours.h"

#include "history/SharpHighlight.h"

#include <QLabel>
#include <QPalette>
#include <QTreeWidgetItem>
#include <QWidget>

#include <cmath>

namespace tessaprint {

namespace {

QColor Mixed(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

VerdictColours::VerdictColours(const QWidget& window)
{
    const QPalette& palette = window.palette();
    m_base = palette.color(QPalette::Active, QPalette::Base).toRgb();
    m_text = palette.color(QPalette::Active, QPalette::Text);
    // A light tint on a light list, a deeper one on a dark list, where a
    // little colour reads as brown or grey.
    const bool dark = m_base.lightnessF() < 0.5;
    m_fail = Mixed(m_base, QColor(220, 40, 40), dark ? 0.45 : 0.25);
    m_pass = Mixed(m_base, QColor(40, 170, 70), dark ? 0.40 : 0.22);
    m_bold = window.font();
    m_bold.setBold(true);
}

QColor VerdictColours::TextOn(const QColor& background) const
{
    if (SharpHighlight::ContrastRatio(m_text, background) >= SharpHighlight::kMinContrast) {
        return m_text;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return SharpHighlight::ContrastRatio(black, background) >= SharpHighlight::ContrastRatio(white, background) ? black
                                                                                                                : white;
}

QColor VerdictColours::Background(verdict::Outcome outcome) const
{
    switch (outcome) {
    case verdict::Outcome::Fail:
        return m_fail;
    case verdict::Outcome::Pass:
        return m_pass;
    default:
        return {};
    }
}

QColor VerdictColours::Background(verdict::RecordOutcome outcome) const
{
    switch (outcome) {
    case verdict::RecordOutcome::Fail:
        return m_fail;
    case verdict::RecordOutcome::Pass:
        return m_pass;
    default:
        return {};
    }
}

QColor VerdictColours::Text(verdict::Outcome outcome) const
{
    const QColor background = Background(outcome);
    return background.isValid() ? TextOn(background) : m_text;
}

QColor VerdictColours::Text(verdict::RecordOutcome outcome) const
{
    const QColor background = Background(outcome);
    return background.isValid() ? TextOn(background) : m_text;
}

void VerdictColours::Apply(QTreeWidgetItem& item, int column, std::optional<verdict::Outcome> outcome) const
{
    const QColor background = outcome ? Background(*outcome) : QColor();
    item.setData(column, kOutcomeRole, outcome ? QVariant(static_cast<int>(*outcome)) : QVariant());
    item.setData(column, Qt::BackgroundRole, background.isValid() ? QVariant(QBrush(background)) : QVariant());
    item.setData(column, Qt::ForegroundRole, background.isValid() ? QVariant(QBrush(TextOn(background))) : QVariant());
    item.setData(column, Qt::FontRole, outcome == verdict::Outcome::Fail ? QVariant(m_bold) : QVariant());
}

void VerdictColours::Apply(QLabel& label, std::optional<verdict::RecordOutcome> outcome) const
{
    // Only the roles set here are the label's own; the rest follow the form.
    const QColor background = outcome ? Background(*outcome) : QColor();
    QPalette palette;
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::WindowText, TextOn(background));
    }
    label.setPalette(palette);
    label.setAutoFillBackground(background.isValid());
    QFont font;
    if (outcome == verdict::RecordOutcome::Fail) {
        font.setBold(true);
    }
    label.setFont(font);
}

} // namespace tessaprint
