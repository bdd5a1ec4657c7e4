// The work order and the Directories options open beside the main window,
// not over RESULT and the received lines.
#include "MainWindowFixture.h"

#include "util/DialogUnits.h"
#include "util/ToolWindowPlacement.h"
#include "workorder/CWorkOrder1.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

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

TEST_F(ToolWindowPlacementTest, AResizableWindowLargerThanTheScreenIsShrunkToItButNotBelowItsMinimum)
{
    Start();
    app->frame()->show();
    const QRect screen(0, 0, 1920, 1080);
    QDialog large(app->frame());
    auto* layout = new QVBoxLayout(&large);
    layout->addWidget(new QLineEdit(&large));
    large.resize(2500, 900);
    PlaceBeside(&large, app->frame(), KeepClear());
    EXPECT_EQ(large.size(), QSize(1920 - 16, 900)); // room for the frame the window manager adds
    large.show();
    EXPECT_TRUE(screen.contains(large.frameGeometry()));

    QDialog tall(app->frame());
    tall.setMinimumSize(300, 1200);
    tall.resize(600, 1500);
    PlaceBeside(&tall, app->frame(), KeepClear());
    EXPECT_EQ(tall.size(), QSize(600, 1200));

    QDialog fixed(app->frame());
    fixed.setFixedSize(2000, 400);
    PlaceBeside(&fixed, app->frame(), KeepClear());
    EXPECT_EQ(fixed.size(), QSize(2000, 400));
}

TEST_F(ToolWindowPlacementTest, OnALargeScreenTheWorkOrderIsTheFormsSizeWithoutScrollBars)
{
    Start();
    app->frame()->show();
    Click(Form::WorkOrder);
    CWorkOrder1* workOrder = app->workOrder();
    ASSERT_NE(workOrder, nullptr);
    EXPECT_EQ(workOrder->size(), QSize(DluX(571), DluY(394)));
    auto* company = workOrder->findChild<QLineEdit*>(ControlName(WorkOrder::Company));
    EXPECT_EQ(company->mapTo(workOrder, QPoint(0, 0)), QPoint(96, 14));
    const auto* scroll = workOrder->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    // A scroll area shows or hides its bars once the events of its first showing are handled.
    EXPECT_TRUE(QTest::qWaitFor(
        [scroll] { return !scroll->horizontalScrollBar()->isVisible() && !scroll->verticalScrollBar()->isVisible(); },
        10000));
    EXPECT_EQ(scroll->viewport()->size(), workOrder->size());
}

} // namespace
} // namespace tessaprint
