#pragma once

// A test program's own HOME and XDG folders, in a fresh temporary folder that
// is removed at its end: the user's own settings, data and caches are never
// read nor written, whatever the environment names.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace tessaprint::test {

class OwnHome {
public:
    OwnHome()
    {
        namespace fs = std::filesystem;
        std::random_device seed;
        m_path = fs::temp_directory_path() / ("tessaprint-home-" + std::to_string(seed()));
        // The runtime folder is the user's alone, as Qt requires.
        fs::create_directories(m_path / "runtime");
        fs::permissions(m_path / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        Set("HOME", m_path);
        Set("XDG_CONFIG_HOME", m_path / "config");
        Set("XDG_DATA_HOME", m_path / "data");
        Set("XDG_CACHE_HOME", m_path / "cache");
        Set("XDG_RUNTIME_DIR", m_path / "runtime");
    }
    ~OwnHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    OwnHome(const OwnHome&) = delete;
    OwnHome& operator=(const OwnHome&) = delete;

private:
    static void Set(const char* name, const std::filesystem::path& value)
    {
#ifdef _WIN32
        _putenv_s(name, value.string().c_str());
#else
        setenv(name, value.c_str(), 1);
#endif
    }

    std::filesystem::path m_path;
};

} // namespace tessaprint::test
