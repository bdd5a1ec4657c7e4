// The program, its windows and the About box carry the program icon.
#include "MainWindowFixture.h"

#include "app/CAboutDlg.h"

#include <QAction>
#include <QLabel>

namespace tessaprint {
namespace {

using namespace ControlId;

class ProgramIconTest : public test::MainWindowFixture {};

TEST_F(ProgramIconTest, TheIconIsDrawnFromTheBuiltInPicture)
{
    Start();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    // Qt's SVG plugin must be there to draw it; an empty picture would mean it is not.
    const QImage image = icon.pixmap(64, 64).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_NE(image.pixelColor(32, 8).alpha(), 0);
}

TEST_F(ProgramIconTest, TheMainWindowTheToolWindowsAndTheAboutBoxShowIt)
{
    Start();
    const qint64 program = QApplication::windowIcon().cacheKey();
    EXPECT_FALSE(app->frame()->windowIcon().isNull());
    Click(Form::WorkOrder);
    ASSERT_NE(app->workOrder(), nullptr);
    EXPECT_FALSE(app->workOrder()->windowIcon().isNull());
    app->frame()->findChild<QAction*>(ControlName(Command::OptionsDirectories))->trigger();
    ASSERT_NE(app->directories(), nullptr);
    EXPECT_FALSE(app->directories()->windowIcon().isNull());
    CAboutDlg about(app->frame());
    const auto* picture = about.findChild<QLabel*>(QStringLiteral("aboutIcon"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(app->frame()->windowIcon().cacheKey(), program);
}

} // namespace
} // namespace tessaprint
