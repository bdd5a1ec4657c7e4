#include "history/SharpHighlight.h"

#include <QPalette>
#include <QStyle>
#include <QTableWidgetItem>
#include <QTreeWidgetItem>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tessaprint {

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

QColor Mixed(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

SharpHighlight::SharpHighlight(const QWidget& window)
{
    const QPalette& palette = window.palette();
    const QColor base = palette.color(QPalette::Active, QPalette::Base).toRgb();
    // A light pink on a light list, a deep red on a dark one: more red on a
    // dark base, where a little reads as brown.
    const QColor red(220, 40, 40);
    m_background = Mixed(base, red, base.lightnessF() < 0.5 ? 0.45 : 0.25);
    m_text = palette.color(QPalette::Active, QPalette::Text);
    if (ContrastRatio(m_text, m_background) < kMinContrast) {
        const QColor black(Qt::black);
        const QColor white(Qt::white);
        m_text = ContrastRatio(black, m_background) >= ContrastRatio(white, m_background) ? black : white;
    }
    m_font = window.font();
    m_font.setBold(true);
    m_icon = window.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &window);
}

void SharpHighlight::Apply(QTableWidgetItem& item, bool sharp) const
{
    item.setData(kSharpRole, sharp ? QVariant(true) : QVariant());
    item.setData(Qt::BackgroundRole, sharp ? QVariant(QBrush(m_background)) : QVariant());
    item.setData(Qt::ForegroundRole, sharp ? QVariant(QBrush(m_text)) : QVariant());
    item.setData(Qt::FontRole, sharp ? QVariant(m_font) : QVariant());
    item.setData(Qt::DecorationRole, sharp ? QVariant(m_icon) : QVariant());
    item.setData(Qt::AccessibleDescriptionRole, sharp ? QVariant(QStringLiteral("differs sharply")) : QVariant());
}

void SharpHighlight::Apply(QTreeWidgetItem& item, int column, bool sharp) const
{
    item.setData(column, kSharpRole, sharp ? QVariant(true) : QVariant());
    item.setData(column, Qt::BackgroundRole, sharp ? QVariant(QBrush(m_background)) : QVariant());
    item.setData(column, Qt::ForegroundRole, sharp ? QVariant(QBrush(m_text)) : QVariant());
    item.setData(column, Qt::FontRole, sharp ? QVariant(m_font) : QVariant());
    item.setData(column, Qt::DecorationRole, sharp ? QVariant(m_icon) : QVariant());
    item.setData(column, Qt::AccessibleDescriptionRole,
                 sharp ? QVariant(QStringLiteral("differs sharply")) : QVariant());
}

double SharpHighlight::ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace tessaprint
