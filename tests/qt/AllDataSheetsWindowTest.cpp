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
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;

// ID-1 to ID-n, one reading each.
std::string Records(int n)
{
    std::string printout;
    for (int k = 1; k <= n; ++k) {
        printout += "EquipmentID: ID-" + std::to_string(k) + "\r\n1.Case Leakage 0.1 uA\r\n";
    }
    return printout;
}

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
        settings.Write(settings::kReports, reports.path().toStdString());
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

TEST_F(AllDataSheetsWindowTest, ARunWritesWhileThePortReceivesAndEndsWithOneMessageThatOpensTheFolder)
{
    StartWithCapture("EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n"
                     "EquipmentID: ../x\r\n1.Case Leakage 0.2 uA\r\n"
                     "EquipmentID: BIO-5521\r\n1.Line Voltage 119.8 V\r\n");
    QSignalSpy written(app->allDataSheets(), &AllDataSheetsRunner::documentWritten);
    std::vector<std::string> folders;
    app->controller()->SetFolderOpener([&](const std::string& folder) {
        folders.push_back(folder);
        return true;
    });
    prompts.pressAction = true; // "Open Reports Folder"
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForDocument(1, 3, "10234"));
    EXPECT_TRUE(app->allDataSheetsProgress()->isVisible());
    EXPECT_FALSE(app->allDataSheetsProgress()->isModal());
    // Not started twice meanwhile, through either way in.
    EXPECT_FALSE(DataSheetOn() || AllDataSheetsOn() || MenuItem()->isEnabled());
    MenuItem()->trigger();
    app->OnAllDataSheets();

    // A new printout arrives whole while the first document is being written.
    Click(Form::Result);
    Receive("EquipmentID: NEW-1\r\n1.Case Leakage 9 uA\r\n");
    EXPECT_EQ(Lines(), (QStringList{"EquipmentID: NEW-1", "1.Case Leakage 9 uA"}));
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|9 uA"}));
    EXPECT_FALSE(DataSheetOn()); // listed, but waiting for the run

    gate.OpenForGood();
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(app->allDataSheetsProgress(), nullptr);
    // What was listed when it started, once each.
    EXPECT_EQ(Documents(), (QStringList{"10234-307201590508.docx", "BIO-5521-307201590508.docx"}));
    EXPECT_EQ(gate.Arrived(), 3);
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[1][0].toString(), reports.filePath("BIO-5521-307201590508.docx"));
    ASSERT_EQ(prompts.actionMessages.size(), 1u);
    EXPECT_EQ(prompts.actionMessages[0].rfind("All Data Sheets | Wrote 2 of 3 test records to " + Folder() +
                                                  ".\n1 failed:\n../x: COM Error: 0x8007007B. ",
                                              0),
              0u)
        << prompts.actionMessages[0];
    EXPECT_EQ(app->frame()->statusText().toStdString(), "Wrote 2 of 3 test records to " + Folder() + "; 1 failed");
    EXPECT_EQ(folders, std::vector<std::string>{Folder()});
    EXPECT_TRUE(opened.empty()); // no word processor window per document
    EXPECT_TRUE(DataSheetOn() && AllDataSheetsOn() && MenuItem()->isEnabled());
}

TEST_F(AllDataSheetsWindowTest, CancelEndsTheRunAfterTheDocumentBeingWritten)
{
    StartWithCapture(Records(50));
    gate.Allow(2);
    MenuItem()->trigger();
    ASSERT_TRUE(WaitForDocument(3, 50, "ID-3"));

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

TEST_F(AllDataSheetsWindowTest, AnUnexpectedErrorIsShownAsWhatItIsNeverAsACancel)
{
    // The second document's word processor throws what is not even an exception class.
    wordProcessor = [made = 0]() mutable -> std::unique_ptr<docs::WordApplication> {
        if (++made == 2) {
            throw 42;
        }
        return std::make_unique<docs::DocumentEngine>();
    };
    StartWithCapture(Records(3));
    Click(Form::AllDataSheets);
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(Documents().size(), 2);
    ASSERT_EQ(prompts.actionMessages.size(), 1u);
    EXPECT_EQ(prompts.actionMessages[0], "All Data Sheets | Wrote 2 of 3 test records to " + Folder() +
                                             ".\n1 failed:\nID-2: COM Error: 0x80004005. an error of an unknown kind"
                                             " | Open Reports Folder");
}

TEST_F(AllDataSheetsWindowTest, ClosingTheWindowStopsTheRunBetweenDocumentsAndSaysNothing)
{
    // More records than an instrument holds: writing them all takes far
    // longer than the close needs to cancel.
    StartWithCapture(Records(400));
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
