// The work order window and its entry dialogs, driven through their widgets.
#include "../core/ScriptedDriver.h"
#include "../core/ScriptedPrompts.h"
#include "../core/ScriptedWorkOrder.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "util/ManualClock.h"
#include "workorder/CWorkOrder1.h"
#include "workorder/CWorkOrderEntryDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

class WorkOrderWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.WriteProfileString("Directories", "Reports", reports.path().toStdString());
        app = std::make_unique<CQuellmaxApp>(CQuellmaxApp::Parts{driver, settings, prompts, clock});
        app->SetWorkOrderPrompts(&entries);
        ASSERT_TRUE(app->InitInstance(false));
    }

    CWorkOrder1* Open()
    {
        QTest::mouseClick(app->frame()->findChild<QPushButton*>("1015"), Qt::LeftButton);
        return app->workOrder();
    }

    template <typename T> static T* Control(QWidget* window, int id)
    {
        T* control = window->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    static QStringList Entries(QListWidget* list)
    {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->item(i)->text();
        }
        return entries;
    }

    // Deleting happens when the event loop gets to it.
    static void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QTemporaryDir reports;
    test::ScriptedDriver driver;
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    test::ScriptedWorkOrderPrompts entries;
    ManualClock clock;
    std::unique_ptr<CQuellmaxApp> app;
};

TEST_F(WorkOrderWindowTest, OneWindowWithItsBoxesHeadlinesAndButtons)
{
    CWorkOrder1* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Work Order");
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(Open(), window); // shown again, not made twice
    EXPECT_EQ(app->frame()->findChildren<CWorkOrder1*>().size(), 1);

    EXPECT_EQ(window->findChildren<QLineEdit*>().size(), 30);
    auto* company = Control<QLineEdit>(window, 1002);
    EXPECT_TRUE(company->text().isEmpty());
    EXPECT_EQ(company->geometry().topLeft(), QPoint(96, 14));
    auto* headline = Control<QLabel>(window, 1043);
    EXPECT_EQ(headline->text(), "Equipment Service Information");
    EXPECT_TRUE(headline->font().bold());
    EXPECT_EQ(headline->font().pixelSize(), 21);
    EXPECT_EQ(headline->font().family(), "Courier New");
    EXPECT_TRUE(Control<QPushButton>(window, 1052)->isVisible());
    EXPECT_FALSE(Control<QPushButton>(window, 2)->isVisible());
}

TEST_F(WorkOrderWindowTest, ExportStoresAndWritesEscapeClosesAndReopeningShowsTheExport)
{
    CWorkOrder1* window = Open();
    QTest::keyClicks(Control<QLineEdit>(window, 1002), "Mercy");
    QTest::keyClicks(Control<QLineEdit>(window, 1035), "12/2026"); // "Last" under Fixed Inspections
    entries.results = {std::array<std::string, 10>{"12/02"}, std::array<std::string, 10>{"12/01"}};
    entries.checks = {"CHECK OPERATION WITH OPERATOR CONTROL."};
    QTest::mouseClick(Control<QPushButton>(window, 1047), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(window, 1047), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>(window, 1051), Qt::LeftButton);
    EXPECT_EQ(Entries(Control<QListWidget>(window, 1048)).first().left(5), "12/01");

    QTest::mouseClick(Control<QPushButton>(window, 1052), Qt::LeftButton);
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    EXPECT_EQ(QDir(reports.path()).entryList(QDir::Files), QStringList{"Mercy-Work-Order-307201590508.docx"});
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderFixedInspections", ""), "12/2026");
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderResults[1]", "").substr(0, 5), "12/02");
    EXPECT_EQ(app->controller()->lastDocumentPath(),
              reports.filePath("Mercy-Work-Order-307201590508.docx").toStdString());

    // Enter does nothing; typing then Escape keeps the exported work order.
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClicks(Control<QLineEdit>(window, 1002), " and more");
    QTest::keyClick(window, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(app->workOrder(), nullptr);
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderCompany", ""), "Mercy");

    CWorkOrder1* reopened = Open();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Control<QLineEdit>(reopened, 1002)->text(), "Mercy");
    EXPECT_EQ(Control<QLineEdit>(reopened, 1035)->text(), "12/2026");
    EXPECT_EQ(Entries(Control<QListWidget>(reopened, 1050)), QStringList{"CHECK OPERATION WITH OPERATOR CONTROL."});
    QTest::mouseClick(Control<QPushButton>(reopened, 1056), Qt::LeftButton);
    EXPECT_TRUE(Entries(Control<QListWidget>(reopened, 1050)).isEmpty());
}

// Runs a modal dialog, lets act() work in it once it is up.
template <typename Dialog, typename Act> int RunWith(Dialog& dialog, Act act)
{
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    return dialog.DoModal();
}

TEST(WorkOrderEntryDialogTest, ChecksOffersTheSortedPresetsAndTakesTypedText)
{
    CAddChecks dialog;
    EXPECT_EQ(dialog.windowTitle(), "Add Checks");
    const int result = RunWith(dialog, [](CAddChecks& d) {
        QComboBox* combo = d.comboBox();
        EXPECT_EQ(combo->count(), 7);
        EXPECT_EQ(combo->itemText(0), "CHECK FOR FREE OPERATION OF CASTERS. CLEAN/LUBE IF NEEDED.");
        EXPECT_EQ(combo->itemText(6), "PERFORM PHYSICAL INSPECTION. LOOK FOR LOOSE OR MISSING HARDWARE.");
        EXPECT_TRUE(combo->currentText().isEmpty());
        combo->setCurrentIndex(2);
        combo->lineEdit()->end(false);
        QTest::keyClicks(combo->lineEdit(), " twice");
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.m_strTask, "CHECK OPERATION WITH OPERATOR CONTROL. twice");

    CAddChecks cancelled;
    EXPECT_EQ(RunWith(cancelled,
                      [](CAddChecks& d) {
                          QTest::keyClicks(d.comboBox()->lineEdit(), "typed");
                          QTest::keyClick(&d, Qt::Key_Escape);
                      }),
              2);
    EXPECT_TRUE(cancelled.m_strTask.isEmpty());
}

TEST(WorkOrderEntryDialogTest, TypingStartsInTheFirstFieldNotOnOk)
{
    CAddService service;
    EXPECT_EQ(RunWith(service,
                      [](CAddService& d) {
                          EXPECT_EQ(d.focusWidget(), d.findChild<QLineEdit*>("1002"));
                          // Tab goes on through the fields before it reaches the buttons.
                          QWidget* next = d.findChild<QLineEdit*>("1002")->nextInFocusChain();
                          while (!(next->focusPolicy() & Qt::TabFocus)) {
                              next = next->nextInFocusChain();
                          }
                          EXPECT_EQ(next, d.findChild<QLineEdit*>("1016"));
                          QTest::keyClicks(d.focusWidget(), "12/01/2026");
                          QTest::keyClick(d.focusWidget(), Qt::Key_Return);
                      }),
              1);
    EXPECT_EQ(service.m_strDate, "12/01/2026");

    CAddResults results;
    RunWith(results, [](CAddResults& d) {
        EXPECT_EQ(d.focusWidget(), d.findChild<QLineEdit*>("1002"));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    CAddChecks checks;
    RunWith(checks, [](CAddChecks& d) {
        EXPECT_TRUE(d.focusWidget() == d.comboBox() || d.focusWidget() == d.comboBox()->lineEdit());
        QTest::keyClick(&d, Qt::Key_Escape);
    });
}

TEST(WorkOrderEntryDialogTest, ServiceAndResultsHandBackTheirFieldsOnlyOnOk)
{
    CAddService service;
    EXPECT_EQ(RunWith(service,
                      [](CAddService& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>("1002"), "12/01/2026");
                          QTest::keyClicks(d.findChild<QLineEdit*>("1016"), "Replaced fuse ; cover");
                          QTest::keyClick(d.findChild<QLineEdit*>("1016"), Qt::Key_Return);
                      }),
              1);
    EXPECT_EQ(service.m_strDate, "12/01/2026");
    EXPECT_EQ(service.m_strDescription, "Replaced fuse ; cover");

    CAddResults results;
    EXPECT_EQ(results.windowTitle(), "Results");
    EXPECT_EQ(RunWith(results,
                      [](CAddResults& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>("1021"), "F-22");
                          QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
                      }),
              2);
    EXPECT_TRUE(results.m_fields[6].isEmpty());
    EXPECT_EQ(RunWith(results,
                      [](CAddResults& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>("1024"), "Fuse 2A");
                          QTest::mouseClick(d.okButton(), Qt::LeftButton);
                      }),
              1);
    EXPECT_EQ(results.m_fields[9], "Fuse 2A");
    EXPECT_GT(results.okButton()->x(), results.cancelButton()->x());
}

} // namespace
} // namespace tessaprint
