#pragma once

#include "util/SettingsStore.h"

#include <QSettings>

namespace tessaprint {

// The settings in QSettings: on Windows the registry key
// Software\Zelmor\<application>, elsewhere a per-user INI file. Section is
// the group, key the key; values are always strings.
class QtSettingsStore : public SettingsStore {
public:
    // Organisation "Zelmor"; the application name separates the demo's
    // settings from the real ones.
    explicit QtSettingsStore(const QString& application = QStringLiteral("Tessaprint"));

    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override;
    void WriteProfileString(const std::string& section, const std::string& key, const std::string& value) override;

    QSettings& settings() { return m_settings; }

private:
    mutable QSettings m_settings;
};

} // namespace tessaprint
