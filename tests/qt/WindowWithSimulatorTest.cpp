// The whole window on a real port: Qt SerialPort talks to tessaprint-sim on a
// pseudo-terminal named as COM1's device in the settings.
#include "../core/ScriptedPrompts.h"

#include "app/CMainFrame.h"
#include "app/CQuellmaxApp.h"
#include "link/QtSerialDriver.h"
#include "results/CaptureFile.h"
#include "sim/SamplePrintouts.h"
#include "sim/SimulatedDriver.h"
#include "util/QtClock.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace tessaprint {
namespace {

TEST(WindowWithSimulatorTest, ResultClickCapturesTheKappaPrintoutThroughTheTerminal)
{
    QProcess simulator;
    simulator.start(QStringLiteral(TESSAPRINT_SIM_PATH), {"--kind", "kappa", "--baud", "115200"});
    ASSERT_TRUE(simulator.waitForReadyRead(5000));
    const std::string device = QString::fromUtf8(simulator.readLine()).trimmed().toStdString();

    MemorySettingsStore settings;
    settings.WriteProfileString("Serial", "COM1Device", device);
    settings.WriteProfileString("Settings", "szUnitType", "Kappa 5100");
    QtClock clock;
    test::ScriptedPrompts prompts;
    QtSerialDriver driver(QtSerialDriver::SettingsResolver(settings));
    CQuellmaxApp app({driver, settings, prompts, clock});
    ASSERT_TRUE(app.InitInstance(false));
    ASSERT_TRUE(prompts.errors.empty()) << prompts.errors.front();
    EXPECT_EQ(app.controller()->currentPort(), 1);

    QTest::mouseClick(app.frame()->findChild<QPushButton*>("1006"), Qt::LeftButton);
    auto* results = app.frame()->findChild<QLabel*>("1012");
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));

    const auto expected = ParseCaptureFile(SamplePrintout(InstrumentKind::Kappa5100));
    auto* lines = app.frame()->findChild<QListWidget*>("1002");
    ASSERT_EQ(lines->count(), static_cast<int>(expected.size()));
    for (int i = 0; i < lines->count(); ++i) {
        EXPECT_EQ(lines->item(i)->text().toStdString(), expected[static_cast<std::size_t>(i)]);
    }
    auto* selector = app.frame()->findChild<QComboBox*>("1009");
    ASSERT_EQ(selector->count(), 5);
    EXPECT_EQ(selector->itemText(0), " ICU-DF-07");
    EXPECT_EQ(app.frame()->findChild<QTreeWidget*>("1010")->topLevelItemCount(), 20);
    EXPECT_TRUE(app.frame()->findChild<QPushButton*>("1011")->isEnabled());

    simulator.terminate();
    simulator.waitForFinished(5000);
}

TEST(WindowWithSimulatorTest, DemoInstrumentFollowsTheKindAndBusyPortIsReported)
{
    // What --demo puts together: the simulated instrument inside the program.
    QtClock clock;
    SimulatedInstrument instrument(InstrumentKind::Quellmax);
    SimulatedDriver driver(instrument, clock);
    driver.SetBusyPorts({1});
    MemorySettingsStore settings;
    test::ScriptedPrompts prompts;
    CQuellmaxApp app({driver, settings, prompts, clock});
    app.SetKindChangedHandler([&instrument](InstrumentKind kind) { instrument.SetKind(kind); });
    ASSERT_TRUE(app.InitInstance(false));

    QTest::mouseClick(app.frame()->findChild<QRadioButton*>("1057"), Qt::LeftButton);
    QTest::mouseClick(app.frame()->findChild<QPushButton*>("1006"), Qt::LeftButton);
    auto* results = app.frame()->findChild<QLabel*>("1012");
    ASSERT_TRUE(QTest::qWaitFor([&] { return results->text() == "Results"; }, 30'000));
    auto* selector = app.frame()->findChild<QComboBox*>("1009");
    ASSERT_EQ(selector->count(), 5);
    EXPECT_EQ(selector->itemText(0), " PM-TEMP-04");

    app.frame()->portAction(2)->trigger();
    EXPECT_EQ(prompts.errors.back().rfind("          Port COM2 is in use !", 0), 0u);
    EXPECT_TRUE(app.frame()->portAction(1)->isChecked());
}

} // namespace
} // namespace tessaprint
