// "All Data Sheets" in the window: enabled with Data Sheet, its progress
// dialog, Cancel, the closing message and its "Open Reports Folder", and the
// port that goes on receiving while the documents are written.
#include "MainWindowFixture.h"

#include "docs/DocumentEngine.h"
#include "results/AllDataSheetsRunner.h"
#include "results/CAllDataSheetsDlg.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;

// Holds each document at its start until the test lets it through, so a
// test sees a run in the middle without waiting for time to pass.
class DocumentGate {
public:
    // Called on the run's thread before each document.
    void Pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.wait(lock, [this] { return m_allowed > 0; });
        --m_allowed;
    }
    void Allow(int documents)
    {
        const std::lock_guard lock(m_mutex);
        m_allowed += documents;
        m_changed.notify_all();
    }
    void OpenForGood() { Allow(1'000'000); }
    // Documents that have reached the gate (let through or waiting).
    int Arrived()
    {
        const std::lock_guard lock(m_mutex);
        return m_arrived;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_allowed = 0;
    int m_arrived = 0;
};

class AllDataSheetsWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        settings.WriteProfileString("Directories", "Reports", reports.path().toStdString());
        wordProcessor = [this] {
            gate.Pass();
            return std::make_unique<docs::DocumentEngine>();
        };
    }
    void TearDown() override
    {
        gate.OpenForGood(); // a failed test must not leave the run waiting
        app.reset();
    }

    void StartWithCapture(const std::string& printout)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        app->controller()->SetDocumentOpener([this](const std::string& path) {
            opened.push_back(path);
            return true;
        });
        Click(Form::Result);
        Receive(printout);
    }

    QAction* MenuItem() const
    {
        return app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileAllDataSheets));
    }
    bool DataSheetOn() const { return Control<QPushButton>(Form::DataSheet)->isEnabled(); }
    bool AllDataSheetsOn() const { return Control<QPushButton>(Form::AllDataSheets)->isEnabled(); }
    bool Running() const { return app->allDataSheets()->IsRunning(); }
    QString ProgressText() const
    {
        return app->allDataSheetsProgress() ? app->allDataSheetsProgress()->text() : QString();
    }
    // Until document n has begun (waiting at the gate) and its progress is shown.
    bool WaitForDocument(int n, int total, const QString& id)
    {
        const QString text = QStringLiteral("Writing %1 of %2: %3").arg(n).arg(total).arg(id);
        return QTest::qWaitFor([&] { return gate.Arrived() >= n && ProgressText() == text; }, 10'000);
    }
    bool WaitForTheEnd()
    {
        return QTest::qWaitFor([this] { return !Running(); }, 10'000);
    }
    QStringList Documents() const { return QDir(reports.path()).entryList({QStringLiteral("*.docx")}, QDir::Files); }
    std::string Folder() const { return QDir(reports.path()).absolutePath().toStdString(); }

    QTemporaryDir reports;
    DocumentGate gate;
    std::vector<std::string> opened;
};

TEST_F(AllDataSheetsWindowTest, TheButtonAndTheMenuItemGoOnAndOffWithDataSheet)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto same = [this] { return AllDataSheetsOn() == DataSheetOn() && MenuItem()->isEnabled() == DataSheetOn(); };
    EXPECT_FALSE(DataSheetOn());
    EXPECT_TRUE(same());
    ReceiveThePrintout();
    EXPECT_TRUE(DataSheetOn());
    EXPECT_TRUE(same());

    // A capture in progress: off, and on again as soon as an item is listed.
    Click(Form::Result);
    EXPECT_FALSE(DataSheetOn());
    EXPECT_TRUE(same());
    driver.Arrive(test::kPrintout);
    driver.Raise(kTextEvent);
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    emit selector->activated(1);
    EXPECT_TRUE(DataSheetOn());
    EXPECT_TRUE(same());

    clock.Advance(750);
    QCoreApplication::processEvents();
    Click(Form::ClearScreen);
    EXPECT_FALSE(DataSheetOn());
    EXPECT_TRUE(same());
}

TEST_F(AllDataSheetsWindowTest, ARunShowsItsProgressWritesEveryRecordAndEndsWithOneMessage)
{
    StartWithCapture("EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n"
                     "EquipmentID: ../x\r\n1.Case Leakage 0.2 uA\r\n"
                     "EquipmentID: BIO-5521\r\n1.Line Voltage 119.8 V\r\n");
    QSignalSpy written(app->allDataSheets(), &AllDataSheetsRunner::documentWritten);
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForDocument(1, 3, "10234"));
    ASSERT_NE(app->allDataSheetsProgress(), nullptr);
    EXPECT_TRUE(app->allDataSheetsProgress()->isVisible());
    EXPECT_FALSE(app->allDataSheetsProgress()->isModal());
    // Not started twice meanwhile, through either way in.
    EXPECT_FALSE(DataSheetOn());
    EXPECT_FALSE(AllDataSheetsOn());
    EXPECT_FALSE(MenuItem()->isEnabled());
    MenuItem()->trigger();
    app->OnAllDataSheets();

    gate.OpenForGood();
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(app->allDataSheetsProgress(), nullptr);
    EXPECT_EQ(Documents(), (QStringList{"10234-307201590508.docx", "BIO-5521-307201590508.docx"}));
    EXPECT_EQ(gate.Arrived(), 3);
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[1][0].toString(), reports.filePath("BIO-5521-307201590508.docx"));
    ASSERT_EQ(prompts.actionMessages.size(), 1u);
    const std::string& message = prompts.actionMessages[0];
    EXPECT_EQ(message.rfind("All Data Sheets | Wrote 2 of 3 test records to " + Folder() +
                                ".\n1 failed:\n../x: COM Error: 0x8007007B. ",
                            0),
              0u)
        << message;
    EXPECT_EQ(message.substr(message.size() - 22), " | Open Reports Folder");
    EXPECT_EQ(app->frame()->statusText().toStdString(), "Wrote 2 of 3 test records to " + Folder() + "; 1 failed");
    EXPECT_TRUE(opened.empty()); // no word processor window per document
    EXPECT_TRUE(prompts.messageBoxes.empty());
    EXPECT_TRUE(DataSheetOn());
    EXPECT_TRUE(AllDataSheetsOn());
    EXPECT_TRUE(MenuItem()->isEnabled());
}

TEST_F(AllDataSheetsWindowTest, CancelEndsTheRunAfterTheDocumentBeingWritten)
{
    QFile fifty(QStringLiteral(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt"));
    ASSERT_TRUE(fifty.open(QIODevice::ReadOnly));
    StartWithCapture(fifty.readAll().toStdString());
    ASSERT_EQ(Control<QComboBox>(Form::EquipmentId)->count(), 50);
    const QString third = Control<QComboBox>(Form::EquipmentId)->itemText(2).trimmed();
    gate.Allow(2);
    MenuItem()->trigger();
    ASSERT_TRUE(WaitForDocument(3, 50, third));

    QTest::mouseClick(app->allDataSheetsProgress()->findChild<QPushButton*>(ControlName(ControlId::Dialog::Cancel)),
                      Qt::LeftButton);
    EXPECT_EQ(ProgressText(), "Cancelling after the document being written...");
    EXPECT_TRUE(Running());
    gate.OpenForGood();
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(Documents().size(), 3);
    ASSERT_EQ(prompts.actionMessages.size(), 1u);
    EXPECT_EQ(prompts.actionMessages[0], "All Data Sheets | Wrote 3 of 50 test records to " + Folder() +
                                             ".\nCancelled: the other 47 were not written. | Open Reports Folder");
}

TEST_F(AllDataSheetsWindowTest, OpenReportsFolderShowsTheFolderTheDocumentsWentTo)
{
    gate.OpenForGood();
    StartWithCapture(test::kPrintout);
    std::vector<std::string> folders;
    bool opens = true;
    app->controller()->SetFolderOpener([&](const std::string& folder) {
        folders.push_back(folder);
        return opens;
    });
    prompts.pressAction = true;
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(folders, std::vector<std::string>{Folder()});
    EXPECT_TRUE(prompts.messageBoxes.empty());

    // A desktop without a file manager for it: the message says where the folder is.
    opens = false;
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(folders.size(), 2u);
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_NE(prompts.messageBoxes[0].find(Folder()), std::string::npos);
    EXPECT_EQ(Documents().size(), 4); // the second run named its documents "-2"
    EXPECT_TRUE(opened.empty());
}

TEST_F(AllDataSheetsWindowTest, ThePortGoesOnReceivingWhileTheDocumentsAreWritten)
{
    StartWithCapture(test::kPrintout);
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForDocument(1, 2, "10234"));

    // A new printout arrives whole while the first document is being written.
    Click(Form::Result);
    Receive("EquipmentID: NEW-1\r\n1.Case Leakage 9 uA\r\n");
    EXPECT_EQ(Lines(), (QStringList{"EquipmentID: NEW-1", "1.Case Leakage 9 uA"}));
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|9 uA"}));
    EXPECT_FALSE(DataSheetOn()); // listed, but still waiting for the run

    gate.OpenForGood();
    ASSERT_TRUE(WaitForTheEnd());
    // The run wrote what was listed when it started.
    EXPECT_EQ(Documents(), (QStringList{"10234-307201590508.docx", "BIO-5521-307201590508.docx"}));
    EXPECT_TRUE(DataSheetOn());
}

TEST_F(AllDataSheetsWindowTest, ClosingTheWindowStopsTheRunBetweenDocumentsAndSaysNothing)
{
    // More records than an instrument holds: writing them all takes far
    // longer than the close needs to cancel.
    std::string printout;
    for (int k = 1; k <= 400; ++k) {
        printout += "EquipmentID: ID-" + std::to_string(k) + "\r\n1.Case Leakage 0.1 uA\r\n";
    }
    StartWithCapture(printout);
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForDocument(1, 400, "ID-1"));
    gate.OpenForGood();
    app->frame()->close();
    EXPECT_FALSE(Running());
    EXPECT_EQ(app->allDataSheetsProgress(), nullptr);
    // Every document begun is whole on disk, and none begins after the close.
    const int begun = gate.Arrived();
    EXPECT_LT(begun, 400);
    EXPECT_EQ(QDir(reports.path()).entryList(QDir::Files | QDir::Hidden).size(), begun);
    QCoreApplication::processEvents();
    app.reset();
    EXPECT_EQ(gate.Arrived(), begun);
    EXPECT_TRUE(prompts.actionMessages.empty());
}

} // namespace
} // namespace tessaprint
