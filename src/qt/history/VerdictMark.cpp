#include "history/VerdictMark.h"

#include "history/SharpHighlight.h"

#include <QPalette>
#include <QTableWidgetItem>
#include <QWidget>

namespace tessaprint {

namespace {

// The hue moved toward the list's text colour until it reads on the base.
QColor Readable(const QColor& hue, const QColor& text, const QColor& base)
{
    for (int step = 0; step <= 10; ++step) {
        const double share = step / 10.0;
        const QColor mixed = QColor::fromRgbF(static_cast<float>(hue.redF() + (text.redF() - hue.redF()) * share),
                                              static_cast<float>(hue.greenF() + (text.greenF() - hue.greenF()) * share),
                                              static_cast<float>(hue.blueF() + (text.blueF() - hue.blueF()) * share));
        if (SharpHighlight::ContrastRatio(mixed, base) >= SharpHighlight::kMinContrast) {
            return mixed;
        }
    }
    return text;
}

} // namespace

VerdictMark::VerdictMark(const QWidget& window)
{
    const QPalette& palette = window.palette();
    const QColor base = palette.color(QPalette::Active, QPalette::Base).toRgb();
    const QColor text = palette.color(QPalette::Active, QPalette::Text).toRgb();
    m_pass = Readable(QColor(30, 150, 60), text, base);
    m_fail = Readable(QColor(215, 40, 40), text, base);
}

QString VerdictMark::CellText(const QString& reading, const std::string& verdict)
{
    if (verdict.empty() || verdict == "no limit") {
        return reading;
    }
    return reading + QStringLiteral(" \u00B7 ") + QString::fromStdString(verdict);
}

QString VerdictMark::ToolTip(const history::HistoryGridCell& stored, const history::HistoryRecord& record)
{
    QString tip =
        QString::fromStdString(stored.reading) + QStringLiteral(": ") + QString::fromStdString(stored.verdict);
    if (!stored.limit.empty()) {
        tip += QStringLiteral(", limit ") + QString::fromStdString(stored.limit);
    }
    if (!stored.rule.empty()) {
        tip += QStringLiteral(" (rule ") + QString::fromStdString(stored.rule) + QStringLiteral(")");
    }
    tip += QStringLiteral("\nJudged when recorded by the profile ") + QString::fromStdString(record.verdictProfile);
    if (!record.verdictProfileVersion.empty()) {
        tip += QStringLiteral(" ") + QString::fromStdString(record.verdictProfileVersion);
    }
    return tip;
}

void VerdictMark::Apply(QTableWidgetItem& item) const
{
    const QString verdict = item.data(kVerdictRole).toString();
    const QColor* colour = verdict == QLatin1String("pass")   ? &m_pass
                           : verdict == QLatin1String("fail") ? &m_fail
                                                              : nullptr;
    item.setData(Qt::ForegroundRole, colour ? QVariant(QBrush(*colour)) : QVariant());
    item.setData(Qt::AccessibleDescriptionRole, verdict.isEmpty() ? QVariant() : QVariant(verdict));
}

QString VerdictMark::Reading(const QTableWidgetItem& item)
{
    const QVariant reading = item.data(kReadingRole);
    return reading.isValid() ? reading.toString() : item.text();
}

} // namespace tessaprint
