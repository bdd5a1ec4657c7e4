#include "app/WindowSettings.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace tessaprint {

namespace {

QByteArray Base64Setting(const SettingsStore& settings, const settings::Entry& entry)
{
    const std::string text = settings.Read(entry);
    const auto decoded =
        QByteArray::fromBase64Encoding(QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

} // namespace

QByteArray WindowSettings::Geometry() const
{
    return Base64Setting(m_settings, settings::kWindowGeometry);
}

QByteArray WindowSettings::Splitter() const
{
    return Base64Setting(m_settings, settings::kWindowSplitter);
}

std::optional<WindowSettings::ColumnWidths> WindowSettings::ReadingColumns() const
{
    return ParseColumns(m_settings.Read(settings::kReadingColumns));
}

void WindowSettings::Save(const QByteArray& geometry, const ColumnWidths& columns, const QByteArray& splitter)
{
    m_settings.Write(settings::kWindowGeometry, geometry.toBase64().toStdString());
    m_settings.Write(settings::kWindowSplitter, splitter.toBase64().toStdString());
    QStringList widths;
    for (const int width : columns) {
        widths << QString::number(width);
    }
    m_settings.Write(settings::kReadingColumns, widths.join(QLatin1Char(',')).toStdString());
}

std::optional<WindowSettings::ColumnWidths> WindowSettings::ParseColumns(const std::string& text)
{
    const QStringList parts = QString::fromStdString(text).split(QLatin1Char(','));
    ColumnWidths widths{};
    if (parts.size() != static_cast<qsizetype>(widths.size())) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < widths.size(); ++i) {
        bool ok = false;
        const long long width = parts[static_cast<qsizetype>(i)].trimmed().toLongLong(&ok);
        if (!ok) {
            return std::nullopt;
        }
        widths[i] = static_cast<int>(std::clamp<long long>(width, kMinColumnWidth, kMaxColumnWidth));
    }
    return widths;
}

} // namespace tessaprint
