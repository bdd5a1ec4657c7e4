#include "util/FileIo.h"

#include "results/ReportsFolder.h"
#include "util/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tessaprint {

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
        error = "cannot read " + path + ": it is a folder, not a file";
        return false;
    }
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    content = buffer.str();
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content, std::string& error)
{
    const AtomicWrite written = ReplaceFile(PathFromUtf8(path), content);
    if (written.error != 0) {
        error = "cannot write " + path + ": " + std::generic_category().message(written.error);
        return false;
    }
    return true;
}

} // namespace tessaprint
