#pragma once

#include <map>
#include <string>
#include <utility>

namespace tessaprint {

// The per-user settings: string values addressed by section and key. A read
// with a default never creates the key; a write creates section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string GetProfileString(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const = 0;
    virtual void WriteProfileString(const std::string& section, const std::string& key, const std::string& value) = 0;
};

// Settings kept in memory, for tests and tools that must not touch the user's own.
class MemorySettingsStore : public SettingsStore {
public:
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const override
    {
        const auto it = m_values.find({section, key});
        return it == m_values.end() ? defaultValue : it->second;
    }
    void WriteProfileString(const std::string& section, const std::string& key, const std::string& value) override
    {
        m_values[{section, key}] = value;
        ++m_writes;
    }
    bool Contains(const std::string& section, const std::string& key) const
    {
        return m_values.count({section, key}) > 0;
    }
    int writes() const { return m_writes; }

private:
    std::map<std::pair<std::string, std::string>, std::string> m_values;
    int m_writes = 0;
};

// Sections, keys and defaults shared by several parts of the program.
namespace settings {
inline const std::string kDirectories = "Directories";
inline const std::string kReports = "Reports";
inline const std::string kWord2007 = "Word2007";
inline const std::string kSettings = "Settings";
inline const std::string kUnitType = "szUnitType";
inline const std::string kSerial = "Serial";
inline const std::string kPort = "Port";
inline const std::string kWorkOrder = "Work Order";

inline const std::string kDefaultUnitType = "Quellmax";
inline const std::string kDefaultPort = "COM1";
inline const std::string kDefaultWord2007 = "1";
} // namespace settings

} // namespace tessaprint
