// The test history from the window: every capture recorded once, away from
// the window's thread; an unreachable store's captures kept and tried again;
// the archive taken in at the first start; the History window; the main
// form's "Last time" column.
#include "MainWindowFixture.h"

#include "../core/DocxReader.h"
#include "../core/MemoryHistoryStore.h"

#include "history/CHistoryDlg.h"
#include "history/LinesHash.h"
#include "history/QtHistoryRecorder.h"
#include "history/SharpHighlight.h"
#include "history/VerdictMark.h"
#include "util/FileIo.h"

#include <QAbstractAxis>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCompleter>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringListModel>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;
using history::HistoryCapture;
using history::HistoryRecord;

constexpr int kWaitMs = 5000;

// Refuses every capture with a record of one equipment ID, as a database
// refuses what it cannot hold; the rest go to the store.
class RefusingStore : public history::HistoryStore {
public:
    RefusingStore(history::HistoryStore& store, std::string refusedId)
        : m_store(store), m_refusedId(std::move(refusedId))
    {
    }
    Result<history::RecordOutcome> RecordInParts(const history::HistoryCaptureHeader& header,
                                                 const history::HistoryRecordSource& records) override
    {
        return m_store.RecordInParts(header, [&](const history::HistoryRecordSink& take) {
            return records([&](const HistoryRecord& record) -> Result<void> {
                if (record.equipmentId == m_refusedId) {
                    return Error{history::kErrorCaptureRefused, "value too long for type character varying(8)"};
                }
                return take(record);
            });
        });
    }
    Result<std::vector<HistoryRecord>> Lookup(const std::string& id) override { return m_store.Lookup(id); }
    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override
    {
        return m_store.Ids(prefix, limit);
    }
    Result<std::vector<std::string>> RecentIds(int limit) override { return m_store.RecentIds(limit); }

private:
    history::HistoryStore& m_store;
    std::string m_refusedId;
};

class HistoryWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        reports = folder.path() + "/reports";
        settings.Write(settings::kReports, reports.toStdString());
        settings.Write(settings::kArchiveImported, "1");
        historyQueueFile = folder.path() + "/data/history-queue.json";
        historyStore = [this] { return history::BorrowHistoryStore(store); };
    }

    QString Status() const { return app->frame()->statusText(); }

    // Everything sent to the recorder's thread before this has been done.
    void Settle()
    {
        bool answered = false;
        app->historyRecorder()->Ids("", 1, [&answered](auto) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, kWaitMs));
    }

    std::string QueueFileText() const
    {
        const Result<std::string> text = ReadWholeFile(historyQueueFile.toStdString());
        return text ? text.value() : std::string("<no file>");
    }

    // An earlier capture of one ID, straight into the store.
    void Seed(const std::string& id, const std::string& date, const std::string& capturedAt,
              const std::vector<std::pair<std::string, std::string>>& readings)
    {
        HistoryCapture capture;
        capture.capturedAt = capturedAt;
        capture.kind = "Quellmax";
        capture.linesHash = id + date + capturedAt;
        HistoryRecord record;
        record.equipmentId = id;
        record.testDate = date;
        record.testDay = history::ParseTestDay(date);
        int item = 0;
        for (const auto& [test, reading] : readings) {
            record.readings.push_back({++item, test + " " + reading, test, reading});
        }
        capture.records.push_back(record);
        ASSERT_TRUE(store.Record(capture));
    }

    QTemporaryDir folder;
    QString reports;
    test::MemoryHistoryStore store;
};

TEST_F(HistoryWindowTest, ACaptureIsRecordedOnceAndItsArchiveOpenedAgainAddsNothing)
{
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.Captures().size() == 1; }, kWaitMs));
    const HistoryCapture recorded = store.Captures()[0];
    EXPECT_EQ(recorded.capturedAt, "2015-03-07T21:05:08"); // the manual clock's local time
    EXPECT_EQ(recorded.kind, "Quellmax");
    EXPECT_EQ(recorded.port, "COM1");
    const std::string archive = app->controller()->lastArchivePath();
    ASSERT_FALSE(archive.empty());
    EXPECT_EQ(recorded.archiveName, std::filesystem::path(archive).filename().string());
    std::vector<std::string> lines;
    for (const QString& line : Lines()) {
        lines.push_back(line.toStdString());
    }
    EXPECT_EQ(recorded.linesHash, history::LinesHash(lines));
    ASSERT_EQ(recorded.records.size(), 2u);
    EXPECT_EQ(recorded.records[0].equipmentId, "10234");
    EXPECT_EQ(recorded.records[1].readings[0].reading, "119.8 V");

    PressCtrlChoosing(Qt::Key_O, archive);
    ASSERT_EQ(Lines().size(), 7);
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.RecordCalls() == 2; }, kWaitMs));
    Settle();
    EXPECT_EQ(store.Captures().size(), 1u);
    // Recorded or not, nothing waits.
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 0);
    EXPECT_FALSE(QFile::exists(historyQueueFile));
}

TEST_F(HistoryWindowTest, APrintoutThatGoesOnAfterAPauseKeepsItsIdentityAndTheNextCaptureHasItsOwn)
{
    Start();
    Click(Form::Result);
    Receive("EquipmentID: Q2\r\n1.Case Leakage 0.2 uA\r\n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.RecordCalls() == 1; }, kWaitMs));
    const std::string id = store.Captures().at(0).captureId;
    ASSERT_EQ(id.size(), 36u) << id;
    EXPECT_EQ(id[14], '4'); // a random (version 4) UUID
    Receive("2.Ground Resistance 0.1 Ohms\r\n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.RecordCalls() == 2; }, kWaitMs));
    ASSERT_EQ(store.Captures().size(), 1u);
    EXPECT_EQ(store.Captures()[0].captureId, id);
    EXPECT_EQ(store.Captures()[0].records.at(0).readings.size(), 2u);

    // The next capture on the same port in the same second is another one.
    Click(Form::Result);
    Receive("EquipmentID: Q3\r\n1.Case Leakage 0.3 uA\r\n");
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.RecordCalls() == 3; }, kWaitMs));
    ASSERT_EQ(store.Captures().size(), 2u);
    EXPECT_FALSE(store.Captures()[1].captureId.empty());
    EXPECT_NE(store.Captures()[1].captureId, id);
}

TEST_F(HistoryWindowTest, ACaptureALostPortCutOffIsRecordedAsItCameUnderItsArchive)
{
    Start();
    Click(Form::Result);
    driver.Arrive("EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n2.Gro");
    driver.Raise(kTextEvent);
    driver.Lose("Input/output error");
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.Captures().size() == 1; }, kWaitMs));
    const HistoryCapture recorded = store.Captures()[0];
    EXPECT_EQ(recorded.archiveName, "Quellmax-2015-03-07-210508.txt");
    EXPECT_EQ(recorded.port, "COM1");
    ASSERT_EQ(recorded.records.size(), 1u);
    ASSERT_EQ(recorded.records[0].readings.size(), 1u); // the half line never came whole
    EXPECT_EQ(recorded.records[0].readings[0].reading, "0.1 uA");
}

TEST_F(HistoryWindowTest, AnUnreachableStoreKeepsTheCaptureWaitingAndItIsRecordedWhenTheStoreIsBack)
{
    store.FailWith(Error{kErrorFail, "could not connect to server: Connection refused"});
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    const QString waiting = "History server not reachable: 1 capture waits and is recorded when it is back.";
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == waiting; }, kWaitMs)) << Status().toStdString();
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 1);
    // Kept on disk as well, whole.
    EXPECT_NE(QueueFileText().find("\"equipmentId\":\"BIO-5521\""), std::string::npos) << QueueFileText();
    EXPECT_NE(QueueFileText().find("119.8 V"), std::string::npos);
    EXPECT_NE(QueueFileText().find("\"captureId\":\""), std::string::npos) << QueueFileText();

    // Tried again after 30 seconds, not before; still failing, it still waits.
    clock.Advance(QtHistoryRecorder::kRetryMs - 1);
    Settle();
    EXPECT_EQ(store.RecordCalls(), 1);
    clock.Advance(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.RecordCalls() == 2; }, kWaitMs));
    Settle();
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 1);

    // A second capture joins the queue while the server is away.
    PressCtrlChoosing(Qt::Key_O, app->controller()->lastArchivePath());
    Settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 2);

    store.FailWith(std::nullopt);
    clock.Advance(QtHistoryRecorder::kRetryMs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "History: 2 waiting captures recorded."; }, kWaitMs))
        << Status().toStdString();
    EXPECT_EQ(store.Captures().size(), 1u); // the same lines, once
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 0);
    EXPECT_FALSE(QFile::exists(historyQueueFile));
}

TEST_F(HistoryWindowTest, WaitingCapturesSurviveARestart)
{
    store.FailWith(Error{kErrorFail, "no route to host"});
    Start();
    ReceiveThePrintout();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return app->historyRecorder()->WaitingCount() == 1 && store.RecordCalls() == 1; }, kWaitMs));
    Settle();
    app.reset();
    ASSERT_TRUE(QFile::exists(historyQueueFile));

    store.FailWith(std::nullopt);
    Start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return store.Captures().size() == 1; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status() == "History: 1 waiting capture recorded."; }, kWaitMs))
        << Status().toStdString();
    EXPECT_EQ(store.Captures()[0].records[0].equipmentId, "10234");
    EXPECT_EQ(store.Captures()[0].port, "COM1");
    EXPECT_FALSE(QFile::exists(historyQueueFile));
}

TEST_F(HistoryWindowTest, AnUnreadableQueueFileIsSetAsideNotLost)
{
    QDir().mkpath(QFileInfo(historyQueueFile).absolutePath());
    ASSERT_TRUE(WriteWholeFile(historyQueueFile.toStdString(), "{\"waitingCaptures\": [ {\"x\": 1}"));
    Start();
    EXPECT_EQ(app->historyRecorder()->WaitingCount(), 0);
    EXPECT_TRUE(QFile::exists(historyQueueFile + ".unreadable"));
    EXPECT_TRUE(Status().startsWith("The history's waiting captures could not all be read")) << Status().toStdString();
}

TEST_F(HistoryWindowTest, TheFirstStartTakesTheArchiveInOnceAndAgainWhenTheStoreWasAway)
{
    settings.Write(settings::kArchiveImported, "0");
    const std::string captures = reports.toStdString() + "/captures";
    std::filesystem::create_directories(captures);
    ASSERT_TRUE(WriteWholeFile(captures + "/Quellmax-2014-03-14-101500.txt", test::kPrintout));
    ASSERT_TRUE(WriteWholeFile(captures + "/Kappa 5100-2014-05-01-080000-2.txt",
                               "EquipmentID: DEF-1\r\nDate: 05/01/2014\r\n1.Energy 200 J\r\n"));
    ASSERT_TRUE(WriteWholeFile(captures + "/notes.txt", "nothing the instrument printed\r\n"));

    store.FailWith(Error{kErrorFail, "connection timed out"});
    Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Status().contains("taken in at the next start"); }, kWaitMs))
        << Status().toStdString();
    EXPECT_EQ(Setting(settings::kArchiveImported), "0");

    app.reset();
    store.FailWith(std::nullopt);
    Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Setting(settings::kArchiveImported) == "1"; }, kWaitMs));
    EXPECT_EQ(Status(), "History: 2 captures from the capture archive taken in.");
    const auto recorded = store.Captures();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].kind, "Kappa 5100");
    EXPECT_EQ(recorded[0].capturedAt, "2014-05-01T08:00:00");
    EXPECT_EQ(recorded[0].archiveName, "Kappa 5100-2014-05-01-080000-2.txt");
    EXPECT_EQ(recorded[0].port, "");
    EXPECT_EQ(recorded[1].kind, "Quellmax");
    EXPECT_EQ(recorded[1].capturedAt, "2014-03-14T10:15:00");

    // Once only: a later start leaves the archive alone.
    app.reset();
    Start();
    Settle();
    EXPECT_EQ(store.RecordCalls(), 3);
}

TEST_F(HistoryWindowTest, TheFirstStartGoesOnPastAFileTheHistoryRefusesAndNamesIt)
{
    settings.Write(settings::kArchiveImported, "0");
    const std::string captures = reports.toStdString() + "/captures";
    std::filesystem::create_directories(captures);
    ASSERT_TRUE(WriteWholeFile(captures + "/Quellmax-2014-03-14-101500.txt", test::kPrintout));
    ASSERT_TRUE(WriteWholeFile(captures + "/Quellmax-2014-04-01-080000.txt",
                               "EquipmentID: REFUSED-1\r\n1.Case Leakage 0.1 uA\r\n"));
    ASSERT_TRUE(WriteWholeFile(captures + "/Quellmax-2014-05-01-080000.txt",
                               "EquipmentID: LATER-1\r\n1.Case Leakage 0.2 uA\r\n"));
    historyStore = [this] { return std::make_unique<RefusingStore>(store, "REFUSED-1"); };
    Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Setting(settings::kArchiveImported) == "1"; }, kWaitMs))
        << Status().toStdString();
    EXPECT_EQ(Status(), "History: 2 captures from the capture archive taken in; the history refused "
                        "Quellmax-2014-04-01-080000.txt: value too long for type character varying(8).");
    ASSERT_EQ(store.Captures().size(), 2u);
    EXPECT_EQ(store.Captures()[1].records.at(0).equipmentId, "LATER-1");
}

TEST_F(HistoryWindowTest, WithoutAStoreHistoryIsOffAndSaysWhy)
{
    historyStore = nullptr;
    Start();
    auto* button = Control<QPushButton>(Form::History);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->toolTip(), "No history store");
    auto* action = app->frame()->findChild<QAction*>(ControlName(ControlId::Command::ViewHistory));
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->isEnabled());
    EXPECT_EQ(action->toolTip(), "No history store");
    EXPECT_EQ(app->historyRecorder(), nullptr);
    ReceiveThePrintout(); // nothing to record into, and nothing breaks
    EXPECT_EQ(Rows().size(), 2);
}

TEST_F(HistoryWindowTest, CtrlHOpensTheHistoryWhileTheFormHasTheFocus)
{
    Start();
    ShowAndActivate();
    auto* lines = Control<QListWidget>(Form::Lines);
    lines->setFocus();
    QTest::keyClick(lines, Qt::Key_H, Qt::ControlModifier);
    ASSERT_NE(app->history(), nullptr);
    EXPECT_TRUE(app->history()->isVisible());
}

// A dark desktop's colours, as a dark theme gives them.
QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(222, 222, 222));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(40, 40, 40));
    dark.setColor(QPalette::Text, QColor(222, 222, 222));
    dark.setColor(QPalette::Button, QColor(53, 53, 56));
    dark.setColor(QPalette::ButtonText, QColor(222, 222, 222));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    return dark;
}

// A cell marked as differing sharply reads in the palette, is red, and says so
// by more than its colour; a plain one keeps the list's own look.
void ExpectMarked(const QBrush& background, const QBrush& foreground, const QFont& font, const QIcon& icon,
                  const QPalette& palette)
{
    const QColor text = foreground.style() == Qt::NoBrush ? palette.color(QPalette::Text) : foreground.color();
    ASSERT_NE(background.style(), Qt::NoBrush);
    EXPECT_GE(SharpHighlight::ContrastRatio(text, background.color()), SharpHighlight::kMinContrast)
        << text.name().toStdString() << " on " << background.color().name().toStdString();
    EXPECT_GT(background.color().red(), background.color().green() + 40) << background.color().name().toStdString();
    EXPECT_NE(background.color(), palette.color(QPalette::Base));
    EXPECT_TRUE(font.bold());
    EXPECT_FALSE(icon.isNull());
}

void ExpectPlain(const QBrush& background, const QFont& font, const QIcon& icon)
{
    EXPECT_EQ(background.style(), Qt::NoBrush);
    EXPECT_FALSE(font.bold());
    EXPECT_TRUE(icon.isNull());
}

class HistoryDialogTest : public HistoryWindowTest {
protected:
    void SeedBio()
    {
        Seed("BIO-5521", "03/14/2013", "2013-03-14T09:00:00",
             {{"Line Voltage", "118.0 V"}, {"Ground Resistance", "0.090 Ohms"}, {"Case Leakage", "<0.1 uA"}});
        Seed("BIO-5521", "03/14/2014", "2014-03-14T09:30:00",
             {{"Line Voltage", "119.0 V"}, {"Ground Resistance", "0.200 Ohms"}, {"Result", "PASS"}});
        Seed("BIO-5521", "03/14/2015", "2015-03-14T10:00:00",
             {{"Line Voltage", "119.8 V"}, {"Case Leakage", "0.2 uA"}, {"Ground Resistance", "0.210 Ohms"}});
        Seed("BIO-7000", "01/02/2015", "2015-01-02T10:00:00", {{"Line Voltage", "120 V"}});
        Seed("bio-lower", "01/02/2015", "2015-01-02T11:00:00", {{"Line Voltage", "120 V"}});
        Seed("10234", "01/02/2015", "2015-01-02T12:00:00", {{"Line Voltage", "120 V"}});
    }

    CHistoryDlg* Open()
    {
        Click(Form::History);
        CHistoryDlg* dialog = app->history();
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog && dialog->isVisible());
        return dialog;
    }

    template <typename T> T* In(CHistoryDlg* dialog, int id) const
    {
        T* control = dialog->findChild<T*>(ControlName(id));
        EXPECT_NE(control, nullptr) << id;
        return control;
    }

    void ShowBio(CHistoryDlg* dialog)
    {
        QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
        auto* id = In<QLineEdit>(dialog, ControlId::History::Id);
        id->setText("BIO-5521");
        QTest::keyClick(id, Qt::Key_Return);
        ASSERT_TRUE(shown.wait(kWaitMs));
    }

    int RowOf(QTableWidget* table, const QString& test) const
    {
        for (int row = 0; row < table->rowCount(); ++row) {
            if (table->item(row, 1)->text() == test) {
                return row;
            }
        }
        return -1;
    }
};

TEST_F(HistoryDialogTest, TypingAPrefixOffersTheIdsThatBeginWithItWhateverTheirCase)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    auto* id = In<QLineEdit>(dialog, ControlId::History::Id);
    auto* model = qobject_cast<QStringListModel*>(id->completer()->model());
    ASSERT_NE(model, nullptr);
    QTest::keyClicks(id, "bI");
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->stringList().size() == 3; }, kWaitMs))
        << model->stringList().join(",").toStdString();
    EXPECT_EQ(model->stringList(), (QStringList{"BIO-5521", "BIO-7000", "bio-lower"}));
    QTest::keyClicks(id, "o-7");
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->stringList() == QStringList{"BIO-7000"}; }, kWaitMs));

    // Enter on an ID typed in other letters shows the one the history has.
    QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
    id->setText("bio-7000");
    QTest::keyClick(id, Qt::Key_Return);
    ASSERT_TRUE(shown.wait(kWaitMs));
    EXPECT_EQ(id->text(), "BIO-7000");
    ASSERT_EQ(dialog->records().size(), 1u);

    // The window is one: asked again, the same one comes forward.
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::ViewHistory))->trigger();
    EXPECT_EQ(app->history(), dialog);
}

TEST_F(HistoryDialogTest, OpenedWithoutAnIdItListsTheIdsTestedLastAndOneClickShowsOne)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    auto* recent = In<QListWidget>(dialog, ControlId::History::Recent);
    auto* id = In<QLineEdit>(dialog, ControlId::History::Id);
    const auto listed = [recent] {
        QStringList ids;
        for (int i = 0; i < recent->count(); ++i) {
            ids << recent->item(i)->text();
        }
        return ids;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return recent->count() == 4; }, kWaitMs)) << listed().join(",").toStdString();
    EXPECT_EQ(listed(), (QStringList{"BIO-5521", "10234", "bio-lower", "BIO-7000"}));
    EXPECT_TRUE(id->text().isEmpty());

    QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
    QTest::mouseClick(recent->viewport(), Qt::LeftButton, {}, recent->visualItemRect(recent->item(2)).center());
    ASSERT_TRUE(shown.wait(kWaitMs));
    EXPECT_EQ(id->text(), "bio-lower");
    ASSERT_EQ(dialog->records().size(), 1u);
    EXPECT_EQ(dialog->records()[0].equipmentId, "bio-lower");

    recent->setFocus();
    recent->setCurrentRow(0);
    QTest::keyClick(recent, Qt::Key_Return);
    ASSERT_TRUE(shown.wait(kWaitMs));
    EXPECT_EQ(id->text(), "BIO-5521");
    EXPECT_EQ(dialog->records().size(), 3u);

    // Emptying the ID box asks again: a capture since then comes first.
    Seed("NEW-1", "01/02/2016", "2016-01-02T12:00:00", {{"Line Voltage", "120 V"}});
    id->setFocus();
    id->selectAll();
    QTest::keyClick(id, Qt::Key_Backspace);
    ASSERT_TRUE(QTest::qWaitFor([&] { return recent->count() == 5; }, kWaitMs)) << listed().join(",").toStdString();
    EXPECT_EQ(recent->item(0)->text(), "NEW-1");

    // A history that cannot be read says so, as for the typed IDs.
    store.FailWith(Error{kErrorFail, "no route to host"});
    auto* status = In<QLabel>(dialog, ControlId::History::Status);
    QTest::keyClicks(id, "x");
    QTest::keyClick(id, Qt::Key_Backspace);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return status->text() == "The history could not be read: no route to host"; }, kWaitMs))
        << status->text().toStdString();
}

TEST_F(HistoryDialogTest, TheTableHasAColumnPerDateAndTheSameTestOnOneRow)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ShowBio(dialog);
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    ASSERT_EQ(table->columnCount(), 5);
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), "03/14/2013");
    EXPECT_EQ(table->horizontalHeaderItem(4)->text(), "03/14/2015");
    // The newest record's order, then the test only an older one has.
    ASSERT_EQ(table->rowCount(), 4);
    EXPECT_EQ(table->item(0, 1)->text(), "Line Voltage");
    EXPECT_EQ(table->item(1, 1)->text(), "Case Leakage");
    EXPECT_EQ(table->item(1, 0)->text(), "2");
    EXPECT_EQ(table->item(2, 1)->text(), "Ground Resistance");
    EXPECT_EQ(table->item(3, 1)->text(), "Result");
    const int ground = RowOf(table, "Ground Resistance");
    EXPECT_EQ(table->item(ground, 2)->text(), "0.090 Ohms");
    EXPECT_EQ(table->item(ground, 3)->text(), "0.200 Ohms");
    EXPECT_EQ(table->item(ground, 4)->text(), "0.210 Ohms");
    // 0.090 -> 0.200 is more than half again: marked; 0.200 -> 0.210 is not.
    EXPECT_EQ(table->item(ground, 3)->background().color(), SharpHighlight(*dialog).background());
    EXPECT_EQ(table->item(ground, 4)->background().style(), Qt::NoBrush);
    EXPECT_EQ(table->item(RowOf(table, "Result"), 4)->text(), "");
    // The newest date is chosen.
    EXPECT_EQ(table->currentColumn(), 4);
    EXPECT_TRUE(In<QPushButton>(dialog, ControlId::History::DataSheet)->isEnabled());
}

TEST_F(HistoryDialogTest, TheChartDrawsTheChosenTestsNumbersByDateWithItsUnit)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ShowBio(dialog);
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    auto* chartView = In<QChartView>(dialog, ControlId::History::Chart);
    const auto points = [&] {
        const auto series = chartView->chart()->series();
        auto* line = series.isEmpty() ? nullptr : qobject_cast<QLineSeries*>(series[0]);
        return line ? line->points() : QList<QPointF>();
    };
    const auto day = [](int year, int hour, int minute) {
        return static_cast<qreal>(QDateTime(QDate(year, 3, 14), QTime(hour, minute)).toMSecsSinceEpoch());
    };

    const auto timeAxis = [&] {
        return qobject_cast<QDateTimeAxis*>(chartView->chart()->axes(Qt::Horizontal).value(0));
    };

    table->setCurrentCell(RowOf(table, "Ground Resistance"), 2);
    EXPECT_EQ(points(), (QList<QPointF>{{day(2013, 9, 0), 0.09}, {day(2014, 9, 30), 0.2}, {day(2015, 10, 0), 0.21}}));
    // The time axis runs from the first test to the last, a day either side, its labels with the year.
    ASSERT_NE(timeAxis(), nullptr);
    EXPECT_EQ(timeAxis()->min(), QDateTime(QDate(2013, 3, 13), QTime(9, 0)));
    EXPECT_EQ(timeAxis()->max(), QDateTime(QDate(2015, 3, 15), QTime(10, 0)));
    EXPECT_EQ(timeAxis()->format(), "MM/dd/yyyy");
    const auto axes = chartView->chart()->axes(Qt::Vertical);
    ASSERT_EQ(axes.size(), 1);
    EXPECT_EQ(axes[0]->titleText(), "Ohms");
    EXPECT_EQ(In<QLabel>(dialog, ControlId::History::ChartNote)->text(), "");

    // A limit is drawn at its number and said so; a date without the test has no point.
    table->setCurrentCell(RowOf(table, "Case Leakage"), 2);
    EXPECT_EQ(points(), (QList<QPointF>{{day(2013, 9, 0), 0.1}, {day(2015, 10, 0), 0.2}}));
    EXPECT_EQ(In<QLabel>(dialog, ControlId::History::ChartNote)->text(),
              "<0.1 uA on 03/14/2013 is drawn as 0.1 (a limit the instrument printed).");

    // A reading without a number is left out, and said so.
    table->setCurrentCell(RowOf(table, "Result"), 2);
    EXPECT_TRUE(points().isEmpty());
    EXPECT_EQ(In<QLabel>(dialog, ControlId::History::ChartNote)->text(),
              "Left out, without a number: 03/14/2014 (\"PASS\").");

    // An ID tested once: a label in the middle of the axis names its day, not only the days either side.
    QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
    dialog->ShowId("BIO-7000");
    ASSERT_TRUE(shown.wait(kWaitMs));
    table->setCurrentCell(RowOf(table, "Line Voltage"), 2);
    const QDateTime tested(QDate(2015, 1, 2), QTime(10, 0));
    ASSERT_EQ(points(), (QList<QPointF>{{static_cast<qreal>(tested.toMSecsSinceEpoch()), 120}}));
    ASSERT_NE(timeAxis(), nullptr);
    EXPECT_EQ(timeAxis()->min(), tested.addDays(-1));
    EXPECT_EQ(timeAxis()->max(), tested.addDays(1));
    EXPECT_EQ(timeAxis()->tickCount(), 3);
}

TEST_F(HistoryDialogTest, ASharpChangeReadsInALightAndADarkPaletteAndTheChartFollowsThePalette)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ShowBio(dialog);
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    QChart* chart = In<QChartView>(dialog, ControlId::History::Chart)->chart();
    const int ground = RowOf(table, "Ground Resistance");
    table->setCurrentCell(ground, 3);
    // The window opened in the light palette; the desktop may turn dark while it is open.
    for (const QPalette& palette : {QApplication::style()->standardPalette(), DarkPalette()}) {
        SCOPED_TRACE(palette.color(QPalette::Base).name().toStdString());
        dialog->setPalette(palette);
        const QTableWidgetItem* sharp = table->item(ground, 3);
        ExpectMarked(sharp->background(), sharp->foreground(), sharp->font(), sharp->icon(), palette);
        const QTableWidgetItem* plain = table->item(ground, 4);
        ExpectPlain(plain->background(), plain->font(), plain->icon());

        const QColor base = palette.color(QPalette::Base);
        EXPECT_EQ(chart->backgroundBrush().color(), base);
        EXPECT_GE(SharpHighlight::ContrastRatio(chart->titleBrush().color(), base), SharpHighlight::kMinContrast);
        for (const QAbstractAxis* axis : chart->axes()) {
            EXPECT_GE(SharpHighlight::ContrastRatio(axis->labelsColor(), base), SharpHighlight::kMinContrast);
            EXPECT_GE(SharpHighlight::ContrastRatio(axis->titleBrush().color(), base), SharpHighlight::kMinContrast);
        }
        ASSERT_EQ(chart->series().size(), 1);
        EXPECT_GE(SharpHighlight::ContrastRatio(qobject_cast<QLineSeries*>(chart->series()[0])->color(), base), 3.0);
    }
}

TEST_F(HistoryDialogTest, AStoredVerdictIsShownInItsCellWithItsLimitAndProfileAndOldRecordsAsBefore)
{
    Seed("VER-1", "03/14/2014", "2014-03-14T09:00:00", {{"Case Leakage", "110 uA"}, {"Line Voltage", "119 V"}});
    HistoryCapture judged;
    judged.capturedAt = "2015-03-14T09:00:00";
    judged.kind = "Quellmax";
    judged.linesHash = "judged";
    HistoryRecord record;
    record.equipmentId = "VER-1";
    record.testDate = "03/14/2015";
    record.verdictProfile = "iec62353";
    record.verdictProfileVersion = "2014-1";
    record.readings = {{1, "Case Leakage 120 uA", "Case Leakage", "120 uA", "fail",
                        "\xE2\x89\xA4 100 \xC2\xB5"
                        "A",
                        "quellmax.case-leakage"},
                       {2, "Line Voltage 120 V", "Line Voltage", "120 V", "no limit", "", ""}};
    judged.records.push_back(record);
    ASSERT_TRUE(store.Record(judged));
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
    auto* id = In<QLineEdit>(dialog, ControlId::History::Id);
    id->setText("VER-1");
    QTest::keyClick(id, Qt::Key_Return);
    ASSERT_TRUE(shown.wait(kWaitMs));
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    const int leakage = RowOf(table, "Case Leakage");
    const int voltage = RowOf(table, "Line Voltage");
    ASSERT_GE(leakage, 0);
    ASSERT_GE(voltage, 0);
    // The record of before: its readings alone, as they always were.
    EXPECT_EQ(table->item(leakage, 2)->text(), "110 uA");
    EXPECT_EQ(table->item(leakage, 2)->toolTip(), "110 uA");
    EXPECT_EQ(table->item(leakage, 2)->foreground().style(), Qt::NoBrush);
    // The judged one: the word, its colour, the limit, rule and profile.
    const QTableWidgetItem* fail = table->item(leakage, 3);
    EXPECT_EQ(fail->text(), QString::fromUtf8("120 uA \u00B7 fail"));
    EXPECT_TRUE(fail->toolTip().contains(QString::fromUtf8("limit \u2264 100 \u00B5A (rule quellmax.case-leakage)")))
        << fail->toolTip().toStdString();
    EXPECT_TRUE(fail->toolTip().contains("iec62353 2014-1")) << fail->toolTip().toStdString();
    EXPECT_EQ(table->item(voltage, 3)->text(), "120 V");
    EXPECT_TRUE(table->item(voltage, 3)->toolTip().contains("no limit"));
    for (const QPalette& palette : {QApplication::style()->standardPalette(), DarkPalette()}) {
        SCOPED_TRACE(palette.color(QPalette::Base).name().toStdString());
        dialog->setPalette(palette);
        EXPECT_EQ(table->item(leakage, 3)->foreground().color(), VerdictMark(*dialog).fail());
        EXPECT_GE(
            SharpHighlight::ContrastRatio(table->item(leakage, 3)->foreground().color(), palette.color(QPalette::Base)),
            SharpHighlight::kMinContrast);
        EXPECT_NE(VerdictMark(*dialog).fail(), VerdictMark(*dialog).pass());
    }
    // The chart reads the reading, not the word after it.
    table->setCurrentCell(leakage, 3);
    QChart* chart = In<QChartView>(dialog, ControlId::History::Chart)->chart();
    ASSERT_EQ(chart->series().size(), 1);
    EXPECT_EQ(qobject_cast<QLineSeries*>(chart->series()[0])->count(), 2);
}

TEST_F(HistoryDialogTest, TheChartPlacesTestsByTheirDatesInTimeOrderAndNamesWhatHasNoDate)
{
    const std::string id = "ICU-9";
    Seed(id, "", "", {{"Line Voltage", "121 V"}}); // neither a test date nor a capture time
    Seed(id, "03/14/2013", "2013-03-14T09:00:00", {{"Line Voltage", "118 V"}, {"Insulation", ">2000000 Ohms"}});
    Seed(id, "04/14/2013", "2013-04-14T09:00:00", {{"Line Voltage", "119 V"}});
    // One day's test printed twice later on: by capture in the table, by time of day on the chart.
    Seed(id, "03/14/2015", "2015-04-01T18:00:00", {{"Line Voltage", "120 V"}});
    Seed(id, "03/14/2015", "2015-05-01T08:00:00", {{"Line Voltage", "120 V"}});
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    QSignalSpy shown(dialog, &CHistoryDlg::recordsShown);
    dialog->ShowId(QString::fromStdString(id));
    ASSERT_TRUE(shown.wait(kWaitMs));
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    auto* chartView = In<QChartView>(dialog, ControlId::History::Chart);
    auto* note = In<QLabel>(dialog, ControlId::History::ChartNote);

    table->setCurrentCell(RowOf(table, "Line Voltage"), 2);
    QCoreApplication::processEvents();
    auto* series = qobject_cast<QLineSeries*>(chartView->chart()->series().value(0));
    ASSERT_NE(series, nullptr);
    const QList<QPointF> points = series->points();
    ASSERT_EQ(points.size(), 4);
    EXPECT_TRUE(
        std::is_sorted(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    // A month, then about two years: the distances on screen follow the dates.
    const qreal month = chartView->chart()->mapToPosition(points[1], series).x() -
                        chartView->chart()->mapToPosition(points[0], series).x();
    const qreal years = chartView->chart()->mapToPosition(points[2], series).x() -
                        chartView->chart()->mapToPosition(points[1], series).x();
    ASSERT_GT(month, 0);
    EXPECT_NEAR(years / month, (points[2].x() - points[1].x()) / (points[1].x() - points[0].x()), 0.01);
    EXPECT_EQ(note->text(), "Left out, without a date: \"121 V\".");

    table->setCurrentCell(RowOf(table, "Insulation"), 2);
    EXPECT_EQ(note->text(), ">2000000 Ohms on 03/14/2013 is drawn as 2000000 (a limit the instrument printed).");
}

TEST_F(HistoryDialogTest, DataSheetWritesThePastRecordOfTheChosenDate)
{
    SeedBio();
    Start();
    CHistoryDlg* dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ShowBio(dialog);
    auto* table = In<QTableWidget>(dialog, ControlId::History::Table);
    table->setCurrentCell(0, 2); // 03/14/2013
    QTest::mouseClick(In<QPushButton>(dialog, ControlId::History::DataSheet), Qt::LeftButton);
    const std::string path = app->controller()->lastDocumentPath();
    ASSERT_FALSE(path.empty()) << prompts.messageBoxes.size();
    EXPECT_EQ(Status().toStdString(), "Saved " + path);
    EXPECT_EQ(path.rfind(reports.toStdString(), 0), 0u);
    const std::string xml = docs::test::DocxReader::FromFile(path).Part("word/document.xml");
    EXPECT_NE(xml.find("BIO-5521"), std::string::npos);
    EXPECT_NE(xml.find("0.090 Ohms"), std::string::npos);
    EXPECT_EQ(xml.find("0.210 Ohms"), std::string::npos); // not the newest record's
}

TEST_F(HistoryDialogTest, TheMainFormShowsThePreviousTestsReadingsBesideTheCaptured)
{
    // The printout's 10234 was tested on 03/14/2015; before that, twice.
    Seed("10234", "03/14/2013", "2013-03-14T09:00:00", {{"Case Leakage", "0.1 uA"}});
    Seed("10234", "03/14/2014", "2014-03-14T09:00:00",
         {{"Case Leakage", "0.3 uA"}, {"Ground Resistance", "0.120 Ohms"}});
    Start();
    ShowAndActivate();
    ReceiveThePrintout();
    auto* readings = Control<QTreeWidget>(Form::Readings);
    ASSERT_EQ(readings->columnCount(), 4);
    EXPECT_EQ(readings->headerItem()->text(CQuellmaxView::kLastTimeColumn), "Last time");
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings->topLevelItem(0)->text(3) == "0.3 uA"; }, kWaitMs));
    // 0.3 -> 0.1 uA is a sharp change, 0.120 -> 0.123 Ohms is not; marked so in a dark palette as well.
    EXPECT_EQ(readings->topLevelItem(1)->text(3), "0.120 Ohms");
    for (const QPalette& palette : {QApplication::style()->standardPalette(), DarkPalette()}) {
        app->view()->setPalette(palette);
        const QTreeWidgetItem* sharp = readings->topLevelItem(0);
        ExpectMarked(sharp->background(3), sharp->foreground(3), sharp->font(3), sharp->icon(3), palette);
        const QTreeWidgetItem* plain = readings->topLevelItem(1);
        ExpectPlain(plain->background(3), plain->font(3), plain->icon(3));
    }
    // The three columns are as they were.
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    EXPECT_EQ(selector->toolTip(), "Last tested 03/14/2014: 1 reading differs sharply from then.");

    // An ID the history knows only from this capture.
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !selector->toolTip().isEmpty(); }, kWaitMs));
    EXPECT_EQ(selector->toolTip(), "No earlier test of BIO-5521 in the history.");
    EXPECT_EQ(readings->topLevelItem(0)->text(3), "");

    // Opening this capture's archive again: the capture shown is still not its own previous test.
    PressCtrlChoosing(Qt::Key_O, app->controller()->lastArchivePath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !selector->toolTip().isEmpty(); }, kWaitMs));
    EXPECT_EQ(selector->toolTip(), "Last tested 03/14/2014: 1 reading differs sharply from then.");
}

} // namespace
} // namespace tessaprint
