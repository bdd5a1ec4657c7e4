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
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>

#include <map>
#include <vector>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;

// The form's controls that are shown, in reading order.
const std::vector<int> kShownControls = {
    Form::Result,         Form::ClearMemory, Form::History,   Form::WorkOrder,
    Form::Notepad,        Form::ClearScreen, Form::Lines,     Form::SelectCaption,
    Form::ResultsCaption, Form::EquipmentId, Form::Readings,  Form::DataSheet,
    Form::AllDataSheets,  Form::Quellmax,    Form::Kappa5100, Form::Pactrx,
};
// A 1366 × 768 laptop screen at 150 %, less a panel and a title bar, in Qt's pixels.
constexpr QSize kLaptopAt150(1366 * 2 / 3, 768 * 2 / 3 - 32 - 30);

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

    // Where a control is, in the form's coordinates.
    QRect At(int id) const
    {
        const QWidget* control = Control<QWidget>(id);
        return QRect(control->mapTo(app->view(), QPoint(0, 0)), control->size());
    }

    // Every shown control whole in the form, none over another, and the
    // arrangement of the form: the command row above the received lines, the
    // selector, the readings and the right-hand column below them.
    void ExpectTheFormsArrangement() const
    {
        const QRect form = app->view()->rect();
        for (std::size_t i = 0; i < kShownControls.size(); ++i) {
            const int id = kShownControls[i];
            EXPECT_TRUE(Control<QWidget>(id)->isVisible()) << id;
            EXPECT_TRUE(form.contains(At(id))) << id;
            for (std::size_t j = i + 1; j < kShownControls.size(); ++j) {
                EXPECT_FALSE(At(id).intersects(At(kShownControls[j]))) << id << " " << kShownControls[j];
            }
        }
        const std::vector<int> row = {Form::Result,    Form::ClearMemory, Form::History,
                                      Form::WorkOrder, Form::Notepad,     Form::ClearScreen};
        for (std::size_t i = 1; i < row.size(); ++i) {
            EXPECT_LT(At(row[i - 1]).right(), At(row[i]).left()) << row[i];
            EXPECT_EQ(At(row[i]).center().y(), At(row[0]).center().y()) << row[i];
        }
        EXPECT_LT(At(Form::Result).bottom(), At(Form::Lines).top());
        EXPECT_LT(At(Form::Lines).bottom(), At(Form::SelectCaption).top());
        EXPECT_LT(At(Form::SelectCaption).bottom(), At(Form::EquipmentId).top());
        EXPECT_LT(At(Form::ResultsCaption).bottom(), At(Form::Readings).top());
        EXPECT_LT(At(Form::EquipmentId).right(), At(Form::Readings).left());
        EXPECT_LT(At(Form::Readings).right(), At(Form::DataSheet).left());
        EXPECT_EQ(At(Form::AllDataSheets).width(), At(Form::DataSheet).width());
        EXPECT_LT(At(Form::DataSheet).bottom(), At(Form::AllDataSheets).top());
        EXPECT_LT(At(Form::AllDataSheets).bottom(), At(Form::Quellmax).top());
        EXPECT_LT(At(Form::Quellmax).bottom(), At(Form::Kappa5100).top());
        EXPECT_LT(At(Form::Kappa5100).bottom(), At(Form::Pactrx).top());
        EXPECT_EQ(At(Form::ClearScreen).right(), At(Form::Lines).right());
        EXPECT_EQ(At(Form::Result).left(), At(Form::Lines).left());
    }

    QTreeWidget* Readings() const { return Control<QTreeWidget>(Form::Readings); }
    std::vector<int> ColumnWidths() const
    {
        return {Readings()->columnWidth(0), Readings()->columnWidth(1), Readings()->columnWidth(2)};
    }
    // The Reading column whole in the list's visible width.
    // A cell's text whole in it, on as many lines as it takes.
    bool WholeInItsCell(int row, int column) const
    {
        const QModelIndex index = Readings()->model()->index(row, column);
        const QRect cell = Readings()->visualRect(index);
        const int margin =
            2 * (Readings()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Readings()) + 1);
        const QRect needed = Readings()->fontMetrics().boundingRect(QRect(0, 0, cell.width() - margin, 100000),
                                                                    Qt::TextWordWrap, index.data().toString());
        return cell.height() >= needed.height() && cell.width() - margin >= needed.width();
    }
    bool ReadingInView() const
    {
        const int right = Readings()->header()->sectionViewportPosition(2) + Readings()->columnWidth(2);
        return Readings()->header()->sectionViewportPosition(2) >= 0 && right <= Readings()->viewport()->width();
    }
    void Choose(int index)
    {
        auto* selector = Control<QComboBox>(Form::EquipmentId);
        selector->setCurrentIndex(index);
        emit selector->activated(index);
    }
};

TEST_F(WindowLayoutTest, TheFormKeepsItsArrangementAtTheDefaultAndTheSmallestSize)
{
    StartShown();
    ASSERT_EQ(app->frame()->size(), QSize(950, 780));
    ExpectTheFormsArrangement();
    for (const int hidden : {Form::Version, Form::VersionText, Form::Test}) {
        EXPECT_TRUE(Control<QWidget>(hidden)->isHidden()) << hidden;
    }
    // The two lists start as the form's 218 and 89 units high, less what the window leaves them.
    EXPECT_GT(At(Form::Lines).height(), At(Form::Readings).height());

    // The smallest window fits a 1366 × 768 laptop at 150 %, status bar and all.
    ResizeFrame({1, 1});
    const QSize smallest = app->frame()->size();
    EXPECT_EQ(smallest, app->frame()->minimumSize());
    EXPECT_LE(smallest.width(), kLaptopAt150.width());
    EXPECT_LE(smallest.height(), kLaptopAt150.height());
    EXPECT_TRUE(app->frame()->statusBar()->isVisible());
    ExpectTheFormsArrangement();
}

TEST_F(WindowLayoutTest, EveryButtonCaptionShowsWholeInAnyFont)
{
    StartShown();
    const auto expectWhole = [this] {
        for (QPushButton* button : app->view()->findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room.width())
                << button->objectName().toStdString() << " at " << button->font().pointSize() << " points";
        }
    };
    expectWhole();
    // A larger font, as at a larger scale: the buttons grow with it.
    QFont larger = app->view()->font();
    larger.setPointSize(14);
    app->view()->setFont(larger);
    ResizeFrame({1, 1});
    expectWhole();
    ExpectTheFormsArrangement();
}

TEST_F(WindowLayoutTest, ALargerFrameGivesItsRoomToTheTwoListsAndTheSplitterSharesIt)
{
    StartShown();
    std::map<int, QRect> before;
    for (const int id : kShownControls) {
        before[id] = At(id);
    }
    ResizeFrame({950 + 200, 780 + 150});
    for (const int id : {Form::Result, Form::ClearMemory, Form::History, Form::DataSheet, Form::Quellmax}) {
        EXPECT_EQ(At(id).size(), before[id].size()) << id;
    }
    EXPECT_EQ(At(Form::Lines).width(), before[Form::Lines].width() + 200);
    EXPECT_EQ(At(Form::Readings).width(), before[Form::Readings].width() + 200);
    const int linesGrew = At(Form::Lines).height() - before[Form::Lines].height();
    const int readingsGrew = At(Form::Readings).height() - before[Form::Readings].height();
    EXPECT_EQ(linesGrew + readingsGrew, 150);
    // In the proportion the two lists had.
    EXPECT_GT(linesGrew, readingsGrew);
    EXPECT_GT(readingsGrew, 0);
    ExpectTheFormsArrangement();

    // The splitter gives the readings the lines' height, down to what the lines keep.
    auto* splitter = app->view()->findChild<QSplitter*>(QStringLiteral("formSplitter"));
    ASSERT_NE(splitter, nullptr);
    const int total = splitter->sizes()[0] + splitter->sizes()[1];
    splitter->setSizes({0, total});
    QCoreApplication::processEvents();
    EXPECT_GT(At(Form::Lines).height(), 0);
    EXPECT_GT(At(Form::Readings).height(), before[Form::Readings].height() + 150);
    ExpectTheFormsArrangement();

    // Without the status bar the form is taller, and so are the lists.
    const int listsHeight = At(Form::Lines).height() + At(Form::Readings).height();
    const int formHeight = app->view()->height();
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::ViewStatusBar))->trigger();
    QCoreApplication::processEvents();
    EXPECT_GT(app->view()->height(), formHeight);
    EXPECT_EQ(At(Form::Lines).height() + At(Form::Readings).height(), listsHeight + app->view()->height() - formHeight);
}

TEST_F(WindowLayoutTest, ReadingColumnsAreFittedForEachRecordAndTheReadingStaysInView)
{
    StartShown();
    Readings()->header()->resizeSection(0, 80); // as the user left it
    const QString longName = "Enclosure Leakage Current Normal Condition Reversed Mains";
    const std::string pacemaker = "9.80 mJ 3.50 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 250 mS 300 mS";
    Click(Form::Result);
    Receive("EquipmentID: A\r\n1.Case Leakage 0.1 uA\r\n2." + longName.toStdString() +
            " 0.25 uA\r\nEquipmentID: B\r\n1.Ground 0.1 Ohms\r\nEquipmentID: C\r\n1." + std::string(300, 'W') +
            " 1 V\r\nEquipmentID: P\r\n1.Trans " + pacemaker + "\r\n2.AVD 150 mS 10.0 mA 10.0 mA\r\n");
    ASSERT_EQ(Rows().size(), 2);
    // The long name is wrapped, nothing of it cut off.
    EXPECT_TRUE(WholeInItsCell(1, 1));
    EXPECT_EQ(Readings()->columnWidth(0), 80);
    EXPECT_TRUE(ReadingInView());
    for (int column = 0; column < 3; ++column) {
        const QTreeWidgetItem* item = Readings()->topLevelItem(1);
        EXPECT_EQ(item->toolTip(column), item->text(column));
    }

    // A record of short names is fitted again: Test narrows back to its own width.
    Choose(1);
    ASSERT_EQ(Rows(), (QStringList{"1|Ground|0.1 Ohms"}));
    EXPECT_EQ(Readings()->columnWidth(0), 80);
    EXPECT_EQ(Readings()->columnWidth(1), 100);
    EXPECT_TRUE(ReadingInView());

    // A name too long for any list widens its column only so far; the reading stays in view.
    Choose(2);
    EXPECT_LE(Readings()->columnWidth(1), Readings()->viewport()->width() * CQuellmaxView::kMostTestPercent / 100);
    EXPECT_EQ(Readings()->topLevelItem(0)->toolTip(1), QString(300, 'W'));
    EXPECT_TRUE(ReadingInView());

    // Eight values of a pacemaker analyzer with last time's beside them, in a
    // laptop's window at 150 %: the reading is in view and every value readable, wrapped.
    ResizeFrame(kLaptopAt150);
    Choose(3);
    app->view()->SetLastTime(0, pacemaker, false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ReadingInView());
    EXPECT_TRUE(WholeInItsCell(0, 2));
    EXPECT_TRUE(WholeInItsCell(0, CQuellmaxView::kLastTimeColumn));
    const QRect lastCell = Readings()->visualRect(Readings()->model()->index(0, CQuellmaxView::kLastTimeColumn));
    EXPECT_LE(lastCell.right(), Readings()->viewport()->width());

    // A record without a previous reading gives "Last time" no more than its heading.
    Choose(1);
    EXPECT_TRUE(ReadingInView());
    EXPECT_EQ(Readings()->header()->sectionSize(CQuellmaxView::kLastTimeColumn),
              Readings()->header()->sectionSizeHint(CQuellmaxView::kLastTimeColumn));
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
    auto* splitter = app->view()->findChild<QSplitter*>(QStringLiteral("formSplitter"));
    splitter->setSizes({150, splitter->sizes()[0] + splitter->sizes()[1] - 150});
    const QList<int> split = splitter->sizes();
    app.reset(); // the application ends without the window being closed
    EXPECT_EQ(Setting(settings::kReadingColumns), "50,230,440");

    StartShown();
    expectStoredPlace();
    // The widths the user chose, which each record's fit starts from.
    EXPECT_EQ(app->view()->ReadingColumnWidths(), (std::array<int, 3>{50, 230, 440}));
    EXPECT_EQ(app->view()->findChild<QSplitter*>(QStringLiteral("formSplitter"))->sizes(), split);

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
        settings.Write(settings::kWindowGeometry, geometry);
        settings.Write(settings::kReadingColumns, columns);
        settings.Write(settings::kWindowSplitter, geometry);
        Start();
        EXPECT_EQ(app->frame()->geometry(), QRect(0, 0, 950, 780));
        EXPECT_FALSE(app->frame()->isMaximized());
        EXPECT_EQ(ColumnWidths(), (std::vector<int>{50, 100, 440}));
    }
    // Numbers out of range are brought into it.
    app.reset();
    settings.Write(settings::kReadingColumns, " 5, 100 ,99999");
    Start();
    EXPECT_EQ(ColumnWidths(),
              (std::vector<int>{WindowSettings::kMinColumnWidth, 100, WindowSettings::kMaxColumnWidth}));
}

TEST_F(WindowLayoutTest, AWindowStoredOffEveryScreenComesBackOnTheScreen)
{
    QWidget faraway;
    faraway.setGeometry(-90000, 90000, 900, 700);
    settings.Write(settings::kWindowGeometry, faraway.saveGeometry().toBase64().toStdString());
    Start();
    const QRect shown = app->frame()->geometry();
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(shown))
        << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height();
    EXPECT_GE(shown.width(), app->frame()->minimumWidth());
    EXPECT_GE(shown.height(), app->frame()->minimumHeight());
}

TEST_F(WindowLayoutTest, TheDefaultSizeIsCutToALaptopScreenWithRoomForTheTitleBar)
{
    Start();
    EXPECT_EQ(app->frame()->geometry(), QRect(0, 0, 950, 780)); // a desktop screen holds it

    const QSize minimum(800, 600);
    // 1366 × 768 less a 48-pixel panel; before the first show the title bar's height is kept free above.
    const QRect laptop(0, 0, 1366, 720);
    const QMargins unknown(0, CMainFrame::kTitleBarAllowance, 0, 0);
    EXPECT_EQ(CMainFrame::FittedInto(QRect(0, 0, 950, 780), unknown, laptop, minimum), QRect(0, 30, 950, 690));
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
