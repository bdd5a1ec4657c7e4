// The main window on a real X server with a window manager, which puts a
// title bar around it: the whole frame is on the screen and every control of
// the form in view. tests/qt/window_manager_test.sh runs it on a 1366 × 768
// screen at 100, 125 and 150 %.
#include "MainWindowFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;

class WindowManagerTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "needs an X server with a window manager (window_manager_test.sh)";
        }
    }

    // The frame is on the screen, and so is every control of the form.
    void ExpectAllInView() const
    {
        CMainFrame* frame = app->frame();
        const QRect screen = frame->screen()->availableGeometry();
        // The window manager frames and places the window in its own time.
        ASSERT_TRUE(QTest::qWaitFor([frame] { return frame->frameGeometry() != frame->geometry(); }, 10000));
        const bool onScreen = QTest::qWaitFor([&] { return screen.contains(frame->frameGeometry()); }, 10000);
        const QRect outer = frame->frameGeometry();
        ASSERT_TRUE(onScreen) << "the frame at " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
                              << outer.height() << " on a screen of " << screen.width() << "x" << screen.height();
        EXPECT_GT(frame->geometry().top(), frame->frameGeometry().top()) << "a title bar above the window";
        std::vector<QWidget*> shown = {frame->statusBar()};
        for (const int id : {Form::Result, Form::ClearMemory, Form::History, Form::WorkOrder, Form::Notepad,
                             Form::ClearScreen, Form::Lines, Form::EquipmentId, Form::Readings, Form::DataSheet,
                             Form::AllDataSheets, Form::Quellmax, Form::Kappa5100, Form::Pactrx}) {
            shown.push_back(Control<QWidget>(id));
        }
        for (const QWidget* control : shown) {
            const QRect global(control->mapToGlobal(QPoint(0, 0)), control->size());
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
            EXPECT_TRUE(screen.contains(global)) << control->objectName().toStdString() << " at " << global.x() << ","
                                                 << global.y() << " " << global.width() << "x" << global.height()
                                                 << " on a screen of " << screen.width() << "x" << screen.height();
        }
    }
};

TEST_F(WindowManagerTest, TheNewWindowIsWhollyOnTheScreenWithItsTitleBar)
{
    Start();
    app->frame()->show();
    ExpectAllInView();
}

TEST_F(WindowManagerTest, AWindowStoredLargerThanTheScreenComesBackWhollyOnIt)
{
    QWidget large;
    large.setGeometry(-40, -40, 3000, 2000);
    settings.Write(settings::kWindowGeometry, large.saveGeometry().toBase64().toStdString());
    Start();
    app->frame()->show();
    ExpectAllInView();
}

} // namespace
} // namespace tessaprint
