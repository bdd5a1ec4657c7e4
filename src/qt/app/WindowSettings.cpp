#include "app/WindowSettings.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace tessaprint {

namespace {

QByteArray Base64Setting(const SettingsStore& settings, const std::string& key)
{
    const std::string text = settings.GetProfileString(WindowSettings::kSection, key, std::string());
    const auto decoded =
        QByteArray::fromBase64Encoding(QByteArray::fromStdString(text), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

} // namespace

QByteArray WindowSettings::Geometry() const
{
    return Base64Setting(m_settings, kGeometry);
}

QByteArray WindowSettings::Splitter() const
{
    return Base64Setting(m_settings, kSplitter);
}

std::optional<WindowSettings::ColumnWidths> WindowSettings::ReadingColumns() const
{
    return ParseColumns(m_settings.GetProfileString(kSection, kReadingColumns, std::string()));
}

void WindowSettings::Save(const QByteArray& geometry, const ColumnWidths& columns, const QByteArray& splitter)
{
    m_settings.WriteProfileString(kSection, kGeometry, geometry.toBase64().toStdString());
    m_settings.WriteProfileString(kSection, kSplitter, splitter.toBase64().toStdString());
    QStringList widths;
    for (const int width : columns) {
        widths << QString::number(width);
    }
    m_settings.WriteProfileString(kSection, kReadingColumns, widths.join(QLatin1Char(',')).toStdString());
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
