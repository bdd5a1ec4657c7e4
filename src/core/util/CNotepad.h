#pragma once

#include "util/Result.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaprint {

// A program this program started and keeps track of.
class ExternalProcess {
public:
    virtual ~ExternalProcess() = default;
    virtual bool IsRunning() = 0;
    // Asks the program to close, the way a window manager would.
    virtual void RequestClose() = 0;
    // Waits at most timeoutMs for it to end; true when it has ended.
    virtual bool WaitForExit(int timeoutMs) = 0;
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts program with arguments; nothing when it cannot be started.
    virtual std::unique_ptr<ExternalProcess> Launch(const std::string& program,
                                                    const std::vector<std::string>& arguments) = 0;
    // Whether a program name can be started (found on the search path, or a path to a program).
    virtual bool IsInstalled(const std::string& program) = 0;
};

// One external program started by this one. Only the process it started is
// ever asked to close; a program the user started by hand is never touched.
class CApplication {
public:
    static constexpr int kDefaultCloseWaitMs = 3000;

    explicit CApplication(ProcessLauncher& launcher, int closeWaitMs = kDefaultCloseWaitMs);
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // Whether the program started last is still running.
    bool IsStartedRunning();
    // closable: false for a program that only hands the file on (the
    // desktop's opener): what it started is not ours, so it is never asked
    // to close and is let go at the next launch or close.
    bool LaunchProcess(const std::string& program, const std::vector<std::string>& arguments, bool closable = true);
    // Asks the started program to close and waits a bounded time. A program
    // that stays open (unsaved text, a question to its user) is left alone
    // and forgotten; true when nothing of ours is running any more.
    bool CloseStarted();

protected:
    // Called once the started program has ended (or was let go).
    virtual void OnProgramGone(bool ended) { (void)ended; }

private:
    ProcessLauncher& m_launcher;
    int m_closeWaitMs;
    std::unique_ptr<ExternalProcess> m_process;
    bool m_closable = true;
};

// "Notepad": the received lines go into a new text file, one per line with
// CR LF, and a text editor is started on it. A second export closes the
// editor of the first; quitting the program closes the last one. A file
// handed to the desktop's default program stays open and on disk: that
// program is not one this program started.
class CNotepad : public CApplication {
public:
    // Whether the desktop names a default program for text files.
    using DesktopDefaultQuery = std::function<bool()>;
    // Opens a file with the desktop's default program for its type.
    static constexpr const char* kDesktopOpener = "xdg-open";

    // The editor command: the setting when it is not empty, else "notepad" on
    // Windows; elsewhere the desktop's default program for text files (when
    // a query is set and says there is one), else the first installed of a
    // list of desktop editors.
    CNotepad(ProcessLauncher& launcher, std::string editorSetting, std::string tempFolder,
             int closeWaitMs = kDefaultCloseWaitMs);
    ~CNotepad() override;

    // Closes the editor started before, writes the lines and starts a new
    // editor; a failure carries a message for the user.
    Result<void> StartNotepad(const std::vector<std::string>& lines);

    void SetEditorSetting(std::string command) { m_editorSetting = std::move(command); }
    // Unset (the default): the desktop's default program is never used.
    void SetDesktopDefaultQuery(DesktopDefaultQuery query) { m_desktopDefault = std::move(query); }
    // The editor command that would be used; empty when none is installed.
    std::string EditorCommand() const;

    static const std::vector<std::string>& CommonEditors();

private:
    void OnProgramGone(bool ended) override;

    ProcessLauncher& m_launcher;
    std::string m_editorSetting;
    DesktopDefaultQuery m_desktopDefault;
    std::string m_tempFolder;
    std::string m_file;
};

// Splits a command into program and arguments at blanks; double quotes keep blanks.
std::vector<std::string> SplitCommand(const std::string& command);

} // namespace tessaprint
