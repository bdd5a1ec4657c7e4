#pragma once

#include "util/SettingsRegistry.h"

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

    // A setting of the registry: its stored value, else its default (or the
    // one given, for a default only known at run time).
    std::string Read(const settings::Entry& entry) const { return Read(entry, std::string(entry.defaultValue)); }
    std::string Read(const settings::Entry& entry, const std::string& defaultValue) const
    {
        return GetProfileString(std::string(entry.section), std::string(entry.key), defaultValue);
    }
    void Write(const settings::Entry& entry, const std::string& value)
    {
        WriteProfileString(std::string(entry.section), std::string(entry.key), value);
    }
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

} // namespace tessaprint
