#include "util/PosixExec.h"

#ifndef _WIN32

#include <sys/stat.h>
#include <unistd.h>

namespace tessaprint {

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

ExecArguments::ExecArguments(const std::string& program, const std::vector<std::string>& arguments) : m_words{program}
{
    m_words.insert(m_words.end(), arguments.begin(), arguments.end());
    for (std::string& word : m_words) {
        m_argv.push_back(word.data());
    }
    m_argv.push_back(nullptr);
}

} // namespace tessaprint

#endif
