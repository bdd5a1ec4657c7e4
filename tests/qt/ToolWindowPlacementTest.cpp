// The work order and the Directories options open beside the main window,
// not over RESULT and the received lines.
#include "MainWindowFixture.h"

#include "util/ToolWindowPlacement.h"
#include "workorder/CWorkOrder1.h"

#include <QAction>
#include <QScreen>

namespace tessaprint {
namespace {

using namespace ControlId;

TEST(ToolWindowPositionTest, RightOfTheMainWindowWhenThereIsRoom)
{
    const QRect screen(0, 0, 1920, 1040);
    EXPECT_EQ(ToolWindowPosition(screen, QRect(0, 0, 950, 780), QSize(600, 400), QRect(10, 60, 800, 400)),
              QPoint(958, 0));
    // Moved up as far as needed to stay on the screen.
    EXPECT_EQ(ToolWindowPosition(screen, QRect(0, 900, 950, 100), QSize(600, 400), QRect()), QPoint(958, 640));
}

TEST(ToolWindowPositionTest, LeftOfTheMainWindowWhenOnlyThatSideHasRoom)
{
    EXPECT_EQ(ToolWindowPosition(QRect(0, 0, 1920, 1040), QRect(970, 50, 950, 780), QSize(600, 400), QRect()),
              QPoint(362, 50));
}

TEST(ToolWindowPositionTest, WithoutRoomBesideItTheCornerThatCoversLeastOfWhatMustStayInView)
{
    // A laptop screen: the main window fills the width; RESULT and the lines
    // take its upper left part.
    const QRect screen(0, 0, 1366, 728);
    const QRect mainFrame(0, 0, 1000, 700);
    const QRect keepClear(20, 60, 820, 400);
    const QSize tool(560, 250);
    const QPoint at = ToolWindowPosition(screen, mainFrame, tool, keepClear);
    EXPECT_EQ(at, QPoint(806, 478)); // the lower right corner, below the lines
    EXPECT_TRUE(QRect(at, tool).intersected(keepClear).isEmpty());
    EXPECT_TRUE(screen.contains(QRect(at, tool)));
}

class ToolWindowPlacementTest : public test::MainWindowFixture {
protected:
    void OpenFromMenu(int id) { app->frame()->findChild<QAction*>(ControlName(id))->trigger(); }
    QRect KeepClear() const
    {
        QRect area;
        for (const int id : {Form::Result, Form::Lines}) {
            auto* control = Control<QWidget>(id);
            area |= QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
        }
        return area;
    }
};

TEST_F(ToolWindowPlacementTest, TheScreenIsTheDesktopOneTheseTestsAreFor)
{
    EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1080));
}

TEST_F(ToolWindowPlacementTest, TheWorkOrderOpensRightOfTheMainWindow)
{
    Start();
    app->frame()->show();
    Click(Form::WorkOrder);
    QWidget* workOrder = app->workOrder();
    ASSERT_NE(workOrder, nullptr);
    EXPECT_EQ(workOrder->frameGeometry().left(), app->frame()->frameGeometry().right() + 1 + 8);
    EXPECT_TRUE(workOrder->frameGeometry().intersected(KeepClear()).isEmpty());
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(workOrder->frameGeometry()));
}

TEST_F(ToolWindowPlacementTest, DirectoriesOpensLeftOfAMainWindowAtTheRightOfTheScreen)
{
    Start();
    app->frame()->show();
    app->frame()->move(1920 - app->frame()->frameGeometry().width(), 0);
    OpenFromMenu(Command::OptionsDirectories);
    QWidget* directories = app->directories();
    ASSERT_NE(directories, nullptr);
    EXPECT_LT(directories->frameGeometry().right(), app->frame()->frameGeometry().left());
    EXPECT_TRUE(directories->frameGeometry().intersected(KeepClear()).isEmpty());
}

TEST_F(ToolWindowPlacementTest, AWindowMovedByTheUserStaysWhereItIsWhenShownAgain)
{
    Start();
    app->frame()->show();
    Click(Form::WorkOrder);
    app->workOrder()->move(300, 200);
    app->workOrder()->hide();
    Click(Form::WorkOrder);
    EXPECT_EQ(app->workOrder()->pos(), QPoint(300, 200));
}

} // namespace
} // namespace tessaprint
