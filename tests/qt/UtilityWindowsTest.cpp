// Options > Directories and the "Notepad" button, through the window.
#include "../core/FakeLauncher.h"
#include "../core/ScriptedDriver.h"
#include "../core/ScriptedPrompts.h"
#include "../core/TestFiles.h"
#include "NumberedControls.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "docs/COptionsDirectory.h"
#include "util/ControlId.h"
#include "util/ManualClock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

namespace Directories = ControlId::Directories;

class UtilityWindowsTest : public ::testing::Test {
protected:
    void Start()
    {
        CQuellmaxApp::Parts parts{driver, settings, prompts, clock};
        parts.launcher = &launcher;
        parts.desktopTextDefault = [this] { return desktopHasTextDefault; };
        app = std::make_unique<CQuellmaxApp>(parts);
        ASSERT_TRUE(app->InitInstance(false));
    }

    COptionsDirectory* OpenDirectories()
    {
        app->frame()->findChild<QAction*>(ControlName(ControlId::Command::OptionsDirectories))->trigger();
        return app->directories();
    }

    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    std::string Setting(const settings::Entry& entry) { return settings.Read(entry, "<none>"); }

    QTemporaryDir folders;
    test::ScriptedDriver driver;
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    test::FakeLauncher launcher;
    bool desktopHasTextDefault = false;
    ManualClock clock;
    std::unique_ptr<CQuellmaxApp> app;
};

TEST_F(UtilityWindowsTest, DirectoriesOpensOnceWithTheStoredFolderAndWordFlag)
{
    settings.Write(settings::kReports, folders.filePath("old").toStdString());
    Start();
    COptionsDirectory* window = OpenDirectories();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Directories");
    EXPECT_EQ(OpenDirectories(), window); // one window
    EXPECT_EQ(window->objectName(), "312");
    EXPECT_EQ(test::NumberedControls(window),
              (QStringList{"1 QPushButton OK", "1002 QLineEdit Reports", "1034 QPushButton ...",
                           "1039 QCheckBox Word 2007 or Higher", "1040 QCheckBox Also save a PDF copy",
                           "2 QPushButton Cancel"}));
    auto* folder = window->findChild<QLineEdit*>(ControlName(Directories::Reports));
    auto* word2007 = window->findChild<QCheckBox*>(ControlName(Directories::Word2007));
    EXPECT_EQ(folder->text(), folders.filePath("old"));
    EXPECT_TRUE(word2007->isChecked());
    EXPECT_FALSE(window->findChild<QPushButton*>(ControlName(ControlId::Dialog::Ok))->isDefault());
}

TEST_F(UtilityWindowsTest, DirectoriesOkStoresAppliesAndMakesTheFolder)
{
    settings.Write(settings::kReports, folders.filePath("old").toStdString());
    Start();
    COptionsDirectory* window = OpenDirectories();
    ASSERT_NE(window, nullptr);
    const QString chosen = folders.filePath("new/deep/reports");
    window->findChild<QLineEdit*>(ControlName(Directories::Reports))->setText(chosen);
    window->findChild<QCheckBox*>(ControlName(Directories::Word2007))->setChecked(false);
    QTest::mouseClick(window->findChild<QPushButton*>(ControlName(ControlId::Dialog::Ok)), Qt::LeftButton);
    Settle();
    EXPECT_EQ(app->directories(), nullptr);
    EXPECT_EQ(Setting(settings::kReports), chosen.toStdString());
    EXPECT_EQ(Setting(settings::kWord2007), "0");
    EXPECT_EQ(app->controller()->reportsFolder(), chosen.toStdString());
    EXPECT_EQ(app->controller()->word2007(), 0);
    EXPECT_TRUE(QDir(chosen).exists());
}

TEST_F(UtilityWindowsTest, EnterInTheDirectoriesWindowIsOk)
{
    settings.Write(settings::kWord2007, "0");
    Start();
    COptionsDirectory* window = OpenDirectories();
    ASSERT_NE(window, nullptr);
    window->findChild<QCheckBox*>(ControlName(Directories::Word2007))->setChecked(true);
    QTest::keyClick(window->findChild<QLineEdit*>(ControlName(Directories::Reports)), Qt::Key_Return); // Enter is OK
    Settle();
    EXPECT_EQ(Setting(settings::kWord2007), "1");
}

TEST_F(UtilityWindowsTest, BrowseStartsAtTheFolderInUseAndCancelStoresNothing)
{
    settings.Write(settings::kReports, "/stored");
    Start();
    const int writes = settings.writes();
    COptionsDirectory* window = OpenDirectories();
    auto* folder = window->findChild<QLineEdit*>(ControlName(Directories::Reports));
    folder->setText("/typed/by/hand");
    prompts.files = {std::string("/browsed"), std::nullopt};
    QTest::mouseClick(window->findChild<QPushButton*>(ControlName(Directories::Browse)), Qt::LeftButton);
    EXPECT_EQ(prompts.folderQuestions.back(), "Select Reports Folder @ /stored");
    EXPECT_EQ(folder->text(), "/browsed");
    QTest::mouseClick(window->findChild<QPushButton*>(ControlName(Directories::Browse)), Qt::LeftButton); // cancelled
    EXPECT_EQ(folder->text(), "/browsed");
    QTest::keyClick(window, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(settings.writes(), writes);
    EXPECT_EQ(OpenDirectories()->findChild<QLineEdit*>(ControlName(Directories::Reports))->text(), "/stored");
}

TEST_F(UtilityWindowsTest, EmptyFolderIsStoredAndDocumentsStillGoBelowTheBuiltInFolder)
{
    Start();
    COptionsDirectory* window = OpenDirectories();
    window->findChild<QLineEdit*>(ControlName(Directories::Reports))->clear();
    QTest::mouseClick(window->findChild<QPushButton*>(ControlName(ControlId::Dialog::Ok)), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Setting(settings::kReports), "");
    EXPECT_EQ(app->controller()->reportsFolder(), "");
    driver.Arrive("EquipmentID: E1\r\n1.Case Leakage 1 uA\r\n");
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Result)), Qt::LeftButton);
    driver.Raise(kTextEvent);
    clock.Advance(750);
    QCoreApplication::processEvents();
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::DataSheet)), Qt::LeftButton);
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    const QString home = qEnvironmentVariable("HOME");
    EXPECT_EQ(app->controller()->lastDocumentPath().rfind((home + "/Zelmor/Tessaprint/reports/").toStdString(), 0), 0u);
}

TEST_F(UtilityWindowsTest, NotepadGetsTheReceivedLinesAndQuittingClosesIt)
{
    settings.Write(settings::kTextEditor, "stand-in-editor");
    Start();
    auto* notepad = app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Notepad));
    QTest::mouseClick(notepad, Qt::LeftButton); // nothing received yet: the editor still opens
    ASSERT_EQ(launcher.states.size(), 1u);
    EXPECT_EQ(test::ReadFile(launcher.states[0].file), "");

    driver.Arrive("EquipmentID: E1\r\n1.Case Leakage 1 uA\r\n");
    driver.Raise(kTextEvent);
    QTest::mouseClick(notepad, Qt::LeftButton);
    ASSERT_EQ(launcher.states.size(), 2u);
    EXPECT_FALSE(launcher.states[0].running);
    EXPECT_EQ(test::ReadFile(launcher.states[1].file), "EquipmentID: E1\r\n1.Case Leakage 1 uA\r\n");
    EXPECT_EQ(launcher.log[1], "close 0");

    app.reset(); // quitting
    EXPECT_FALSE(launcher.states[1].running);
}

// A click as the window system delivers it: queued, handled by the event loop.
void PostClick(QWidget* widget)
{
    const QPointF at = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            widget, new QMouseEvent(type, at, global, Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    }
}

TEST_F(UtilityWindowsTest, WhileTheEditorIsAwaitedTheWindowIsBusyAndClicksAreDropped)
{
    settings.Write(settings::kTextEditor, "stand-in-editor");
    Start();
    auto* notepad = app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Notepad));
    auto* result = app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Result));
    QTest::mouseClick(notepad, Qt::LeftButton);
    int cursorDuringWait = -1;
    launcher.duringWait = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        cursorDuringWait = cursor ? cursor->shape() : -1;
        PostClick(result); // RESULT, clicked while the program waits
    };
    QTest::mouseClick(notepad, Qt::LeftButton); // closes the first editor, and waits for it
    launcher.duringWait = nullptr;
    QCoreApplication::processEvents();
    EXPECT_EQ(cursorDuringWait, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(driver.written, ""); // the click did not run later
    EXPECT_EQ(launcher.states.size(), 2u);

    // The same click when nothing is awaited is a click.
    PostClick(result);
    QCoreApplication::processEvents();
    EXPECT_EQ(driver.written, "print\r\n");
}

#ifndef _WIN32
TEST_F(UtilityWindowsTest, NotepadWithoutASettingUsesTheDesktopsDefaultBeforeTheEditorsItKnows)
{
    launcher.installed = {"gedit", "xdg-open"};
    Start();
    auto* notepad = app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Notepad));
    QTest::mouseClick(notepad, Qt::LeftButton);
    ASSERT_EQ(launcher.log.size(), 1u);
    EXPECT_EQ(launcher.log[0].rfind("launch gedit [", 0), 0u); // nothing set for text files
    desktopHasTextDefault = true;
    QTest::mouseClick(notepad, Qt::LeftButton);
    EXPECT_EQ(launcher.log.back().rfind("launch xdg-open [", 0), 0u) << launcher.log.back();
    EXPECT_TRUE(prompts.messageBoxes.empty());
}
#endif

TEST_F(UtilityWindowsTest, NotepadWithoutAnEditorSaysHowToGetOne)
{
    Start();
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::Notepad)), Qt::LeftButton);
#ifndef _WIN32
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_NE(prompts.messageBoxes[0].find("szTextEditor"), std::string::npos);
#endif
}

} // namespace
} // namespace tessaprint
