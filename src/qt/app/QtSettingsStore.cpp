#include "app/QtSettingsStore.h"

namespace tessaprint {

namespace {
QString KeyPath(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}
} // namespace

// The default format is the registry on Windows; tests switch it to INI files
// in a folder of their own.
QtSettingsStore::QtSettingsStore(const QString& application)
    : m_settings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Zelmor"), application)
{
}

std::string QtSettingsStore::GetProfileString(const std::string& section, const std::string& key,
                                              const std::string& defaultValue) const
{
    const QVariant value = m_settings.value(KeyPath(section, key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void QtSettingsStore::WriteProfileString(const std::string& section, const std::string& key, const std::string& value)
{
    m_settings.setValue(KeyPath(section, key), QString::fromStdString(value));
}

} // namespace tessaprint
