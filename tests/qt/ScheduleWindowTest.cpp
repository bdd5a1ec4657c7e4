// The equipment list and the test schedule in the window: View > Equipment
// edits the list kept in the history, View > Due for Test shows what is due,
// and the form says what the list knows of the chosen ID.
#include "MainWindowFixture.h"

#include "../core/MemoryHistoryStore.h"

#include "history/CDueForTestDlg.h"
#include "history/CEquipmentDlg.h"
#include "history/CHistoryDlg.h"
#include "util/FileIo.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

namespace tessaprint {
namespace {

constexpr int kWaitMs = 5000;
namespace Equipment = ControlId::Equipment;
namespace Due = ControlId::DueForTest;

class ScheduleWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        settings.Write(settings::kReports, (folder.path() + "/reports").toStdString());
        settings.Write(settings::kArchiveImported, "1");
        historyQueueFile = folder.path() + "/data/history-queue.json";
        historyStore = [this] { return history::BorrowHistoryStore(store); };
        std::tm today{};
        today.tm_year = 2016 - 1900;
        today.tm_mon = 2; // March
        today.tm_mday = 1;
        today.tm_hour = 9;
        clock.SetLocalTime(today);
    }

    void Trigger(int command)
    {
        auto* action = app->frame()->findChild<QAction*>(ControlName(command));
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    template <typename T> T* In(QWidget* window, int id) const
    {
        T* control = window->findChild<T*>(ControlName(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    // The stored list as "ID class parts months", sorted by ID.
    QStringList Stored()
    {
        QStringList devices;
        const auto list = store.Equipment();
        EXPECT_TRUE(list);
        for (const verdict::Device& device : list ? list.value() : std::vector<verdict::Device>()) {
            std::string parts;
            for (const verdict::AppliedPart part : device.appliedParts) {
                parts += std::string(parts.empty() ? "" : ";") + std::string(verdict::AppliedPartName(part));
            }
            devices << QString::fromStdString(device.equipmentId + " " +
                                              std::string(verdict::DeviceClassName(device.deviceClass)) + " " + parts +
                                              " " + std::to_string(device.intervalMonths));
        }
        return devices;
    }

    void StoreList(const std::string& csv)
    {
        const auto devices =
            verdict::ReadEquipmentListText(std::string(verdict::kEquipmentListHeader) + "\n" + csv, "t");
        ASSERT_TRUE(devices) << devices.error().message;
        ASSERT_TRUE(store.ImportEquipment(devices.value()));
    }

    void Seed(const std::string& id, const std::string& date)
    {
        history::HistoryCapture capture;
        capture.capturedAt = "2015-01-01T10:00:00";
        capture.kind = "Quellmax";
        capture.linesHash = id + date;
        history::HistoryRecord record;
        record.equipmentId = id;
        record.testDate = date;
        record.testDay = history::ParseTestDay(date);
        record.readings.push_back({1, "Line Voltage 120 V", "Line Voltage", "120 V"});
        capture.records.push_back(record);
        ASSERT_TRUE(store.Record(capture));
    }

    CEquipmentDlg* OpenEquipment()
    {
        Trigger(ControlId::Command::ViewEquipment);
        CEquipmentDlg* dialog = app->equipment();
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }

    QTemporaryDir folder;
    test::MemoryHistoryStore store;
};

TEST_F(ScheduleWindowTest, ARowIsStoredOnceSoundABadClassIsRefusedWithItsWordsAndRemoveTakesItOut)
{
    Start();
    CEquipmentDlg* dialog = OpenEquipment();
    ASSERT_NE(dialog, nullptr);
    auto* table = In<QTableWidget>(dialog, Equipment::Table);
    QTest::mouseClick(In<QPushButton>(dialog, Equipment::Add), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 1; }, kWaitMs));
    EXPECT_EQ(table->currentColumn(), CEquipmentDlg::Id);
    table->item(0, CEquipmentDlg::Id)->setText("PUMP-9");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored() == QStringList{"PUMP-9 I  12"}; }, kWaitMs))
        << Stored().join(",").toStdString();

    table->item(0, CEquipmentDlg::Class)->setText("III");
    EXPECT_EQ(dialog->fault(), "Row 1: class \"III\" is not I, II or IP; the row is not stored until it is corrected.");
    EXPECT_TRUE(table->item(0, CEquipmentDlg::Class)->background().color().isValid());
    EXPECT_EQ(table->item(0, CEquipmentDlg::Class)->background().style(), Qt::SolidPattern);
    EXPECT_EQ(table->item(0, CEquipmentDlg::Id)->background().style(), Qt::NoBrush);
    table->item(0, CEquipmentDlg::Class)->setText("II");
    table->item(0, CEquipmentDlg::AppliedParts)->setText("BF;CF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored() == QStringList{"PUMP-9 II BF;CF 12"}; }, kWaitMs));
    EXPECT_EQ(dialog->fault(), "");
    EXPECT_EQ(table->item(0, CEquipmentDlg::Class)->background().style(), Qt::NoBrush);

    // A changed ID replaces the one the row stood for.
    table->item(0, CEquipmentDlg::Id)->setText("PUMP-10");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored() == QStringList{"PUMP-10 II BF;CF 12"}; }, kWaitMs));

    table->setCurrentCell(0, CEquipmentDlg::Description);
    QTest::mouseClick(In<QPushButton>(dialog, Equipment::Remove), Qt::LeftButton);
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_EQ(prompts.confirmDefaults.front(), DefaultButton::Cancel);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored().isEmpty(); }, kWaitMs));
    EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(ScheduleWindowTest, ACsvWithABadLineIsRefusedWholeAndAGoodOneIsTakenIn)
{
    StoreList("OLD-1,Lamp,Ward,II,,24,,,\n");
    Start();
    CEquipmentDlg* dialog = OpenEquipment();
    ASSERT_NE(dialog, nullptr);
    auto* table = In<QTableWidget>(dialog, Equipment::Table);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 1; }, kWaitMs));

    const std::string bad = (folder.path() + "/bad.csv").toStdString();
    ASSERT_TRUE(WriteWholeFile(bad, std::string(verdict::kEquipmentListHeader) +
                                        "\nNEW-1,Pump,ICU,I,CF,6,,,\nNEW-2,Monitor,ICU,X,BF,6,,,\n"));
    prompts.files = {bad};
    QTest::mouseClick(In<QPushButton>(dialog, Equipment::Import), Qt::LeftButton);
    EXPECT_EQ(dialog->fault(), "Nothing was imported from bad.csv: line 3: class \"X\" is not I, II or IP");
    EXPECT_EQ(Stored(), QStringList{"OLD-1 II  24"});

    const std::string good = (folder.path() + "/good.csv").toStdString();
    ASSERT_TRUE(WriteWholeFile(good, std::string(verdict::kEquipmentListHeader) + "\nNEW-1,Pump,ICU,I,CF,6,,,\n"));
    prompts.files = {good};
    QTest::mouseClick(In<QPushButton>(dialog, Equipment::Import), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 2; }, kWaitMs));
    EXPECT_EQ(Stored(), (QStringList{"NEW-1 I CF 6", "OLD-1 II  24"}));
    EXPECT_EQ(dialog->fault(), "Imported good.csv: 1 added, 0 replaced, 0 unchanged.");
}

TEST_F(ScheduleWindowTest, TheScheduleSaysEachStatusInWordsAndColourFiltersAndOpensAHistory)
{
    // On 2016-03-01, 30 days ahead by default.
    StoreList("LATE-1,Pump,ICU,I,CF,6,,,\n"
              "SOON-1,Monitor,ICU,I,BF,12,,,\n"
              "FINE-1,Lamp,Ward,II,,24,,,\n"
              "NEW-1,Scale,Ward,II,,12,,,\n");
    Seed("LATE-1", "06/03/2015");
    Seed("SOON-1", "03/20/2015");
    Seed("FINE-1", "01/10/2015");
    Seed("STRAY-1", "01/10/2015");
    Start();
    Trigger(ControlId::Command::ViewDueForTest);
    CDueForTestDlg* dialog = app->dueForTest();
    ASSERT_NE(dialog, nullptr);
    auto* table = In<QTableWidget>(dialog, Due::Table);
    const auto rows = [table] {
        QStringList texts;
        for (int r = 0; r < table->rowCount(); ++r) {
            texts << table->item(r, CDueForTestDlg::Id)->text() + " " + table->item(r, CDueForTestDlg::Due)->text() +
                         " " + table->item(r, CDueForTestDlg::Status)->text();
        }
        return texts;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 5; }, kWaitMs));
    EXPECT_EQ(rows(), (QStringList{"NEW-1  never tested", "LATE-1 2015-12-03 overdue", "SOON-1 2016-03-20 due soon",
                                   "FINE-1 2017-01-10 ok", "STRAY-1  not in the list"}));
    const DueColours colours(*dialog);
    const auto status = [table](int row) { return table->item(row, CDueForTestDlg::Status); };
    EXPECT_EQ(status(1)->background().color(), colours.Background(history::DueStatus::Overdue));
    EXPECT_EQ(status(2)->background().color(), colours.Background(history::DueStatus::DueSoon));
    EXPECT_EQ(status(3)->background().color(), colours.Background(history::DueStatus::Ok));
    EXPECT_EQ(status(0)->background().style(), Qt::NoBrush);
    EXPECT_NE(colours.Background(history::DueStatus::Overdue), colours.Background(history::DueStatus::DueSoon));

    auto* filter = In<QComboBox>(dialog, Due::Filter);
    filter->setCurrentIndex(CDueForTestDlg::OverdueAndFailed);
    EXPECT_EQ(rows(), QStringList{"LATE-1 2015-12-03 overdue"});
    filter->setCurrentIndex(CDueForTestDlg::DueWithin);
    EXPECT_EQ(rows(), (QStringList{"LATE-1 2015-12-03 overdue", "SOON-1 2016-03-20 due soon"}));
    // Fewer days: SOON-1 is not due soon any more.
    In<QSpinBox>(dialog, Due::Days)->setValue(10);
    EXPECT_EQ(filter->currentText(), "Due within 10 days");
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == QStringList{"LATE-1 2015-12-03 overdue"}; }, kWaitMs));

    const QRect cell = table->visualItemRect(table->item(0, CDueForTestDlg::Location));
    // A double click's second press, as the system sends it, after the first click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_NE(app->history(), nullptr);
    EXPECT_TRUE(app->history()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return app->history()->records().size() == 1 && app->history()->records().front().equipmentId == "LATE-1";
        },
        kWaitMs));
}

TEST_F(ScheduleWindowTest, TheFormSaysWhatTheListKnowsOfTheChosenIdAndOffersToAddOneItLacks)
{
    StoreList("10234,Pump,ICU,I,BF;CF,12,,,\n");
    Start();
    // The schedule on screen follows the capture and the list as they change.
    Trigger(ControlId::Command::ViewDueForTest);
    ASSERT_NE(app->dueForTest(), nullptr);
    const auto statusOf = [this](const std::string& id) {
        for (const history::DueEntry& entry : app->dueForTest()->entries()) {
            if (entry.equipmentId == id) {
                return std::string(history::DueStatusWord(entry.status));
            }
        }
        return std::string("absent");
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusOf("10234") == "never tested"; }, kWaitMs));
    ReceiveThePrintout();
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusOf("10234") == "due soon"; }, kWaitMs)) << statusOf("10234");
    EXPECT_EQ(statusOf("BIO-5521"), "not in the list");
    auto* line = Control<QLabel>(ControlId::Form::DeviceLine);
    auto* add = Control<QPushButton>(ControlId::Form::AddDevice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !line->text().isEmpty(); }, kWaitMs));
    EXPECT_EQ(line->text(), "Class I, applied parts BF; CF, next test due 2016-03-14 (12 months after this test)");
    EXPECT_TRUE(add->isHidden());

    auto* selector = Control<QComboBox>(ControlId::Form::EquipmentId);
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_EQ(line->text(), "not in the equipment list");
    EXPECT_FALSE(add->isHidden());

    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_NE(app->equipment(), nullptr);
    EXPECT_TRUE(app->equipment()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored().size() == 2; }, kWaitMs));
    EXPECT_EQ(Stored().back(), "BIO-5521 I  12");
    // The form follows the list: BIO-5521 is in it now, with no date to count from.
    ASSERT_TRUE(QTest::qWaitFor([&] { return add->isHidden(); }, kWaitMs));
    EXPECT_EQ(line->text(), "Class I, no applied parts, next test due 2016-03-14 (12 months after this test)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusOf("BIO-5521") == "due soon"; }, kWaitMs)) << statusOf("BIO-5521");
}

} // namespace
} // namespace tessaprint
