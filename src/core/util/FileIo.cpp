#include "util/FileIo.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessaprint {

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    content = buffer.str();
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) {
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
    }
    if (!out) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error)
{
    const std::string temporary = path + ".part";
    if (!WriteWholeFile(temporary, content, error)) {
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot write " + path + ": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

} // namespace tessaprint
