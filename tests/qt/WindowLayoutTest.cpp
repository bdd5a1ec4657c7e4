// The main window's size, the form's layout at any size, the reading list's
// columns, what is remembered of them, and the keyboard.
#include "MainWindowFixture.h"

#include "app/WindowSettings.h"
#include "util/DialogUnits.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>

#include <map>
#include <vector>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;
using Geometries = std::map<int, QRect>;

// Every control of the form where its dialog units put it (the radio
// buttons 60 units wide, the selector one line high).
const Geometries kDefaultGeometries = {
    {Form::VersionText, DluRect(97, 7, 115, 14)},
    {Form::Version, DluRect(39, 7, 50, 14)},
    {Form::Lines, DluRect(25, 59, 538, 218)},
    {Form::ClearScreen, DluRect(457, 36, 50, 14)},
    {Form::Notepad, DluRect(397, 36, 50, 14)},
    {Form::Result, DluRect(17, 35, 50, 14)},
    {Form::Test, DluRect(519, 36, 50, 14)},
    {Form::ClearMemory, DluRect(99, 36, 50, 14)},
    {Form::EquipmentId, QRect(DluX(31), DluY(295), DluX(73), DluY(14))},
    {Form::Readings, DluRect(112, 295, 416, 89)},
    {Form::DataSheet, DluRect(533, 293, 45, 14)},
    // Just below Data Sheet, as large, one pixel clear of it and of QuellMax.
    {Form::AllDataSheets, DluRect(533, 293, 45, 14).translated(0, DluY(14) + 1)},
    {Form::SelectCaption, DluRect(33, 284, 90, 8)},
    {Form::ResultsCaption, DluRect(169, 284, 285, 8)},
    {Form::Quellmax, QRect(DluX(537), DluY(321), DluX(60), DluY(10))},
    {Form::Kappa5100, QRect(DluX(537), DluY(334), DluX(60), DluY(10))},
    {Form::Pactrx, QRect(DluX(537), DluY(348), DluX(60), DluY(10))},
    {Form::WorkOrder, DluRect(329, 36, 50, 14)},
    {Form::History, DluRect(269, 36, 50, 14)},
};

class WindowLayoutTest : public test::MainWindowFixture {
protected:
    void StartShown()
    {
        Start();
        ShowAndActivate();
    }

    void ResizeFrame(QSize size)
    {
        app->frame()->resize(size);
        QCoreApplication::processEvents();
    }

    Geometries Shown() const
    {
        Geometries shown;
        for (const auto& [id, rect] : kDefaultGeometries) {
            shown[id] = Control<QWidget>(id)->geometry();
        }
        return shown;
    }

    QTreeWidget* Readings() const { return Control<QTreeWidget>(Form::Readings); }
    std::vector<int> ColumnWidths() const
    {
        return {Readings()->columnWidth(0), Readings()->columnWidth(1), Readings()->columnWidth(2)};
    }
};

TEST_F(WindowLayoutTest, AtTheDefaultSizeEveryControlSitsWhereItsDialogUnitsPutIt)
{
    StartShown();
    ASSERT_EQ(app->frame()->size(), QSize(950, 780));
    // The size the layout is measured from is the one Qt gives the form.
    EXPECT_EQ(app->view()->size(), app->view()->defaultSize());
    EXPECT_EQ(Shown(), kDefaultGeometries);
    for (const int hidden : {Form::Version, Form::VersionText, Form::Test}) {
        EXPECT_TRUE(Control<QWidget>(hidden)->isHidden()) << hidden;
    }
}

TEST_F(WindowLayoutTest, EveryButtonCaptionShowsWhole)
{
    StartShown();
    for (QPushButton* button : app->view()->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room.width())
            << button->objectName().toStdString();
    }
    // Narrower letters, never smaller than a point below the form's.
    EXPECT_GE(Control<QPushButton>(Form::AllDataSheets)->font().pointSizeF(), app->view()->font().pointSizeF() - 1);
}

TEST_F(WindowLayoutTest, TheSmallestFrameFitsALaptopScreenAndShowsEveryControlWhole)
{
    StartShown();
    ResizeFrame({1, 1});
    const QSize smallest = app->frame()->size();
    EXPECT_EQ(smallest, app->frame()->minimumSize());
    // A 30-pixel title bar and a 48-pixel panel on a 1366 × 768 screen.
    EXPECT_LE(smallest.width(), 1366);
    EXPECT_LE(smallest.height() + 30 + 48, 768);

    const QRect form = app->view()->rect();
    std::vector<QWidget*> visible;
    for (const auto& [id, rect] : kDefaultGeometries) {
        if (Control<QWidget>(id)->isVisible()) {
            visible.push_back(Control<QWidget>(id));
        }
    }
    ASSERT_EQ(visible.size(), kDefaultGeometries.size() - 3);
    for (std::size_t i = 0; i < visible.size(); ++i) {
        EXPECT_TRUE(form.contains(visible[i]->geometry())) << visible[i]->objectName().toStdString();
        for (std::size_t j = i + 1; j < visible.size(); ++j) {
            EXPECT_FALSE(visible[i]->geometry().intersects(visible[j]->geometry()))
                << visible[i]->objectName().toStdString() << " " << visible[j]->objectName().toStdString();
        }
    }
    // The received lines gave up height, the readings none.
    EXPECT_LT(Shown()[Form::Lines].height(), kDefaultGeometries.at(Form::Lines).height());
    EXPECT_EQ(Shown()[Form::Readings].height(), kDefaultGeometries.at(Form::Readings).height());
}

TEST_F(WindowLayoutTest, ALargerFrameGivesItsRoomToTheTwoListsAndTheButtonsKeepTheirPlaces)
{
    StartShown();
    ResizeFrame({950 + 200, 780 + 151});
    Geometries shown = Shown();
    const auto moved = [](int id, int dx, int dy) { return kDefaultGeometries.at(id).translated(dx, dy); };
    for (const int id : {Form::Result, Form::ClearMemory}) {
        EXPECT_EQ(shown[id], kDefaultGeometries.at(id)) << id;
    }
    for (const int id : {Form::History, Form::WorkOrder, Form::Notepad, Form::ClearScreen}) {
        EXPECT_EQ(shown[id], moved(id, 200, 0)) << id;
    }
    EXPECT_EQ(shown[Form::Lines], kDefaultGeometries.at(Form::Lines).adjusted(0, 0, 200, 76));
    EXPECT_EQ(shown[Form::Readings], kDefaultGeometries.at(Form::Readings).adjusted(0, 76, 200, 76 + 75));
    for (const int id : {Form::SelectCaption, Form::ResultsCaption, Form::EquipmentId}) {
        EXPECT_EQ(shown[id], moved(id, 0, 76)) << id;
    }
    for (const int id : {Form::DataSheet, Form::AllDataSheets, Form::Quellmax, Form::Kappa5100, Form::Pactrx}) {
        EXPECT_EQ(shown[id], moved(id, 200, 76)) << id;
    }

    // Without the status bar the form is taller, and so are the lists.
    const int listsHeight = shown[Form::Lines].height() + shown[Form::Readings].height();
    const int formHeight = app->view()->height();
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::ViewStatusBar))->trigger();
    QCoreApplication::processEvents();
    shown = Shown();
    EXPECT_GT(app->view()->height(), formHeight);
    EXPECT_EQ(shown[Form::Lines].height() + shown[Form::Readings].height(),
              listsHeight + app->view()->height() - formHeight);
}

TEST_F(WindowLayoutTest, TheFrameCanBeMaximisedAndTheListsFillTheScreen)
{
    StartShown();
    EXPECT_TRUE(app->frame()->windowFlags() & Qt::WindowMaximizeButtonHint);
    app->frame()->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(app->frame()->isMaximized());
    // The test screen is 1920 × 1080: wider and taller than the default.
    const QSize grown = app->view()->size() - app->view()->defaultSize();
    ASSERT_NE(grown, QSize(0, 0));
    const Geometries shown = Shown();
    EXPECT_EQ(shown.at(Form::Lines).width(), kDefaultGeometries.at(Form::Lines).width() + grown.width());
    EXPECT_EQ(shown.at(Form::Readings).width(), kDefaultGeometries.at(Form::Readings).width() + grown.width());
    EXPECT_EQ(shown.at(Form::Lines).height() + shown.at(Form::Readings).height(),
              kDefaultGeometries.at(Form::Lines).height() + kDefaultGeometries.at(Form::Readings).height() +
                  grown.height());
    const auto gap = [](const Geometries& geometries) {
        return geometries.at(Form::DataSheet).left() - geometries.at(Form::Readings).right();
    };
    EXPECT_EQ(gap(shown), gap(kDefaultGeometries));
}

TEST_F(WindowLayoutTest, ReadingColumnsWidenForTheLongestTextUpToACapAndNeverNarrow)
{
    Start();
    Readings()->header()->resizeSection(0, 80); // as the user left it
    const QString longName = "Enclosure Leakage Current Normal Condition Reversed Mains";
    Click(Form::Result);
    Receive("EquipmentID: A\r\n1.Case Leakage 0.1 uA\r\n2." + longName.toStdString() +
            " 0.25 uA\r\nEquipmentID: B\r\n1.Ground 0.1 Ohms\r\nEquipmentID: C\r\n1." + std::string(300, 'W') +
            " 1 V\r\n");
    ASSERT_EQ(Rows().size(), 2);
    EXPECT_GT(Readings()->columnWidth(1), 100);
    // Qt's own measure of the whole column: nothing of the long name is cut off.
    EXPECT_GE(Readings()->columnWidth(1), static_cast<QAbstractItemView*>(Readings())->sizeHintForColumn(1));
    EXPECT_GT(Readings()->columnWidth(1), Readings()->fontMetrics().horizontalAdvance(longName));
    EXPECT_EQ(Readings()->columnWidth(0), 80);
    EXPECT_EQ(Readings()->columnWidth(2), 440);
    for (int row = 0; row < Readings()->topLevelItemCount(); ++row) {
        for (int column = 0; column < 3; ++column) {
            const QTreeWidgetItem* item = Readings()->topLevelItem(row);
            EXPECT_EQ(item->toolTip(column), item->text(column));
        }
    }
    EXPECT_EQ(Readings()->topLevelItem(1)->toolTip(1), longName);

    // A record of short names keeps the widths.
    const std::vector<int> fitted = ColumnWidths();
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    ASSERT_EQ(Rows(), (QStringList{"1|Ground|0.1 Ohms"}));
    EXPECT_EQ(ColumnWidths(), fitted);

    // A name too long for any list widens its column only so far.
    selector->setCurrentIndex(2);
    emit selector->activated(2);
    EXPECT_GT(Readings()->columnWidth(1), fitted[1]);
    EXPECT_LE(Readings()->columnWidth(1), Readings()->width() * 6 / 10);
    EXPECT_EQ(Readings()->topLevelItem(0)->toolTip(1), QString(300, 'W'));
}

TEST_F(WindowLayoutTest, GeometryAndColumnWidthsComeBackAfterARestart)
{
    // Offscreen windows have a 2-pixel frame, which Qt's restored position
    // may be off by.
    const auto expectStoredPlace = [this] {
        EXPECT_NEAR(app->frame()->x(), 0, 2);
        EXPECT_NEAR(app->frame()->y(), 100, 2);
        EXPECT_EQ(app->frame()->size(), QSize(800, 650));
    };
    StartShown();
    app->frame()->setGeometry(0, 100, 800, 650);
    Readings()->header()->resizeSection(1, 230);
    app.reset(); // the application ends without the window being closed
    EXPECT_EQ(Setting("Window", "ReadingColumns"), "50,230,440");

    StartShown();
    expectStoredPlace();
    EXPECT_EQ(ColumnWidths(), (std::vector<int>{50, 230, 440}));

    // File > New reads the settings again: the window goes back to what was stored.
    ResizeFrame({900, 700});
    emit app->frame()->newRequested();
    expectStoredPlace();

    // Closing the window stores it too, maximised as it is.
    app->frame()->showMaximized();
    QCoreApplication::processEvents();
    app->frame()->close();
    app.reset();
    Start();
    app->frame()->show();
    EXPECT_TRUE(app->frame()->isMaximized());
}

TEST_F(WindowLayoutTest, OddWindowSettingsGiveTheDefaults)
{
    QWidget empty; // a geometry as Qt writes it, of a window without size
    empty.setGeometry(10, 10, 0, 0);
    const std::vector<std::pair<std::string, std::string>> odd = {
        {"!!! not base64", "abc,,-5"},
        {QByteArray("garbage").toBase64().toStdString(), "50,100"},
        {"AdnQyw==", "99999999999999999999,1,1"}, // a geometry's first bytes, cut off
        {empty.saveGeometry().toBase64().toStdString(), "1,2,3,4"},
    };
    for (const auto& [geometry, columns] : odd) {
        SCOPED_TRACE(geometry + " / " + columns);
        app.reset();
        settings.WriteProfileString("Window", "Geometry", geometry);
        settings.WriteProfileString("Window", "ReadingColumns", columns);
        Start();
        EXPECT_EQ(app->frame()->geometry(), QRect(0, 0, 950, 780));
        EXPECT_FALSE(app->frame()->isMaximized());
        EXPECT_EQ(ColumnWidths(), (std::vector<int>{50, 100, 440}));
    }
    // Numbers out of range are brought into it.
    app.reset();
    settings.WriteProfileString("Window", "ReadingColumns", " 5, 100 ,99999");
    Start();
    EXPECT_EQ(ColumnWidths(),
              (std::vector<int>{WindowSettings::kMinColumnWidth, 100, WindowSettings::kMaxColumnWidth}));
}

TEST_F(WindowLayoutTest, AWindowStoredOffEveryScreenComesBackOnTheScreen)
{
    QWidget faraway;
    faraway.setGeometry(-90000, 90000, 900, 700);
    settings.WriteProfileString("Window", "Geometry", faraway.saveGeometry().toBase64().toStdString());
    Start();
    const QRect shown = app->frame()->geometry();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(shown))
        << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
    EXPECT_GE(shown.width(), CMainFrame::kMinimumWidth);
    EXPECT_GE(shown.height(), CMainFrame::kMinimumHeight);
}

TEST_F(WindowLayoutTest, TheDefaultSizeIsCutToALaptopScreenWithRoomForTheTitleBar)
{
    Start();
    EXPECT_EQ(app->frame()->geometry(), QRect(0, 0, 950, 780)); // a desktop screen holds it

    const QSize minimum(CMainFrame::kMinimumWidth, CMainFrame::kMinimumHeight);
    // 1366 × 768 less a 48-pixel panel; before the first show the title bar's height is kept free.
    const QRect laptop(0, 0, 1366, 720);
    const QMargins unknown(0, 0, 0, CMainFrame::kTitleBarAllowance);
    EXPECT_EQ(CMainFrame::FittedInto(QRect(0, 0, 950, 780), unknown, laptop, minimum), QRect(0, 0, 950, 690));
    // Known decoration: the frame goes inside the area, top-left corner first.
    const QMargins titled(1, 28, 1, 1);
    EXPECT_EQ(CMainFrame::FittedInto(QRect(900, 500, 950, 780), titled, laptop, minimum), QRect(415, 28, 950, 691));
    EXPECT_EQ(CMainFrame::FittedInto(QRect(10, 40, 950, 600), titled, laptop, minimum), QRect(10, 40, 950, 600));
    // Never below the smallest frame, even on a screen smaller than that.
    EXPECT_EQ(CMainFrame::FittedInto(QRect(0, 0, 950, 780), QMargins(), QRect(0, 0, 640, 480), minimum),
              QRect(0, 0, 800, 600));
    // A second screen to the left starts at a negative x.
    EXPECT_EQ(CMainFrame::FittedInto(QRect(-2000, 0, 950, 780), QMargins(), QRect(-1366, 0, 1366, 768), minimum),
              QRect(-1366, 0, 950, 768));
}

TEST_F(WindowLayoutTest, EnterPressesTheFocusedButton)
{
    StartShown();
    auto* result = Control<QPushButton>(Form::Result);
    result->setFocus();
    QTest::keyClick(result, Qt::Key_Return);
    EXPECT_EQ(driver.written, "print\r\n");
    Receive(test::kPrintout);
    ASSERT_EQ(Lines().size(), 7);
    auto* clearScreen = Control<QPushButton>(Form::ClearScreen);
    clearScreen->setFocus();
    QTest::keyClick(clearScreen, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(driver.written, "print\r\n");
}

TEST_F(WindowLayoutTest, TabGoesThroughTheFormInReadingOrder)
{
    StartShown();
    ReceiveThePrintout(); // Data Sheet is enabled
    Control<QWidget>(Form::Result)->setFocus();
    std::vector<QString> order;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget()->objectName());
    }
    std::vector<QString> expected;
    for (const int id :
         {Form::ClearMemory, Form::WorkOrder, Form::Notepad, Form::ClearScreen, Form::Lines, Form::EquipmentId,
          Form::Readings, Form::DataSheet, Form::AllDataSheets, Form::Quellmax, Form::Result}) {
        expected.push_back(ControlName(id));
    }
    EXPECT_EQ(order, expected);
}

} // namespace
} // namespace tessaprint
