// The main window and its tool windows on a real X server with a window
// manager, which puts a title bar around them: the whole frame is on the
// screen and every control of the form in view.
// tests/qt/window_manager_test.sh runs it on a 1366 × 768 screen at 100, 125
// and 150 %.
#include "../core/MemoryHistoryStore.h"
#include "MainWindowFixture.h"

#include "docs/COptionsDirectory.h"
#include "history/CHistoryDlg.h"
#include "workorder/CWorkOrder1.h"

#include <QAction>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;
namespace WorkOrder = ControlId::WorkOrder;

std::string Describe(const QRect& rect)
{
    return std::to_string(rect.x()) + "," + std::to_string(rect.y()) + " " + std::to_string(rect.width()) + "x" +
           std::to_string(rect.height());
}

QRect GlobalRect(const QWidget* widget)
{
    return {widget->mapToGlobal(QPoint(0, 0)), widget->size()};
}

class WindowManagerTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "needs an X server with a window manager (window_manager_test.sh)";
        }
    }

    // The window framed by the window manager, the whole frame on the screen.
    static void ExpectFramedOnScreen(const QWidget* window)
    {
        ASSERT_NE(window, nullptr);
        const QRect screen = window->screen()->availableGeometry();
        const std::string name = window->windowTitle().toStdString();
        // The window manager frames and places the window in its own time (long on a loaded machine).
        ASSERT_TRUE(QTest::qWaitFor([window] { return window->frameGeometry() != window->geometry(); }, 30000)) << name;
        const bool onScreen = QTest::qWaitFor([&] { return screen.contains(window->frameGeometry()); }, 30000);
        ASSERT_TRUE(onScreen) << name << ": the frame at " << Describe(window->frameGeometry()) << " on a screen of "
                              << screen.width() << "x" << screen.height();
        EXPECT_GT(window->geometry().top(), window->frameGeometry().top()) << name << ": a title bar above it";
    }

    // The frame is on the screen, and so is every control of the form.
    void ExpectAllInView() const
    {
        CMainFrame* frame = app->frame();
        const QRect screen = frame->screen()->availableGeometry();
        ExpectFramedOnScreen(frame);
        std::vector<QWidget*> shown = {frame->statusBar()};
        for (const int id : {Form::Result, Form::ClearMemory, Form::History, Form::WorkOrder, Form::Notepad,
                             Form::ClearScreen, Form::Lines, Form::EquipmentId, Form::Readings, Form::DataSheet,
                             Form::AllDataSheets, Form::Quellmax, Form::Kappa5100, Form::Pactrx}) {
            shown.push_back(Control<QWidget>(id));
        }
        for (const QWidget* control : shown) {
            EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
            EXPECT_TRUE(screen.contains(GlobalRect(control)))
                << control->objectName().toStdString() << " at " << Describe(GlobalRect(control)) << " on a screen of "
                << screen.width() << "x" << screen.height();
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

TEST_F(WindowManagerTest, TheToolWindowsAreWhollyOnTheScreenAndTheWorkOrderScrollsToEachControl)
{
    QTemporaryDir folder;
    test::MemoryHistoryStore store;
    settings.WriteProfileString("Directories", "Reports", (folder.path() + "/reports").toStdString());
    settings.WriteProfileString("History", "ArchiveImported", "1");
    historyQueueFile = folder.path() + "/history-queue.json";
    historyStore = [&store] { return history::BorrowHistoryStore(store); };
    Start();
    app->frame()->show();
    ExpectAllInView();

    Click(Form::History);
    ExpectFramedOnScreen(app->history());
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::OptionsDirectories))->trigger();
    ExpectFramedOnScreen(app->directories());
    Click(Form::WorkOrder);
    CWorkOrder1* workOrder = app->workOrder();
    ExpectFramedOnScreen(workOrder);

    // Whatever of the form the window has no room for is scrolled to.
    auto* scroll = workOrder->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    const QRect screen = workOrder->screen()->availableGeometry();
    // The screen is wide enough: the form scrolls only up and down.
    EXPECT_TRUE(QTest::qWaitFor([scroll] { return !scroll->horizontalScrollBar()->isVisible(); }, 10000))
        << "the view at " << Describe(GlobalRect(scroll->viewport()));
    for (const int id : {WorkOrder::Company, WorkOrder::WorkOrderNumber, WorkOrder::ExportToWord, WorkOrder::ServiceAdd,
                         WorkOrder::ChecksList, WorkOrder::ChecksClear}) {
        auto* control = workOrder->findChild<QWidget*>(ControlName(id));
        ASSERT_NE(control, nullptr) << id;
        EXPECT_TRUE(scroll->widget()->isAncestorOf(control)) << id;
        scroll->ensureWidgetVisible(control, 0, 0);
        EXPECT_TRUE(GlobalRect(scroll->viewport()).contains(GlobalRect(control)))
            << id << " at " << Describe(GlobalRect(control)) << ", the view at "
            << Describe(GlobalRect(scroll->viewport()));
        EXPECT_TRUE(screen.contains(GlobalRect(control))) << id << " at " << Describe(GlobalRect(control));
    }
}

} // namespace
} // namespace tessaprint
