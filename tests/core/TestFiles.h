#pragma once

// Files for tests: a temporary folder of their own, whole-file reads, and
// LibreOffice as a word processor nobody here wrote.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifdef __linux__
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace tessaprint::test {

namespace fs = std::filesystem;

// A folder of its own under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::random_device seed;
        m_path = fs::temp_directory_path() / ("tessaprint-test-" + std::to_string(seed()));
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return m_path; }
    std::vector<std::string> Names() const { return NamesIn(m_path); }
    // The names in a folder, sorted.
    static std::vector<std::string> NamesIn(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path m_path;
};

// While it lives, the permissions of files and folders hold for this thread
// even when it runs as root (as CI does): root's override of them is set
// aside and given back afterwards. Elsewhere than on Linux it does nothing.
class FilePermissionsHold {
public:
    FilePermissionsHold()
    {
#ifdef __linux__
        if (::syscall(SYS_capget, &m_header, m_saved) != 0) {
            return;
        }
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
#endif
    }
    ~FilePermissionsHold()
    {
#ifdef __linux__
        if (m_lowered) {
            ::syscall(SYS_capset, &m_header, m_saved);
        }
#endif
    }
    FilePermissionsHold(const FilePermissionsHold&) = delete;
    FilePermissionsHold& operator=(const FilePermissionsHold&) = delete;

private:
#ifdef __linux__
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
#endif
};

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// LibreOffice converts the file on its own, with a private profile so test
// runs side by side do not share one. Empty when soffice is not installed.
inline std::string ConvertWithLibreOffice(const fs::path& work, const fs::path& docx, const std::string& filter,
                                          const std::string& extension)
{
    const fs::path out = work / "out";
    const std::string command = "soffice -env:UserInstallation=file://" + (work / "profile").string() +
                                " --headless --convert-to '" + filter + "' --outdir '" + out.string() + "' '" +
                                docx.string() + "' >'" + (work / "soffice.log").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    if (status != 0) {
        return {};
    }
    return ReadFile(out / (docx.stem().string() + extension));
}

inline bool SofficeOnPath()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::error_code unreadable; // a PATH folder we may not look into is no reason to fail
        if (!folder.empty() && fs::exists(fs::path(folder) / "soffice", unreadable)) {
            return true;
        }
    }
    return false;
}

} // namespace tessaprint::test
