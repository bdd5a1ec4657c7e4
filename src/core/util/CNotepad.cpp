#include "util/CNotepad.h"

#include "util/SettingsRegistry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tessaprint {

namespace fs = std::filesystem;

namespace {

// A fresh file (never one that is there already) that only this user can
// read: the captured lines are the hospital's, and the folder is shared.
std::FILE* OpenPrivateNewFile(const std::string& path)
{
#ifdef _WIN32
    return std::fopen(path.c_str(), "wbx");
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
#endif
}

} // namespace

CApplication::CApplication(ProcessLauncher& launcher, int closeWaitMs)
    : m_launcher(launcher), m_closeWaitMs(closeWaitMs)
{
}

CApplication::~CApplication() = default;

bool CApplication::IsStartedRunning()
{
    return m_process && m_process->IsRunning();
}

bool CApplication::LaunchProcess(const std::string& program, const std::vector<std::string>& arguments, bool closable)
{
    m_process = m_launcher.Launch(program, arguments);
    m_closable = closable;
    return m_process != nullptr;
}

bool CApplication::CloseStarted()
{
    if (!m_process) {
        return true;
    }
    if (!m_closable) {
        // An opener that has ended is reaped by asking; the program it started is not ours.
        (void)m_process->IsRunning();
        m_process.reset();
        OnProgramGone(false);
        return true;
    }
    bool ended = true;
    if (m_process->IsRunning()) {
        m_process->RequestClose();
        ended = m_process->WaitForExit(m_closeWaitMs);
    }
    m_process.reset();
    OnProgramGone(ended);
    return ended;
}

CNotepad::CNotepad(ProcessLauncher& launcher, std::string editorSetting, std::string tempFolder, int closeWaitMs)
    : CApplication(launcher, closeWaitMs), m_launcher(launcher), m_editorSetting(std::move(editorSetting)),
      m_tempFolder(std::move(tempFolder))
{
}

CNotepad::~CNotepad()
{
    CloseStarted();
}

const std::vector<std::string>& CNotepad::CommonEditors()
{
    static const std::vector<std::string> editors = {
        "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad", "leafpad", "geany"};
    return editors;
}

std::string CNotepad::EditorCommand() const
{
    if (!m_editorSetting.empty()) {
        return m_editorSetting;
    }
#ifdef _WIN32
    return "notepad";
#else
    if (m_desktopDefault && m_launcher.IsInstalled(kDesktopOpener) && m_desktopDefault()) {
        return kDesktopOpener;
    }
    for (const auto& editor : CommonEditors()) {
        if (m_launcher.IsInstalled(editor)) {
            return editor;
        }
    }
    return {};
#endif
}

void CNotepad::OnProgramGone(bool ended)
{
    // The file of an editor that ended is ours to remove; one still open
    // belongs to the user now.
    if (ended && !m_file.empty()) {
        std::error_code ignored;
        fs::remove(m_file, ignored);
    }
    m_file.clear();
}

Result<void> CNotepad::StartNotepad(const std::vector<std::string>& lines)
{
    CloseStarted();

    const std::string command = EditorCommand();
    std::vector<std::string> words = SplitCommand(command);
    if (words.empty()) {
        return Error{kErrorFail, "No text editor was found. Install one (for example gedit or kate) or name it in "
                                 "the setting " +
                                     settings::PathName(settings::kTextEditor) + "."};
    }

    std::string content;
    for (const auto& line : lines) {
        content += line + "\r\n";
    }
    std::random_device random;
    std::error_code error;
    fs::create_directories(m_tempFolder, error);
    std::string path;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        path = (fs::path(m_tempFolder) / ("tessaprint-lines-" + std::to_string(random()) + ".txt")).string();
        file = OpenPrivateNewFile(path);
    }
    if (!file) {
        return ErrnoError(errno, "Cannot write the lines for the text editor into " + m_tempFolder);
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) != 0 || !written) {
        fs::remove(path, error);
        return Error{kErrorFail, "Cannot write the lines for the text editor into " + path + "."};
    }

    const std::string program = words.front();
    words.erase(words.begin());
    words.push_back(path);
    if (!LaunchProcess(program, words, program != kDesktopOpener)) {
        fs::remove(path, error);
        return Error{kErrorFail, "The text editor \"" + command + "\" could not be started."};
    }
    m_file = path;
    return {};
}

std::vector<std::string> SplitCommand(const std::string& command)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool have = false;
    for (const char c : command) {
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (have) {
                words.push_back(word);
                word.clear();
                have = false;
            }
        } else {
            word += c;
            have = true;
        }
    }
    if (have) {
        words.push_back(word);
    }
    return words;
}

} // namespace tessaprint
