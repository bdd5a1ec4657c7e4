// A capture as the technician lives it: nothing can cut into a printout that
// is still arriving, a silent instrument or a closed port is named, every
// capture is archived before the instrument can be erased, and the status
// bar keeps saying what happened.
#include "MainWindowFixture.h"

#include "link/LineSettings.h"
#include "results/CaptureFile.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace tessaprint {
namespace {

using namespace std::string_literals;
namespace Form = ControlId::Form;
namespace Command = ControlId::Command;

std::string ReadFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CaptureWindowTest : public test::MainWindowFixture {
protected:
    void SetUp() override { settings.Write(settings::kReports, reports.path().toStdString()); }

    bool CommandsEnabled() const
    {
        return Control<QPushButton>(Form::Result)->isEnabled() &&
               Control<QPushButton>(Form::ClearMemory)->isEnabled() &&
               Control<QPushButton>(Form::ClearScreen)->isEnabled() && Action(Command::FileOpen)->isEnabled() &&
               Action(Command::FileNew)->isEnabled();
    }
    bool CommandsDisabled() const
    {
        return !Control<QPushButton>(Form::Result)->isEnabled() &&
               !Control<QPushButton>(Form::ClearMemory)->isEnabled() &&
               !Control<QPushButton>(Form::ClearScreen)->isEnabled() && !Action(Command::FileOpen)->isEnabled() &&
               !Action(Command::FileNew)->isEnabled();
    }
    QAction* Action(int id) const { return app->frame()->findChild<QAction*>(ControlName(id)); }
    QString Status() const { return app->frame()->statusText(); }
    QString Captures() const { return reports.filePath(QStringLiteral("captures")); }
    QStringList ArchiveNames() const { return QDir(Captures()).entryList(QDir::Files, QDir::Name); }

    // Something that is not a folder stands where the archive folder belongs
    // when the printout comes; what the erase sends is all that is written after.
    void ReceiveThePrintoutWithTheArchiveFolderBlocked()
    {
        QFile blocker(Captures());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Start();
        ReceiveThePrintout();
        driver.written.clear();
    }

    // With a limit of 1 KiB, one read of a line that never goes quiet crosses
    // it; returns the bytes of that read.
    std::string CrossTheCaptureLimit()
    {
        settings.Write(settings::kMaxCaptureBytes, "1024");
        Start();
        Click(Form::Result);
        std::string noise;
        for (int i = 0; noise.size() < 1500; ++i) {
            noise += std::to_string(i % 90) + ".Noise " + std::to_string(i) + " uA\r\n";
        }
        driver.Arrive(noise);
        driver.Raise(kTextEvent);
        clock.Advance(0);
        return noise;
    }

    // File > Save with the file chooser answering path.
    void SaveAs(const QString& path)
    {
        prompts.files = {path.toStdString()};
        Action(Command::FileSave)->trigger();
    }

    QTemporaryDir reports;
};

TEST_F(CaptureWindowTest, ResultDuringAPrintoutIsRefusedAndTheRecordsEqualThePrintout)
{
    Start();
    Click(Form::Result);
    EXPECT_TRUE(CommandsDisabled());
    EXPECT_EQ(Status(), "Capture in progress on COM1: waiting for the instrument…");

    // The first half arrives, cut in the middle of a line, as a slow line delivers it.
    const std::size_t half = test::kPrintout.find("2.Ground") + 4;
    driver.Arrive(test::kPrintout.substr(0, half));
    driver.Raise(kTextEvent);
    EXPECT_TRUE(Status().startsWith("Capture in progress on COM1: 4 lines, 1 equipment ID"));
    clock.Advance(500);

    // A second RESULT, Clear Screen and Open (Ctrl+O) cannot cut in.
    Click(Form::Result);
    Click(Form::ClearScreen);
    Action(Command::FileOpen)->trigger();
    EXPECT_EQ(driver.written, "print\r\n");
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(Lines().size(), 4);

    driver.Arrive(test::kPrintout.substr(half));
    driver.Raise(kTextEvent);
    clock.Advance(750);
    QCoreApplication::processEvents();
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_EQ(Lines().join("\r\n").toStdString() + "\r\n", test::kPrintout);
    auto* selector = Control<QComboBox>(Form::EquipmentId);
    ASSERT_EQ(selector->count(), 2);
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA", "2|Ground Resistance|0.123 Ohms"}));
    selector->setCurrentIndex(1);
    emit selector->activated(1);
    EXPECT_EQ(Rows(), (QStringList{"1|Line Voltage|119.8 V"}));
    EXPECT_TRUE(Status().startsWith("Received 7 lines, 2 equipment IDs from COM1; archived as "));
}

TEST_F(CaptureWindowTest, ASilentInstrumentEndsTheCaptureAfterTheAnswerTime)
{
    Start();
    Click(Form::Result);
    clock.Advance(4999);
    EXPECT_TRUE(CommandsDisabled());
    clock.Advance(1);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_EQ(Status(), "No answer from the instrument on COM1 within 5 s. Check that it is switched on and "
                        "connected to this port. Check the instrument's serial settings: this program uses 115200 "
                        "baud, 8 data bits, no parity, 1 stop bit (Port > Settings).");
    EXPECT_TRUE(ArchiveNames().isEmpty()); // nothing came, nothing to keep
}

TEST_F(CaptureWindowTest, TheAnswerTimeIsASetting)
{
    Start();
    settings.Write(settings::kAnswerTimeoutMs, "1500");
    Click(Form::Result);
    clock.Advance(1500);
    EXPECT_TRUE(Status().startsWith("No answer from the instrument on COM1 within 1.5 s."));
}

TEST_F(CaptureWindowTest, NonsenseInTheAnswerTimeMeansTheDefault)
{
    Start();
    settings.Write(settings::kAnswerTimeoutMs, "12 s");
    Click(Form::Result);
    clock.Advance(4999);
    EXPECT_TRUE(CommandsDisabled());
    clock.Advance(1);
    EXPECT_TRUE(CommandsEnabled());
}

TEST_F(CaptureWindowTest, BytesWithoutASingleLineEndAreKeptAllTheSame)
{
    // The wrong line speed, say.
    LineSettings{9600, 7, LineSettings::Parity::Even, 2}.Write(settings);
    Start();
    Click(Form::Result);
    driver.Arrive("\xF3\x1C garbage without a line end");
    driver.Raise(kTextEvent);
    clock.Advance(5000);
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_TRUE(Status().contains("sent 29 bytes but no complete line")) << Status().toStdString();
    EXPECT_TRUE(Status().endsWith("this program uses 9600 baud, 7 data bits, even parity, 2 stop bits (Port > "
                                  "Settings)."))
        << Status().toStdString();
    ASSERT_EQ(ArchiveNames().size(), 2);
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.bin"), "\xF3\x1C garbage without a line end");
}

TEST_F(CaptureWindowTest, TheHiddenVersionRequestWithoutAnAnswerSaysThatNothingCame)
{
    Start();
    Click(Form::Version);
    clock.Advance(5000);
    EXPECT_EQ(Control<QLineEdit>(Form::VersionText)->text(), "------");
    EXPECT_EQ(Status(), "No version came from the instrument on COM1 within 5 s.");
}

TEST_F(CaptureWindowTest, CommandsToAClosedPortSayWhichPortAndHowToChooseOne)
{
    driver.busy = {0};
    Start();
    ASSERT_EQ(prompts.errors.size(), 1u); // "Port COM1 is in use !" at start
    Click(Form::Result);
    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_EQ(prompts.errors[1], "Port COM1 is not open, so the instrument was not asked for its results.\n"
                                 "Choose the port the instrument is connected to in the Port menu.");
    Click(Form::ClearMemory);
    EXPECT_NE(prompts.errors.back().find("was not told to erase its results"), std::string::npos);
    EXPECT_TRUE(prompts.confirms.empty());
    EXPECT_EQ(driver.written, "");
    EXPECT_TRUE(CommandsEnabled());
}

TEST_F(CaptureWindowTest, WithNoPortEverTriedCommandsSayThatNoPortIsOpen)
{
    settings.Write(settings::kPort, "none");
    Start();
    Click(Form::Result);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors.back().rfind("No serial port is open, so the instrument was not asked", 0), 0u);
}

TEST_F(CaptureWindowTest, EveryCaptureIsArchivedByteForByte)
{
    Start();
    ReceiveThePrintout();
    ASSERT_EQ(ArchiveNames(), (QStringList{"Quellmax-2015-03-07-210508.bin", "Quellmax-2015-03-07-210508.txt"}));
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.bin"), test::kPrintout);
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.txt"), test::kPrintout);
    EXPECT_EQ(app->controller()->lastArchivePath(), (Captures() + "/Quellmax-2015-03-07-210508.txt").toStdString());
}

TEST_F(CaptureWindowTest, TheRawArchiveKeepsEveryByteAndTheTextArchiveTheLines)
{
    Start();
    Click(Form::Kappa5100);
    Click(Form::Result);
    const std::string kappa = "EquipmentID: K1\n\x00\x00X\r\n1.Defib 360 J\xB0\r\npartial"s;
    Receive(kappa);
    EXPECT_EQ(ReadFile(Captures() + "/Kappa 5100-2015-03-07-210508.bin"), kappa);
    EXPECT_EQ(ReadFile(Captures() + "/Kappa 5100-2015-03-07-210508.txt"), "EquipmentID: K1\r\nX\r\n1.Defib 360 J°\r\n");
}

TEST_F(CaptureWindowTest, ACaptureInTheSameSecondGetsANumberAndOverwritesNothing)
{
    // The clock has not moved: the next capture of the same second gets "-2".
    Start();
    ReceiveThePrintout();
    Click(Form::Result);
    Receive("EquipmentID: Q2\r\n");
    EXPECT_TRUE(QFile::exists(Captures() + "/Quellmax-2015-03-07-210508-2.txt"));
    EXPECT_TRUE(QFile::exists(Captures() + "/Quellmax-2015-03-07-210508-2.bin"));
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.txt"), test::kPrintout);
}

TEST_F(CaptureWindowTest, MoreOfThePrintoutAfterAPauseJoinsItsArchive)
{
    // More of the same printout after a pause longer than the quiet time joins its archive.
    Start();
    Click(Form::Result);
    Receive("EquipmentID: Q2\r\n");
    Receive("1.Case Leakage 0.2 uA\r\n");
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.txt"), "EquipmentID: Q2\r\n1.Case Leakage 0.2 uA\r\n");
    EXPECT_EQ(ArchiveNames().size(), 2); // one pair, no second
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(CaptureWindowTest, AnArchiveThatCannotBeWrittenIsShown)
{
    ReceiveThePrintoutWithTheArchiveFolderBlocked();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find(Captures().toStdString()), std::string::npos) << prompts.errors[0];
    EXPECT_NE(prompts.errors[0].find("not a folder"), std::string::npos) << prompts.errors[0];
    EXPECT_TRUE(Status().endsWith("NOT archived"));
    EXPECT_EQ(Lines().size(), 7); // the lines stay on the screen
}

TEST_F(CaptureWindowTest, ACaptureThatIsNotArchivedBlocksTheErase)
{
    // The instrument holds the only other copy: it is not erased.
    ReceiveThePrintoutWithTheArchiveFolderBlocked();
    Click(Form::ClearMemory);
    ASSERT_EQ(prompts.errors.size(), 2u);
    EXPECT_NE(prompts.errors[1].find("The instrument was not erased"), std::string::npos);
    EXPECT_TRUE(prompts.confirms.empty());
    EXPECT_EQ(driver.written, "");
}

TEST_F(CaptureWindowTest, OnceTheArchiveFolderCanBeWrittenTheEraseArchivesFirstAndThenAsks)
{
    ReceiveThePrintoutWithTheArchiveFolderBlocked();
    ASSERT_TRUE(QFile::remove(Captures()));
    Click(Form::ClearMemory);
    EXPECT_EQ(ArchiveNames().size(), 2);
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_EQ(prompts.confirms[0], "Erase all results in the Quellmax?");
    EXPECT_EQ(prompts.confirmDefaults[0], DefaultButton::Ok);
    EXPECT_EQ(driver.written, "PRINTCLR\r\n");
    EXPECT_EQ(Status(), "Erase command sent to Quellmax on COM1");
}

TEST_F(CaptureWindowTest, EraseWithNothingReadSaysSoAndDefaultsToCancel)
{
    Start();
    prompts.confirmAnswer = kIdCancel;
    Click(Form::ClearMemory);
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_EQ(prompts.confirms[0], "Erase all results in the Quellmax?\n"
                                   "Nothing has been read from it since the port was opened.");
    EXPECT_EQ(prompts.confirmDefaults[0], DefaultButton::Cancel);
    EXPECT_EQ(driver.written, "");
}

TEST_F(CaptureWindowTest, ACaptureReadOnThisPortTakesTheEraseWarningAway)
{
    Start();
    prompts.confirmAnswer = kIdCancel;
    ReceiveThePrintout();
    Click(Form::ClearMemory);
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_EQ(prompts.confirms[0], "Erase all results in the Quellmax?");
}

TEST_F(CaptureWindowTest, APortSwitchAfterACaptureBringsTheEraseWarningBack)
{
    Start();
    prompts.confirmAnswer = kIdCancel;
    ReceiveThePrintout();
    app->frame()->portAction(2)->trigger();
    Click(Form::ClearMemory);
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_NE(prompts.confirms[0].find("Nothing has been read"), std::string::npos);
}

TEST_F(CaptureWindowTest, ThePacemakerAnalyzerHasNoEraseCommandAndTheStatusBarSaysSo)
{
    Start();
    Click(Form::Pactrx);
    Click(Form::ClearMemory);
    EXPECT_TRUE(prompts.confirms.empty());
    EXPECT_EQ(Status(), "The PACTRX has no erase command; nothing was sent.");
}

TEST_F(CaptureWindowTest, APortLostInTheMiddleOfAPrintoutKeepsWhatCame)
{
    Start();
    Click(Form::Result);
    driver.Arrive("EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n2.Gro");
    driver.Raise(kTextEvent);
    driver.Lose("Input/output error");
    EXPECT_TRUE(CommandsEnabled());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0], "The serial port COM1 stopped working and was closed:\nInput/output error\n"
                                 "It opens again by itself if its adapter comes back within a minute.");
    EXPECT_TRUE(
        Status().startsWith("The capture on COM1 was cut off when the port was lost; the 2 lines that came were "
                            "archived as captures/Quellmax-2015-03-07-210508.txt"));
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.bin"),
              "EquipmentID: 10234\r\n1.Case Leakage 0.1 uA\r\n2.Gro");
    EXPECT_EQ(Rows(), (QStringList{"1|Case Leakage|0.1 uA"}));
    // No late "results ready" overwrites what the status bar says.
    clock.Advance(1000);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Status().startsWith("The capture on COM1 was cut off"));
}

TEST_F(CaptureWindowTest, AnAdapterBackWithinAMinuteOpensThePortAgainAndSaysSo)
{
    Start();
    driver.Lose("Input/output error");
    EXPECT_TRUE(Status().endsWith("Waiting a minute for its adapter to come back.")) << Status().toStdString();
    ShowPortMenu();
    EXPECT_FALSE(app->frame()->portAction(1)->isChecked()); // a lost port is not open
    clock.Advance(5000);
    EXPECT_EQ(driver.backQueries, 5); // once a second
    EXPECT_FALSE(driver.IsOpen());
    driver.adapterBack = true;
    clock.Advance(1000);
    EXPECT_TRUE(driver.IsOpen());
    ShowPortMenu();
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());
    EXPECT_EQ(driver.opened, (std::vector<int>{0, 0}));
    EXPECT_EQ(Status(), "Port COM1 is open again: its adapter came back.");
    EXPECT_FALSE(app->controller()->IsWaitingForAdapter());
    // The port works as before.
    ReceiveThePrintout();
    EXPECT_EQ(Lines().size(), 7);
}

TEST_F(CaptureWindowTest, AnAdapterBackButNotReadyIsTriedAgain)
{
    Start();
    driver.Lose("Input/output error");
    driver.adapterBack = true;
    driver.busy = {0};
    clock.Advance(1000);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(prompts.errors.size() == 1u); // trying again is quiet
    driver.busy.clear();
    clock.Advance(1000);
    EXPECT_TRUE(driver.IsOpen());
}

TEST_F(CaptureWindowTest, AnAdapterAwayForAMinuteIsNoLongerAwaited)
{
    Start();
    driver.Lose("Input/output error");
    clock.Advance(ReplugWatch::kWindowMs);
    EXPECT_FALSE(app->controller()->IsWaitingForAdapter());
    EXPECT_EQ(Status(), "Port COM1 did not come back within a minute; choose it in the Port menu once its adapter "
                        "is plugged in again.");
    const int queries = driver.backQueries;
    driver.adapterBack = true;
    clock.Advance(5000);
    EXPECT_EQ(driver.backQueries, queries);
    EXPECT_FALSE(driver.IsOpen());
}

TEST_F(CaptureWindowTest, ChoosingAPortEndsTheWaitForTheLostOne)
{
    Start();
    driver.Lose("Input/output error");
    app->frame()->portAction(2)->trigger();
    EXPECT_FALSE(app->controller()->IsWaitingForAdapter());
    driver.adapterBack = true;
    clock.Advance(5000);
    EXPECT_EQ(driver.opened, (std::vector<int>{0, 1}));
    EXPECT_EQ(app->controller()->currentPort(), 2);
}

TEST_F(CaptureWindowTest, ALineThatNeverGoesQuietIsEndedByTheCaptureLimitAndWhatCameIsKept)
{
    const std::string noise = CrossTheCaptureLimit();
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_TRUE(Status().startsWith("The capture on COM1 reached its limit of 1 KiB (\"Serial\"/\"MaxCaptureBytes\") "
                                    "and was ended; the "))
        << Status().toStdString();
    // The read that crossed the limit still made its lines, and all of it is kept.
    EXPECT_EQ(ReadFile(Captures() + "/Quellmax-2015-03-07-210508.bin"), noise);
    EXPECT_EQ(static_cast<int>(Lines().size()), static_cast<int>(ParseCaptureFile(noise).size()));
}

TEST_F(CaptureWindowTest, WhatComesAfterTheCaptureLimitIsDrainedUntilTheLineGoesQuiet)
{
    CrossTheCaptureLimit();
    const int shown = static_cast<int>(Lines().size());
    for (int i = 0; i < 5; ++i) {
        driver.Arrive("77.More noise 1 uA\r\n");
        driver.Raise(kTextEvent);
        clock.Advance(500);
    }
    EXPECT_EQ(Lines().size(), shown);
    clock.Advance(750);
    EXPECT_EQ(Status(), "The line on COM1 went quiet; 100 bytes after the capture's limit were ignored.");
    // The port works on.
    ReceiveThePrintout();
    EXPECT_EQ(Lines().size(), 7);
}

TEST_F(CaptureWindowTest, ACaptureThatRunsTooLongIsEndedTheSameWay)
{
    Start();
    settings.Write(settings::kMaxCaptureSeconds, "2");
    Click(Form::Result);
    for (int i = 0; i < 5; ++i) {
        driver.Arrive("1.Case Leakage 0.1 uA\r\n");
        driver.Raise(kTextEvent);
        clock.Advance(500);
    }
    EXPECT_TRUE(Status().startsWith("The capture on COM1 ran for its limit of 2 s")) << Status().toStdString();
    EXPECT_TRUE(CommandsEnabled());
}

TEST_F(CaptureWindowTest, TheStatusBarKeepsItsMessageWhenAMenuPromptComesAndGoes)
{
    Start();
    EXPECT_EQ(Status(), "Ready");
    ReceiveThePrintout();
    const QString received = Status();
    ASSERT_TRUE(received.startsWith("Received 7 lines"));
    // What a highlighted menu item does: its prompt, then an empty one.
    QStatusTipEvent prompt(QStringLiteral("Quit the application; prompts to save documents"));
    QApplication::sendEvent(app->frame(), &prompt);
    EXPECT_EQ(app->frame()->statusBar()->currentMessage(), "Quit the application; prompts to save documents");
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(app->frame(), &none);
    EXPECT_EQ(Status(), received);
    auto* message = app->frame()->statusBar()->findChild<QLabel*>("statusMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_FALSE(message->isHidden());

    Click(Form::ClearScreen);
    EXPECT_EQ(Status(), "Screen cleared; the equipment IDs and their readings stay listed.");
}

TEST_F(CaptureWindowTest, SavedCapturesGetTheExtensionThatOpenLooksFor)
{
    QTemporaryDir dir;
    Start();
    ReceiveThePrintout();
    SaveAs(dir.filePath("capture1"));
    EXPECT_EQ(ReadFile(dir.filePath("capture1.txt")), test::kPrintout);
    EXPECT_FALSE(QFile::exists(dir.filePath("capture1")));
    EXPECT_TRUE(Status().endsWith("capture1.txt"));
}

TEST_F(CaptureWindowTest, ReplacingTheFileWithTheAddedExtensionIsAskedFirst)
{
    // The chooser asked about "capture1", not "capture1.txt": replacing that one is asked first.
    QTemporaryDir dir;
    Start();
    ReceiveThePrintout();
    SaveAs(dir.filePath("capture1"));
    // Other lines on the screen, so that a save that went ahead would show.
    Click(Form::Result);
    Receive("EquipmentID: Q2\r\n");
    prompts.confirmAnswer = kIdCancel;
    SaveAs(dir.filePath("capture1"));
    ASSERT_EQ(prompts.confirms.size(), 1u);
    EXPECT_NE(prompts.confirms[0].find("capture1.txt already exists"), std::string::npos);
    EXPECT_EQ(prompts.confirmDefaults[0], DefaultButton::Cancel);
    EXPECT_EQ(ReadFile(dir.filePath("capture1.txt")), test::kPrintout);
}

TEST_F(CaptureWindowTest, ASavedNameWithAnExtensionIsTakenAsItIs)
{
    QTemporaryDir dir;
    Start();
    ReceiveThePrintout();
    SaveAs(dir.filePath("capture2.log"));
    EXPECT_TRUE(QFile::exists(dir.filePath("capture2.log")));
}

} // namespace
} // namespace tessaprint
