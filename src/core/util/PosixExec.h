#pragma once

// What starting a program by fork and exec needs on POSIX systems, shared by
// the text editor's launcher, the job runner and the office program's lookup.
#ifndef _WIN32

#include <string>
#include <vector>

namespace tessaprint {

// A regular file this program may execute.
bool IsExecutableFile(const std::string& path);

// The program and its arguments as execvp takes them. Made before the fork:
// between fork and exec a child of a threaded program may only make system
// calls. The pointers stay good while the object lives and is not moved.
class ExecArguments {
public:
    ExecArguments(const std::string& program, const std::vector<std::string>& arguments);
    ExecArguments(const ExecArguments&) = delete;
    ExecArguments& operator=(const ExecArguments&) = delete;

    char* const* argv() { return m_argv.data(); }

private:
    std::vector<std::string> m_words;
    std::vector<char*> m_argv;
};

} // namespace tessaprint

#endif
