// The whole window on a real port: Qt SerialPort talks to tessaprint-sim on a
// pseudo-terminal named as COM1's device in the settings.
#include "../core/ScriptedPrompts.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "app/DemoMode.h"
#include "docs/COptionsDirectory.h"
#include "history/QtHistoryRecorder.h"
#include "link/QtSerialDriver.h"
#include "results/CaptureFile.h"
#include "results/ReportsFolder.h"
#include "sim/SamplePrintouts.h"
#include "sim/SimulatedDriver.h"
#include "util/ControlId.h"
#include "util/FileIo.h"
#include "util/QtClock.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace tessaprint {
namespace {

namespace Form = ControlId::Form;

// tessaprint-sim on a pseudo-terminal named as COM1's device, and the window
// on it through Qt SerialPort.
class WindowWithSimulatorTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        app.reset();
        simulator.terminate();
        simulator.waitForFinished(5000);
    }

    // COM1's device is the simulator's terminal, or the link given to it with --link.
    void Start(const QString& kind, const QString& baud, const QString& link = {})
    {
        ASSERT_NO_FATAL_FAILURE(StartSimulator(kind, baud, link));
        settings.WriteProfileString(std::string(settings::kSerial), settings::PortDeviceKey(1),
                                    (link.isEmpty() ? terminal : link).toStdString());
        app = std::make_unique<CQuellmaxApp>(CQuellmaxApp::Parts{driver, settings, prompts, clock});
        ASSERT_TRUE(app->InitInstance(false));
        ASSERT_TRUE(prompts.errors.empty()) << prompts.errors.front();
        EXPECT_EQ(app->controller()->currentPort(), 1);
    }

    void StartSimulator(const QString& kind, const QString& baud, const QString& link)
    {
        QStringList arguments{"--kind", kind, "--baud", baud};
        if (!link.isEmpty()) {
            arguments << "--link" << link;
        }
        simulator.start(QStringLiteral(TESSAPRINT_SIM_PATH), arguments + extraArguments);
        ASSERT_TRUE(simulator.waitForReadyRead(5000));
        terminal = QString::fromUtf8(simulator.readLine()).trimmed();
    }

    // A long printout at 9600 baud whose far end goes away once 20 lines have
    // come; returns when the window has said so.
    void HangUpInTheMiddleOfAPrintout()
    {
        settings.Write(settings::kReports, reports.path().toStdString());
        extraArguments = {"--data", QStringLiteral(TESSAPRINT_TEST_DATA_DIR "/quellmax-50-records.txt")};
        ASSERT_NO_FATAL_FAILURE(Start("quellmax", "9600"));
        auto* lines = app->frame()->findChild<QListWidget*>(ControlName(Form::Lines));
        QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::Result)), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return lines->count() >= 20; }, 10'000));
        simulator.kill(); // the far end of the line is gone
        ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.errors.empty(); }, 5000));
    }

    QTemporaryDir reports;
    QProcess simulator;
    QStringList extraArguments; // after --kind and --baud
    QString terminal;           // the simulator's pseudo-terminal
    MemorySettingsStore settings;
    QtClock clock;
    test::ScriptedPrompts prompts;
    QtSerialDriver driver{QtSerialDriver::SettingsResolver(settings)};
    std::unique_ptr<CQuellmaxApp> app;
};

TEST_F(WindowWithSimulatorTest, ResultClickCapturesTheKappaPrintoutThroughTheTerminal)
{
    settings.Write(settings::kUnitType, "Kappa 5100");
    Start("kappa", "115200");

    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::Result)), Qt::LeftButton);
    auto* results = app->frame()->findChild<QLabel*>(ControlName(Form::ResultsCaption));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));

    const auto expected = ParseCaptureFile(SamplePrintout(InstrumentKind::Kappa5100));
    auto* lines = app->frame()->findChild<QListWidget*>(ControlName(Form::Lines));
    ASSERT_EQ(lines->count(), static_cast<int>(expected.size()));
    for (int i = 0; i < lines->count(); ++i) {
        EXPECT_EQ(lines->item(i)->text().toStdString(), expected[static_cast<std::size_t>(i)]);
    }
    auto* selector = app->frame()->findChild<QComboBox*>(ControlName(Form::EquipmentId));
    ASSERT_EQ(selector->count(), 5);
    EXPECT_EQ(selector->itemText(0), " ICU-DF-07");
    EXPECT_EQ(app->frame()->findChild<QTreeWidget*>(ControlName(Form::Readings))->topLevelItemCount(), 20);
    EXPECT_TRUE(app->frame()->findChild<QPushButton*>(ControlName(Form::DataSheet))->isEnabled());
}

TEST_F(WindowWithSimulatorTest, ASecondResultDuringASlowPrintoutCannotCutItAndTheArchiveHoldsItWhole)
{
    // 4800 baud: the Quellmax printout takes about four seconds.
    settings.Write(settings::kReports, reports.path().toStdString());
    Start("quellmax", "4800");

    auto* result = app->frame()->findChild<QPushButton*>(ControlName(Form::Result));
    auto* lines = app->frame()->findChild<QListWidget*>(ControlName(Form::Lines));
    QTest::mouseClick(result, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines->count() >= 10; }, 10'000));
    EXPECT_FALSE(result->isEnabled());
    QTest::mouseClick(result, Qt::LeftButton); // the technician presses again while it prints
    auto* results = app->frame()->findChild<QLabel*>(ControlName(Form::ResultsCaption));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));
    EXPECT_TRUE(result->isEnabled());

    const std::string sample(SamplePrintout(InstrumentKind::Quellmax));
    const auto expected = ParseCaptureFile(sample);
    ASSERT_EQ(lines->count(), static_cast<int>(expected.size()));
    EXPECT_EQ(app->frame()->findChild<QComboBox*>(ControlName(Form::EquipmentId))->count(), 6);
    const QString archive = QString::fromStdString(app->controller()->lastArchivePath());
    ASSERT_FALSE(archive.isEmpty());
    EXPECT_TRUE(archive.startsWith(reports.path() + "/captures/Quellmax-"));
    QFile raw(QString(archive).replace(QStringLiteral(".txt"), QStringLiteral(".bin")));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_EQ(raw.readAll().toStdString(), sample);
    QFile text(archive);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(ParseCaptureFile(text.readAll().toStdString()), expected);
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(WindowWithSimulatorTest, AHangUpInTheMiddleOfAPrintoutIsReportedAndWhatCameIsKept)
{
    ASSERT_NO_FATAL_FAILURE(HangUpInTheMiddleOfAPrintout());
    EXPECT_EQ(prompts.errors[0].rfind("The serial port COM1 stopped working and was closed:\nreading failed", 0), 0u)
        << prompts.errors[0];
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(app->frame()->findChild<QPushButton*>(ControlName(Form::Result))->isEnabled());
    EXPECT_TRUE(app->frame()->statusText().startsWith("The capture on COM1 was cut off when the port was lost; the "))
        << app->frame()->statusText().toStdString();
    // Every line that came is on the screen and in the archive.
    auto* lines = app->frame()->findChild<QListWidget*>(ControlName(Form::Lines));
    const QString archive = QString::fromStdString(app->controller()->lastArchivePath());
    QFile text(archive);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(static_cast<int>(ParseCaptureFile(text.readAll().toStdString()).size()), lines->count());
}

TEST_F(WindowWithSimulatorTest, APortClosedByAHangUpStaysQuiet)
{
    // No spinning on a terminal that hung up.
    ASSERT_NO_FATAL_FAILURE(HangUpInTheMiddleOfAPrintout());
    const int wakeups = driver.Wakeups();
    QTest::qWait(500);
    EXPECT_EQ(driver.Wakeups(), wakeups);
}

TEST_F(WindowWithSimulatorTest, AnInstrumentPluggedInAgainAtItsLinkIsOpenedAgainByItself)
{
    QTemporaryDir links;
    const QString link = links.filePath(QStringLiteral("instrument"));
    settings.Write(settings::kReports, reports.path().toStdString());
    ASSERT_NO_FATAL_FAILURE(Start("quellmax", "115200", link));

    simulator.kill(); // unplugged while idle: the terminal's far end closes
    simulator.waitForFinished(5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.errors.empty(); }, 5000));
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(app->controller()->IsWaitingForAdapter());

    // Plugged in again: a new terminal behind the same link, found by the once-a-second look.
    ASSERT_NO_FATAL_FAILURE(StartSimulator("quellmax", "115200", link));
    ASSERT_TRUE(QTest::qWaitFor([&] { return driver.IsOpen(); }, 10'000));
    EXPECT_EQ(prompts.errors.size(), 1u); // only the loss was a message
    EXPECT_FALSE(app->controller()->IsWaitingForAdapter());
    EXPECT_EQ(app->frame()->statusText(), "Port COM1 is open again: its adapter came back.");
    emit app->frame()->findChild<QMenu*>(QStringLiteral("menuPort"))->aboutToShow();
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());

    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::Result)), Qt::LeftButton);
    auto* results = app->frame()->findChild<QLabel*>(ControlName(Form::ResultsCaption));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));
    const auto expected = ParseCaptureFile(SamplePrintout(InstrumentKind::Quellmax));
    EXPECT_EQ(app->frame()->findChild<QListWidget*>(ControlName(Form::Lines))->count(),
              static_cast<int>(expected.size()));
}

TEST_F(WindowWithSimulatorTest, APortThatDoesNotOpenNamesItsDeviceAndTheSystemsReason)
{
    ASSERT_NO_FATAL_FAILURE(Start("pactrx", "115200"));
    const QString missing = reports.filePath(QStringLiteral("no-such-adapter"));
    settings.WriteProfileString(std::string(settings::kSerial), settings::PortDeviceKey(6), missing.toStdString());
    app->frame()->portAction(6)->trigger();
    ASSERT_EQ(prompts.errors.size(), 1u);
    const std::string expected = "          Port COM6 is in use !\n" + missing.toStdString() + ": ";
    EXPECT_EQ(prompts.errors[0].rfind(expected, 0), 0u) << prompts.errors[0];
    EXPECT_GT(prompts.errors[0].size(), expected.size()); // the system's words follow, then what to check
    EXPECT_NE(prompts.errors[0].find("adapter"), std::string::npos) << prompts.errors[0];
    EXPECT_TRUE(driver.IsOpen()); // COM1 again
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());
}

// What --demo puts together, in a folder of the test's own: the simulated
// instrument inside the program with COM2 busy, the history in memory, and
// the demo's folder for what it writes. The settings name a reports folder
// of their own, as the real program's do.
class DemoWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        real = folder.path().toStdString() + "/real";
        settings.Write(settings::kReports, real);
        std::filesystem::create_directories(real + "/captures");
        ASSERT_TRUE(WriteWholeFile(real + "/captures/Quellmax-2014-03-14-101500.txt",
                                   "EquipmentID: REAL-1\r\nDate: 03/14/2014\r\n1.Case Leakage 0.1 uA\r\n"));
        before = FilesBelow(DefaultReportsFolder());
        demo = std::make_unique<DemoMode>(clock, folder.path() + "/demo");
        CQuellmaxApp::Parts parts{demo->driver(), settings, prompts, clock};
        demo->Configure(parts);
        app = std::make_unique<CQuellmaxApp>(parts);
        demo->Attach(*app);
        ASSERT_TRUE(app->InitInstance(false));
    }

    // Every file below folder, with its size and time.
    static std::vector<std::string> FilesBelow(const std::string& top)
    {
        std::vector<std::string> files;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(top, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            const auto written = std::filesystem::last_write_time(it->path(), ec);
            files.push_back(it->path().string() + " " + std::to_string(written.time_since_epoch().count()));
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    QTemporaryDir folder;
    std::string real; // the reports folder the settings name
    std::vector<std::string> before;
    QtClock clock;
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    std::unique_ptr<DemoMode> demo;
    std::unique_ptr<CQuellmaxApp> app;
};

TEST_F(DemoWindowTest, EverythingTheDemoWritesStaysInItsOwnFolder)
{
    const std::string own = demo->reportsFolder().toStdString();
    // The first start takes in the demo's own (empty) archive, never the real one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return settings.Read(settings::kArchiveImported, "") == "1"; }, 10'000));
    EXPECT_TRUE(demo->history().Lookup("REAL-1").value().empty());
    EXPECT_TRUE(app->historyRecorder()->queueFile().startsWith(folder.path() + "/demo/"));

    const std::size_t seeded = demo->history().Captures().size();
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::Result)), Qt::LeftButton);
    auto* results = app->frame()->findChild<QLabel*>(ControlName(Form::ResultsCaption));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::DataSheet)), Qt::LeftButton);
    ASSERT_TRUE(prompts.messageBoxes.empty()) << prompts.messageBoxes.front();
    EXPECT_EQ(app->controller()->lastArchivePath().rfind(own + "/captures/Quellmax-", 0), 0u)
        << app->controller()->lastArchivePath();
    EXPECT_EQ(app->controller()->lastDocumentPath().rfind(own + "/", 0), 0u) << app->controller()->lastDocumentPath();
    ASSERT_TRUE(QTest::qWaitFor([&] { return demo->history().Captures().size() == seeded + 1; }, 10'000));
    EXPECT_EQ(demo->history().Captures().back().archiveName.rfind("Quellmax-", 0), 0u);

    // Options > Directories shows the demo's folder and cannot change it.
    app->OnOptionsDirectories();
    auto* box = app->directories()->findChild<QLineEdit*>(ControlName(ControlId::Directories::Reports));
    EXPECT_EQ(box->text().toStdString(), own);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_FALSE(app->directories()->findChild<QPushButton*>(ControlName(ControlId::Directories::Browse))->isEnabled());
    box->setText(QString::fromStdString(real));
    app->directories()->OnOK();
    EXPECT_EQ(app->controller()->reportsFolder(), own);

    // The real folder, the built-in one and the settings' folder are as they were.
    EXPECT_EQ(settings.Read(settings::kReports, ""), real);
    EXPECT_EQ(FilesBelow(real).size(), 2u); // captures/ and the one capture put there
    EXPECT_EQ(FilesBelow(DefaultReportsFolder()), before);
}

TEST_F(DemoWindowTest, DemoInstrumentFollowsTheKind)
{
    QTest::mouseClick(app->frame()->findChild<QRadioButton*>(ControlName(Form::Pactrx)), Qt::LeftButton);
    QTest::mouseClick(app->frame()->findChild<QPushButton*>(ControlName(Form::Result)), Qt::LeftButton);
    auto* results = app->frame()->findChild<QLabel*>(ControlName(Form::ResultsCaption));
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));
    auto* selector = app->frame()->findChild<QComboBox*>(ControlName(Form::EquipmentId));
    ASSERT_EQ(selector->count(), 5);
    EXPECT_EQ(selector->itemText(0), " PM-TEMP-04");
}

TEST_F(DemoWindowTest, DemoBusyPortIsReportedAndThePortInUseStays)
{
    app->frame()->portAction(2)->trigger();
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors.back().rfind("          Port COM2 is in use !", 0), 0u);
    EXPECT_TRUE(app->frame()->portAction(1)->isChecked());
}

} // namespace
} // namespace tessaprint
