// Handing the received lines to a text editor: the file, the editor it
// starts, closing the one before, and never hanging on one that stays open.
#include "FakeLauncher.h"
#include "TestFiles.h"

#include "util/CNotepad.h"
#include "util/PosixProcessLauncher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tessaprint {
namespace {

using Lines = std::vector<std::string>;

class NotepadTest : public ::testing::Test {
protected:
    tessaprint::test::TempFolder temp;
    test::FakeLauncher launcher;
};

TEST_F(NotepadTest, LinesGoIntoAFreshFileWithCrLfAndTheEditorOpensIt)
{
    CNotepad notepad(launcher, "my-editor --new-window", temp.path().string());
    ASSERT_TRUE(notepad.StartNotepad({"EquipmentID: 1", "", "1.Case Leakage 5 \u00B5A"}));
    ASSERT_EQ(launcher.states.size(), 1u);
    const std::string file = launcher.states[0].file;
    EXPECT_EQ(launcher.log.back(), "launch my-editor [--new-window] [" + file + "]");
    EXPECT_EQ(tessaprint::test::ReadFile(file), "EquipmentID: 1\r\n\r\n1.Case Leakage 5 \u00B5A\r\n");
    EXPECT_EQ(std::filesystem::path(file).parent_path(), temp.path());
#ifndef _WIN32
    // The temporary folder is shared; the lines are readable by this user only.
    const auto perms = std::filesystem::status(file).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
}

TEST_F(NotepadTest, SecondExportClosesTheFirstEditorFirstAndRemovesItsFile)
{
    CNotepad notepad(launcher, "ed", temp.path().string(), 700);
    ASSERT_TRUE(notepad.StartNotepad({"first"}));
    const std::string firstFile = launcher.states[0].file;
    ASSERT_TRUE(notepad.StartNotepad({"second"}));
    EXPECT_EQ(launcher.log, (Lines{"launch ed [" + firstFile + "]", "close 0", "wait 700",
                                   "launch ed [" + launcher.states[1].file + "]"}));
    EXPECT_FALSE(std::filesystem::exists(firstFile));
    EXPECT_EQ(tessaprint::test::ReadFile(launcher.states[1].file), "second\r\n");
}

TEST_F(NotepadTest, EditorThatStaysOpenIsLeftAloneAndANewOneStarts)
{
    CNotepad notepad(launcher, "ed", temp.path().string(), 50);
    ASSERT_TRUE(notepad.StartNotepad({"kept"}));
    launcher.states[0].refusesToClose = true;
    ASSERT_TRUE(notepad.StartNotepad({"new"}));
    EXPECT_TRUE(launcher.states[0].running);
    EXPECT_EQ(launcher.states.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(launcher.states[0].file)); // the user's to keep
    // The one left alone is never asked again.
    ASSERT_TRUE(notepad.StartNotepad({"third"}));
    EXPECT_EQ(std::count(launcher.log.begin(), launcher.log.end(), "close 0"), 1);
}

TEST_F(NotepadTest, EditorClosedByHandIsNotAskedToClose)
{
    CNotepad notepad(launcher, "ed", temp.path().string());
    ASSERT_TRUE(notepad.StartNotepad({"x"}));
    EXPECT_TRUE(notepad.IsStartedRunning());
    launcher.states[0].running = false; // the user closed it
    EXPECT_FALSE(notepad.IsStartedRunning());
    ASSERT_TRUE(notepad.StartNotepad({"y"}));
    EXPECT_EQ(std::count(launcher.log.begin(), launcher.log.end(), "close 0"), 0);
    EXPECT_FALSE(std::filesystem::exists(launcher.states[0].file));
}

TEST_F(NotepadTest, QuittingClosesTheLastEditorAndRemovesItsFile)
{
    {
        CNotepad notepad(launcher, "ed", temp.path().string());
        ASSERT_TRUE(notepad.StartNotepad({})); // an empty list still opens the editor
        EXPECT_EQ(tessaprint::test::ReadFile(launcher.states[0].file), "");
    }
    EXPECT_EQ(launcher.log, (Lines{"launch ed [" + launcher.states[0].file + "]", "close 0", "wait 3000"}));
    EXPECT_FALSE(launcher.states[0].running);
    EXPECT_TRUE(temp.Names().empty());
}

#ifndef _WIN32
TEST_F(NotepadTest, WithoutASettingTheFirstInstalledDesktopEditorIsUsed)
{
    CNotepad notepad(launcher, "", temp.path().string());
    EXPECT_EQ(notepad.EditorCommand(), "");
    launcher.installed = {"mousepad", "kate"};
    EXPECT_EQ(notepad.EditorCommand(), "kate"); // the list's order, not the machine's
}

TEST_F(NotepadTest, WithoutASettingTheDesktopsDefaultComesBeforeTheListOfEditors)
{
    CNotepad notepad(launcher, "", temp.path().string());
    int asked = 0;
    bool hasDefault = true;
    notepad.SetDesktopDefaultQuery([&] {
        ++asked;
        return hasDefault;
    });
    launcher.installed = {"kate"};
    EXPECT_EQ(notepad.EditorCommand(), "kate"); // no opener: the desktop is not asked
    EXPECT_EQ(asked, 0);
    launcher.installed = {"kate", "xdg-open"};
    EXPECT_EQ(notepad.EditorCommand(), "xdg-open");
    hasDefault = false; // nothing set to open text files
    EXPECT_EQ(notepad.EditorCommand(), "kate");
    launcher.installed = {"xdg-open"};
    EXPECT_EQ(notepad.EditorCommand(), "");
    hasDefault = true;
    asked = 0;
    notepad.SetEditorSetting("ed");
    EXPECT_EQ(notepad.EditorCommand(), "ed"); // the setting first, without asking
    EXPECT_EQ(asked, 0);
}

TEST_F(NotepadTest, AFileHandedToTheDesktopIsNeverClosedOrRemoved)
{
    launcher.installed = {"xdg-open"};
    std::vector<std::string> files;
    {
        CNotepad notepad(launcher, "", temp.path().string());
        notepad.SetDesktopDefaultQuery([] { return true; });
        ASSERT_TRUE(notepad.StartNotepad({"first"}));
        ASSERT_TRUE(notepad.StartNotepad({"second"}));
        ASSERT_EQ(launcher.states.size(), 2u);
        files = {launcher.states[0].file, launcher.states[1].file};
        EXPECT_EQ(launcher.log, (Lines{"launch xdg-open [" + files[0] + "]", "launch xdg-open [" + files[1] + "]"}));
    }
    // The program the opener started shows them, and it is not ours.
    EXPECT_EQ(launcher.log.size(), 2u);
    EXPECT_EQ(tessaprint::test::ReadFile(files[0]), "first\r\n");
    EXPECT_EQ(tessaprint::test::ReadFile(files[1]), "second\r\n");
}

TEST_F(NotepadTest, NoEditorInstalledSaysSoAndLeavesNoFile)
{
    CNotepad notepad(launcher, "", temp.path().string());
    const Result<void> result = notepad.StartNotepad({"x"});
    ASSERT_FALSE(result);
    EXPECT_NE(result.error().message.find("No text editor was found"), std::string::npos);
    EXPECT_TRUE(launcher.log.empty());
    EXPECT_TRUE(temp.Names().empty());
}
#endif

TEST_F(NotepadTest, EditorThatCannotStartSaysSoAndLeavesNoFile)
{
    launcher.failLaunch = true;
    CNotepad notepad(launcher, "\"/opt/My Editor/edit\" -n", temp.path().string());
    const Result<void> result = notepad.StartNotepad({"x"});
    ASSERT_FALSE(result);
    EXPECT_NE(result.error().message.find("could not be started"), std::string::npos);
    ASSERT_EQ(launcher.log.size(), 1u);
    EXPECT_EQ(launcher.log.back().rfind("launch /opt/My Editor/edit [-n] [", 0), 0u);
    EXPECT_TRUE(temp.Names().empty());
}

TEST(SplitCommandTest, BlanksSeparateAndDoubleQuotesKeepThem)
{
    EXPECT_EQ(SplitCommand("  a  \"b c\" d "), (Lines{"a", "b c", "d"}));
    EXPECT_EQ(SplitCommand("\"/opt/My Editor/edit\""), (Lines{"/opt/My Editor/edit"}));
    EXPECT_EQ(SplitCommand(""), Lines{});
}

#ifndef _WIN32
// Real processes: a stand-in editor that notes its process id and file, and
// waits. Every stand-in the test started is ended by its process id when the
// test ends, whether its assertions held or not.
class RealEditorTest : public ::testing::Test {
protected:
    ~RealEditorTest() override
    {
        for (const std::string& script : m_scripts) {
            const std::string log = Log(script);
            for (const pid_t pid : Pids(log)) {
                // One that ended by itself may be reaped already; its id is not ours any more.
                if (log.find("closed " + std::to_string(pid)) == std::string::npos) {
                    ::kill(pid, SIGKILL);
                    ::waitpid(pid, nullptr, 0);
                }
            }
        }
    }

    std::string Script(bool refusesToClose)
    {
        const auto path = temp.path() / (refusesToClose ? "stubborn.sh" : "editor.sh");
        std::ofstream(path) << "#!/bin/sh\n"
                            << (refusesToClose ? "trap '' TERM\n"
                                               : "trap 'echo \"closed $$\" >> \"$0.log\"; exit 0' TERM\n")
                            << "echo \"pid $$\" >> \"$0.log\"\n"
                            << "echo \"opened $1\" >> \"$0.log\"\n"
                            << "while true; do sleep 0.05; done\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        m_scripts.push_back(path.string());
        return path.string();
    }
    static std::string Log(const std::string& script) { return tessaprint::test::ReadFile(script + ".log"); }
    static std::vector<pid_t> Pids(const std::string& log)
    {
        std::vector<pid_t> pids;
        std::istringstream in(log);
        std::string word;
        while (in >> word) {
            pid_t pid = 0;
            if (word == "pid" && in >> pid && pid > 0) {
                pids.push_back(pid);
            }
        }
        return pids;
    }
    static std::size_t Count(const std::string& text, const std::string& word)
    {
        std::size_t count = 0;
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            ++count;
        }
        return count;
    }
    static void WaitFor(const std::function<bool()>& condition)
    {
        for (int i = 0; i < 200 && !condition(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    tessaprint::test::TempFolder temp;
    PosixProcessLauncher launcher;

private:
    std::vector<std::string> m_scripts;
};

TEST_F(RealEditorTest, SecondEditorStartsOnlyAfterTheFirstHasEnded)
{
    const std::string editor = Script(false);
    CNotepad notepad(launcher, editor, (temp.path() / "files").string());
    ASSERT_TRUE(notepad.StartNotepad({"one"}));
    WaitFor([&] { return Count(Log(editor), "opened") == 1; });
    ASSERT_TRUE(notepad.StartNotepad({"two"}));
    WaitFor([&] { return Count(Log(editor), "opened") == 2; });
    const std::string log = Log(editor);
    const auto closed = log.find("closed");
    ASSERT_NE(closed, std::string::npos) << log;
    EXPECT_LT(log.find("opened"), closed);
    EXPECT_NE(log.find("opened", closed), std::string::npos) << log;
    EXPECT_TRUE(notepad.IsStartedRunning());
}

TEST_F(RealEditorTest, EditorIgnoringTheCloseRequestDoesNotHangTheProgram)
{
    const std::string editor = Script(true);
    const auto started = std::chrono::steady_clock::now();
    {
        CNotepad notepad(launcher, editor, (temp.path() / "files").string(), 300);
        ASSERT_TRUE(notepad.StartNotepad({"one"}));
        WaitFor([&] { return Count(Log(editor), "opened") == 1; });
        ASSERT_TRUE(notepad.StartNotepad({"two"})); // waits at most 300 ms for the first
        // The second has set its trap before the program quits.
        WaitFor([&] { return Count(Log(editor), "opened") == 2; });
    } // waits at most 300 ms at exit for the second
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    // Both stubborn editors are still running (the fixture ends them).
    const std::vector<pid_t> pids = Pids(Log(editor));
    EXPECT_EQ(pids.size(), 2u) << Log(editor);
    for (const pid_t pid : pids) {
        EXPECT_EQ(::kill(pid, 0), 0) << pid;
    }
}

TEST_F(RealEditorTest, ProgramsAreFoundOnTheSearchPath)
{
    EXPECT_FALSE(launcher.IsInstalled("tessaprint-no-such-editor"));
    EXPECT_TRUE(launcher.IsInstalled("sh"));
    EXPECT_TRUE(launcher.IsInstalled(Script(false)));
}
#endif

} // namespace
} // namespace tessaprint
