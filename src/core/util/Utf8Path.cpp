#include "util/Utf8Path.h"

namespace tessaprint {

namespace fs = std::filesystem;

// Text inside the program is UTF-8; on Windows a narrow path string would be
// read in the ANSI code page instead.
fs::path PathFromUtf8(const std::string& text)
{
#ifdef _WIN32
    return fs::path(std::u8string(text.begin(), text.end()));
#else
    return fs::path(text);
#endif
}

std::string PathToUtf8(const fs::path& path)
{
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

} // namespace tessaprint
