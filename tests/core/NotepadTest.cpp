// Handing the received lines to a text editor: the file, the editor it
// starts, closing the one before, and never hanging on one that stays open.
#include "FakeLauncher.h"
#include "TestFiles.h"

#include "util/CNotepad.h"
#include "util/PosixProcessLauncher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

TEST_F(NotepadTest, EditorClosedByHandIsNotAskedAndQuittingClosesTheLastOne)
{
    {
        CNotepad notepad(launcher, "ed", temp.path().string());
        ASSERT_TRUE(notepad.StartNotepad({})); // an empty list still opens the editor
        EXPECT_EQ(tessaprint::test::ReadFile(launcher.states[0].file), "");
        launcher.states[0].running = false; // the user closed it
        ASSERT_TRUE(notepad.StartNotepad({"x"}));
        EXPECT_EQ(std::count(launcher.log.begin(), launcher.log.end(), "close 0"), 0);
    }
    EXPECT_EQ(launcher.log.back().rfind("wait", 0), 0u);
    EXPECT_FALSE(launcher.states[1].running);
    EXPECT_TRUE(temp.Names().empty());
}

TEST_F(NotepadTest, EditorChoiceAndFailuresSayWhatToDo)
{
#ifndef _WIN32
    CNotepad none(launcher, "", temp.path().string());
    EXPECT_EQ(none.EditorCommand(), "");
    const Result<void> noEditor = none.StartNotepad({"x"});
    ASSERT_FALSE(noEditor);
    EXPECT_NE(noEditor.error().message.find("No text editor was found"), std::string::npos);
    launcher.installed = {"kate", "mousepad"};
    EXPECT_EQ(none.EditorCommand(), "kate");
#endif
    launcher.failLaunch = true;
    CNotepad broken(launcher, "\"/opt/My Editor/edit\" -n", temp.path().string());
    const Result<void> notStarted = broken.StartNotepad({"x"});
    ASSERT_FALSE(notStarted);
    EXPECT_NE(notStarted.error().message.find("could not be started"), std::string::npos);
    EXPECT_EQ(launcher.log.back().rfind("launch /opt/My Editor/edit [-n] [", 0), 0u);
    EXPECT_TRUE(temp.Names().empty()); // no file left behind
    EXPECT_EQ(SplitCommand("  a  \"b c\" d "), (Lines{"a", "b c", "d"}));
}

#ifndef _WIN32
// Real processes: a stand-in editor that notes its file and waits.
class RealEditorTest : public ::testing::Test {
protected:
    std::string Script(bool refusesToClose)
    {
        const auto path = temp.path() / (refusesToClose ? "stubborn.sh" : "editor.sh");
        std::ofstream(path) << "#!/bin/sh\n"
                            << (refusesToClose ? "trap '' TERM\n" : "trap 'echo closed >> \"$0.log\"; exit 0' TERM\n")
                            << "echo \"opened $1\" >> \"$0.log\"\n"
                            << "while true; do sleep 0.05; done\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }
    std::string Log(const std::string& script) { return tessaprint::test::ReadFile(script + ".log"); }
    static void WaitFor(const std::function<bool()>& condition)
    {
        for (int i = 0; i < 200 && !condition(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    tessaprint::test::TempFolder temp;
    PosixProcessLauncher launcher;
};

TEST_F(RealEditorTest, SecondEditorStartsOnlyAfterTheFirstHasEnded)
{
    const std::string editor = Script(false);
    CNotepad notepad(launcher, editor, (temp.path() / "files").string());
    ASSERT_TRUE(notepad.StartNotepad({"one"}));
    WaitFor([&] { return Log(editor).find("opened") != std::string::npos; });
    ASSERT_TRUE(notepad.StartNotepad({"two"}));
    WaitFor([&] {
        const std::string log = Log(editor);
        return std::count(log.begin(), log.end(), '\n') >= 3;
    });
    const std::string log = Log(editor);
    const auto closed = log.find("closed");
    ASSERT_NE(closed, std::string::npos) << log;
    EXPECT_LT(log.find("opened"), closed);
    EXPECT_NE(log.find("opened", closed), std::string::npos) << log;
    EXPECT_FALSE(launcher.IsInstalled("tessaprint-no-such-editor"));
    EXPECT_TRUE(launcher.IsInstalled("sh"));
}

TEST_F(RealEditorTest, EditorIgnoringTheCloseRequestDoesNotHangTheProgram)
{
    const std::string editor = Script(true);
    const auto started = std::chrono::steady_clock::now();
    {
        CNotepad notepad(launcher, editor, (temp.path() / "files").string(), 300);
        ASSERT_TRUE(notepad.StartNotepad({"one"}));
        WaitFor([&] { return Log(editor).find("opened") != std::string::npos; });
        ASSERT_TRUE(notepad.StartNotepad({"two"})); // waits at most 300 ms for the first
    }                                               // and at most 300 ms at exit for the second
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    // Both stubborn editors are still there; the test ends them itself.
    EXPECT_EQ(std::system(("pkill -KILL -f '" + editor + "'").c_str()) >> 8, 0);
}
#endif

} // namespace
} // namespace tessaprint
