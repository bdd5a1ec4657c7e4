// The work order window and its entry dialogs, driven through their widgets.
#include "../core/ScriptedDriver.h"
#include "../core/ScriptedPrompts.h"
#include "../core/ScriptedWorkOrder.h"
#include "NumberedControls.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "util/ControlId.h"
#include "util/ManualClock.h"
#include "util/QtPrompts.h"
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

namespace WorkOrder = ControlId::WorkOrder;
namespace AddService = ControlId::AddService;
namespace AddResults = ControlId::AddResults;

class WorkOrderWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.Write(settings::kReports, reports.path().toStdString());
        app = std::make_unique<CQuellmaxApp>(CQuellmaxApp::Parts{driver, settings, prompts, clock});
        app->SetWorkOrderPrompts(&entries);
        ASSERT_TRUE(app->InitInstance(false));
    }

    CWorkOrder1* Open()
    {
        QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(ControlId::Form::WorkOrder)),
                          Qt::LeftButton);
        return app->workOrder();
    }

    template <typename T> static T* Control(QWidget* window, int id)
    {
        T* control = window->findChild<T*>(ControlName(id));
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

    // The work order opened, Company and the last fixed inspection typed, two
    // results and a check added.
    CWorkOrder1* FillIn()
    {
        CWorkOrder1* window = Open();
        QTest::keyClicks(Control<QLineEdit>(window, WorkOrder::Company), "Mercy");
        QTest::keyClicks(Control<QLineEdit>(window, WorkOrder::FixedInspectionsLast), "12/2026");
        entries.results = {std::array<std::string, 10>{"12/02"}, std::array<std::string, 10>{"12/01"}};
        entries.checks = {"CHECK OPERATION WITH OPERATOR CONTROL."};
        QTest::mouseClick(Control<QPushButton>(window, WorkOrder::ResultsAdd), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(window, WorkOrder::ResultsAdd), Qt::LeftButton);
        QTest::mouseClick(Control<QPushButton>(window, WorkOrder::ChecksAdd), Qt::LeftButton);
        return window;
    }

    static void Export(CWorkOrder1* window)
    {
        QTest::mouseClick(Control<QPushButton>(window, WorkOrder::ExportToWord), Qt::LeftButton);
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
    auto* company = Control<QLineEdit>(window, WorkOrder::Company);
    EXPECT_TRUE(company->text().isEmpty());
    EXPECT_EQ(company->geometry().topLeft(), QPoint(96, 14));
    auto* headline = Control<QLabel>(window, WorkOrder::ServiceHeadline);
    EXPECT_EQ(headline->text(), "Equipment Service Information");
    EXPECT_TRUE(headline->font().bold());
    EXPECT_EQ(headline->font().pixelSize(), 21);
    EXPECT_EQ(headline->font().family(), "Courier New");
    EXPECT_TRUE(Control<QPushButton>(window, WorkOrder::ExportToWord)->isVisible());
    EXPECT_FALSE(Control<QPushButton>(window, ControlId::Dialog::Cancel)->isVisible());
}

TEST_F(WorkOrderWindowTest, BoxesListsAndButtonsKeepTheirNumbers)
{
    // Each box by the number settings and tools find it by, with its label.
    CWorkOrder1* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "313");
    const QStringList expected = {
        "1002 QLineEdit Company",
        "1005 QLabel Equipment Data",
        "1010 QListWidget",
        "1012 QLabel Work Order Data",
        "1016 QLineEdit Work Order #",
        "1017 QLineEdit Control #",
        "1018 QLineEdit Manufacturer",
        "1019 QLineEdit Serial #",
        "1020 QLineEdit Work Order PO #",
        "1021 QLineEdit Department",
        "1022 QLineEdit Location",
        "1023 QLineEdit Floor",
        "1024 QLineEdit Room #",
        "1025 QLineEdit Risk Priority",
        "1026 QLineEdit Warranty Expires",
        "1027 QLineEdit Last Seen",
        "1028 QLineEdit Parts",
        "1029 QLineEdit Labor",
        "1030 QLineEdit Description",
        "1031 QLineEdit Model #",
        "1032 QLineEdit Status",
        "1033 QLineEdit System",
        "1034 QLineEdit Building",
        "1035 QLineEdit Last",
        "1036 QLineEdit Next",
        "1037 QLineEdit Type",
        "1038 QLineEdit Work Order Type",
        "1039 QLineEdit Person Requesting",
        "1040 QLineEdit Service Requested",
        "1041 QLineEdit Requested On",
        "1042 QLineEdit Due",
        "1043 QLabel Equipment Service Information",
        "1044 QPushButton Add",
        "1045 QLineEdit Phone",
        "1046 QLabel Results",
        "1047 QPushButton Add",
        "1048 QListWidget",
        "1049 QLabel Checks",
        "1050 QListWidget",
        "1051 QPushButton Add",
        "1052 QPushButton Export to Word",
        "1053 QLineEdit Facility",
        "1054 QPushButton Clear",
        "1055 QPushButton Clear",
        "1056 QPushButton Clear",
        "2 QPushButton Cancel",
    };
    EXPECT_EQ(test::NumberedControls(window), expected);
    // A box's number and the settings key it stores go together.
    for (const auto& [id, key] : {std::pair{WorkOrder::Company, "szWorkOrderCompany"},
                                  std::pair{WorkOrder::FixedInspectionsLast, "szWorkOrderFixedInspections"},
                                  std::pair{WorkOrder::FixedInspectionsType, "szWorkOrderType"},
                                  std::pair{WorkOrder::Facility, "szWorkOrderFacility"}}) {
        Control<QLineEdit>(window, id)->setText(QString::number(id));
        EXPECT_EQ(window->FieldText(key), std::to_string(id)) << key;
    }
}

TEST_F(WorkOrderWindowTest, ExportStoresTheFieldsAndWritesTheDocument)
{
    CWorkOrder1* window = FillIn();
    EXPECT_EQ(Entries(Control<QListWidget>(window, WorkOrder::ResultsList)).first().left(5), "12/01");
    Export(window);
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    EXPECT_EQ(QDir(reports.path()).entryList(QDir::Files), QStringList{"Mercy-Work-Order-307201590508.docx"});
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderFixedInspections", ""), "12/2026");
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderResults[1]", "").substr(0, 5), "12/02");
    EXPECT_EQ(app->controller()->lastDocumentPath(),
              reports.filePath("Mercy-Work-Order-307201590508.docx").toStdString());
}

TEST_F(WorkOrderWindowTest, EnterDoesNothingAndEscapeAfterTypingKeepsTheExportedWorkOrder)
{
    CWorkOrder1* window = FillIn();
    Export(window);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClicks(Control<QLineEdit>(window, WorkOrder::Company), " and more");
    QTest::keyClick(window, Qt::Key_Escape);
    Settle();
    EXPECT_EQ(app->workOrder(), nullptr);
    EXPECT_EQ(settings.GetProfileString("Work Order", "szWorkOrderCompany", ""), "Mercy");
}

TEST_F(WorkOrderWindowTest, ReopeningShowsTheExportedWorkOrderAndItsChecksClear)
{
    // What was typed after the export is gone with the window.
    CWorkOrder1* window = FillIn();
    Export(window);
    QTest::keyClicks(Control<QLineEdit>(window, WorkOrder::Company), " and more");
    QTest::keyClick(window, Qt::Key_Escape);
    Settle();
    CWorkOrder1* reopened = Open();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(Control<QLineEdit>(reopened, WorkOrder::Company)->text(), "Mercy");
    EXPECT_EQ(Control<QLineEdit>(reopened, WorkOrder::FixedInspectionsLast)->text(), "12/2026");
    EXPECT_EQ(Entries(Control<QListWidget>(reopened, WorkOrder::ChecksList)),
              QStringList{"CHECK OPERATION WITH OPERATOR CONTROL."});
    QTest::mouseClick(Control<QPushButton>(reopened, WorkOrder::ChecksClear), Qt::LeftButton);
    EXPECT_TRUE(Entries(Control<QListWidget>(reopened, WorkOrder::ChecksList)).isEmpty());
}

// Runs a modal dialog, lets act() work in it once it is up.
template <typename Dialog, typename Act> int RunWith(Dialog& dialog, Act act)
{
    QTimer::singleShot(0, &dialog, [&] { act(dialog); });
    return dialog.DoModal();
}

// Its questions are asked over the work order window, which has the focus again afterwards.
TEST(WorkOrderMessageTest, AMessageFromTheWorkOrderWindowIsItsOwn)
{
    QTemporaryDir reports;
    test::ScriptedDriver driver;
    MemorySettingsStore settings;
    settings.Write(settings::kReports, reports.path().toStdString());
    ManualClock clock;
    QtPrompts prompts;
    test::ScriptedWorkOrderPrompts entries;
    CQuellmaxApp app(CQuellmaxApp::Parts{driver, settings, prompts, clock});
    app.SetWorkOrderPrompts(&entries);
    ASSERT_TRUE(app.InitInstance());
    prompts.SetParent(app.frame());
    app.controller()->SetDocumentOpener([](const std::string&) { return false; }); // a message says where it is
    app.OnWorkOrder();
    CWorkOrder1* window = app.workOrder();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));

    QWidget* owner = nullptr;
    bool centred = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        owner = box->parentWidget();
        centred = window->frameGeometry().contains(box->frameGeometry().center());
        QTest::keyClick(box, Qt::Key_Return);
    });
    auto* exportButton = window->findChild<QPushButton*>(ControlName(WorkOrder::ExportToWord));
    QTest::mouseClick(exportButton, Qt::LeftButton);
    EXPECT_EQ(owner, window);
    EXPECT_TRUE(centred);
    EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }, 10'000));
    EXPECT_EQ(QApplication::focusWidget(), exportButton);
}

TEST(WorkOrderEntryDialogTest, DialogsAndTheirBoxesKeepTheirNumbers)
{
    CAddService service;
    EXPECT_EQ(service.objectName(), "314");
    EXPECT_EQ(test::NumberedControls(&service), (QStringList{"1 QPushButton OK", "1002 QLineEdit Date",
                                                             "1016 QLineEdit Description", "2 QPushButton Cancel"}));
    CAddResults results;
    EXPECT_EQ(results.objectName(), "315");
    EXPECT_EQ(test::NumberedControls(&results),
              (QStringList{"1 QPushButton OK", "1002 QLineEdit Date", "1016 QLineEdit Tech", "1017 QLineEdit Verb",
                           "1018 QLineEdit Noun", "1019 QLineEdit Minutes", "1020 QLineEdit R", "1021 QLineEdit Part #",
                           "1022 QLineEdit Qty", "1023 QLineEdit Unit Cost", "1024 QLineEdit Description",
                           "2 QPushButton Cancel"}));
    CAddChecks checks;
    EXPECT_EQ(checks.objectName(), "316");
    EXPECT_EQ(test::NumberedControls(&checks),
              (QStringList{"1 QPushButton OK", "1009 QComboBox", "2 QPushButton Cancel"}));
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
    EXPECT_EQ(result, kIdOk);
    EXPECT_EQ(dialog.m_strTask, "CHECK OPERATION WITH OPERATOR CONTROL. twice");
}

TEST(WorkOrderEntryDialogTest, ChecksCancelledWithEscapeHandsBackNothing)
{
    CAddChecks cancelled;
    EXPECT_EQ(RunWith(cancelled,
                      [](CAddChecks& d) {
                          QTest::keyClicks(d.comboBox()->lineEdit(), "typed");
                          QTest::keyClick(&d, Qt::Key_Escape);
                      }),
              kIdCancel);
    EXPECT_TRUE(cancelled.m_strTask.isEmpty());
}

TEST(WorkOrderEntryDialogTest, TypingStartsInTheFirstFieldNotOnOk)
{
    CAddService service;
    EXPECT_EQ(RunWith(service,
                      [](CAddService& d) {
                          EXPECT_EQ(d.focusWidget(), d.findChild<QLineEdit*>(ControlName(AddService::Date)));
                          // Tab goes on through the fields before it reaches the buttons.
                          QWidget* next = d.findChild<QLineEdit*>(ControlName(AddService::Date))->nextInFocusChain();
                          while (!(next->focusPolicy() & Qt::TabFocus)) {
                              next = next->nextInFocusChain();
                          }
                          EXPECT_EQ(next, d.findChild<QLineEdit*>(ControlName(AddService::Description)));
                          QTest::keyClicks(d.focusWidget(), "12/01/2026");
                          QTest::keyClick(d.focusWidget(), Qt::Key_Return);
                      }),
              kIdOk);
    EXPECT_EQ(service.m_strDate, "12/01/2026");

    CAddResults results;
    RunWith(results, [](CAddResults& d) {
        EXPECT_EQ(d.focusWidget(), d.findChild<QLineEdit*>(ControlName(AddResults::Date)));
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    CAddChecks checks;
    RunWith(checks, [](CAddChecks& d) {
        EXPECT_TRUE(d.focusWidget() == d.comboBox() || d.focusWidget() == d.comboBox()->lineEdit());
        QTest::keyClick(&d, Qt::Key_Escape);
    });
}

TEST(WorkOrderEntryDialogTest, ServiceHandsBackItsFieldsOnOk)
{
    CAddService service;
    EXPECT_EQ(RunWith(service,
                      [](CAddService& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>(ControlName(AddService::Date)), "12/01/2026");
                          QTest::keyClicks(d.findChild<QLineEdit*>(ControlName(AddService::Description)),
                                           "Replaced fuse ; cover");
                          QTest::keyClick(d.findChild<QLineEdit*>(ControlName(AddService::Description)),
                                          Qt::Key_Return);
                      }),
              kIdOk);
    EXPECT_EQ(service.m_strDate, "12/01/2026");
    EXPECT_EQ(service.m_strDescription, "Replaced fuse ; cover");
}

TEST(WorkOrderEntryDialogTest, ResultsHandBackTheirFieldsOnlyOnOk)
{
    CAddResults results;
    EXPECT_EQ(results.windowTitle(), "Results");
    EXPECT_EQ(RunWith(results,
                      [](CAddResults& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>(ControlName(AddResults::PartNumber)), "F-22");
                          QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
                      }),
              kIdCancel);
    EXPECT_TRUE(results.m_fields[6].isEmpty());
    EXPECT_EQ(RunWith(results,
                      [](CAddResults& d) {
                          QTest::keyClicks(d.findChild<QLineEdit*>(ControlName(AddResults::Description)), "Fuse 2A");
                          QTest::mouseClick(d.okButton(), Qt::LeftButton);
                      }),
              kIdOk);
    EXPECT_EQ(results.m_fields[9], "Fuse 2A");
    EXPECT_GT(results.okButton()->x(), results.cancelButton()->x());
}

} // namespace
} // namespace tessaprint
