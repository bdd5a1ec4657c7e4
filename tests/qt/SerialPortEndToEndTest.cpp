// The Qt SerialPort driver against tessaprint-sim on a pseudo-terminal: the
// bytes cross a real terminal device, paced at the line speed.
#include "../core/OwnHome.h"
#include "app/QtSettingsStore.h"
#include "link/InstrumentCommands.h"
#include "link/LocalPortSystemView.h"
#include "link/QtSerialDriver.h"
#include "link/ReceivePath.h"
#include "link/Replay.h"
#include "link/SystemSerialPortList.h"
#include "results/CaptureFile.h"
#include "results/ResultsListing.h"
#include "util/ManualClock.h"
#include "util/QtClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tessaprint {
namespace {

const QString kSimulator = QStringLiteral(TESSAPRINT_SIM_PATH);
const QString kDataDir = QStringLiteral(TESSAPRINT_TEST_DATA_DIR);

// The form's lists; the results-ready message ends the wait.
class WaitingView : public ResultsListing {
public:
    void PostResultsReady() override
    {
        ResultsListing::PostResultsReady();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    }
    void SetVersionText(const std::string& text) override
    {
        ResultsListing::SetVersionText(text);
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    }
    // Runs the event loop until a quit or the time limit; false on time out.
    bool Wait(int limitMs)
    {
        bool timedOut = false;
        QTimer::singleShot(limitMs, &loop, [&] {
            timedOut = true;
            loop.quit();
        });
        loop.exec();
        return !timedOut;
    }
    QEventLoop loop;
};

class SerialPortEndToEndTest : public ::testing::Test {
protected:
    // Starts the simulator and returns the path of its terminal.
    QString StartSimulator(const QStringList& args)
    {
        simulator.start(kSimulator, args);
        EXPECT_TRUE(simulator.waitForStarted(5000));
        EXPECT_TRUE(simulator.waitForReadyRead(5000));
        return QString::fromUtf8(simulator.readLine()).trimmed();
    }

    // Opens the device through the Qt driver with the receive path behind it.
    ::testing::AssertionResult Connect(const QString& device, QtSerialDriver::PortLister listPorts = {})
    {
        driver = std::make_unique<QtSerialDriver>([device](int) { return device; }, std::move(listPorts));
        path = std::make_unique<ReceivePath>(*driver, table, view, view, clock);
        if (driver->DrvOpen(0) != 0) {
            return ::testing::AssertionFailure()
                   << "cannot open " << device.toStdString() << ": " << driver->LastErrorText();
        }
        driver->DrvSetCallback([this](int code) { return path->OnDriverEvent(code); });
        driver->DrvEnable(1);
        return ::testing::AssertionSuccess();
    }

    void TearDown() override
    {
        simulator.terminate();
        simulator.waitForFinished(5000);
    }

    QProcess simulator;
    QtClock clock;
    ResultsTable table;
    WaitingView view;
    std::unique_ptr<QtSerialDriver> driver;
    std::unique_ptr<ReceivePath> path;
};

TEST_F(SerialPortEndToEndTest, FiftyRecordPrintoutAt115200BaudArrivesWithEveryLine)
{
    const QString file = kDataDir + QStringLiteral("/quellmax-50-records.txt");
    const QString device = StartSimulator({"--kind", "quellmax", "--data", file, "--baud", "115200"});
    ASSERT_TRUE(Connect(device));

    table.ClearResults();
    SendCommand(*driver, kPrintCommand);
    ASSERT_TRUE(view.Wait(60'000)) << "no end of printout; lines so far: " << view.lines().size();

    QFile sample(file);
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const std::string bytes = sample.readAll().toStdString();
    EXPECT_EQ(view.lines(), ParseCaptureFile(bytes));

    ResultsTable expected;
    ResultsListing offline;
    ReplayTranscript(bytes, expected, offline);
    ASSERT_EQ(table.recordIndex(), 49);
    ASSERT_EQ(view.selectorItems().size(), 50u);
    EXPECT_EQ(view.selectorItems().front(), " DIA-WRM-19");
    EXPECT_EQ(view.selectorItems().back(), " 80220");
    EXPECT_EQ(view.selectorItems(), offline.selectorItems());
    for (int r = 0; r < 50; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(table.EquipmentId(r), expected.EquipmentId(r));
        EXPECT_EQ(table.Date(r), expected.Date(r));
        ASSERT_EQ(table.ValueCount(r), expected.ValueCount(r));
        EXPECT_GE(table.ValueCount(r), 8);
        for (int n = 0; n < table.ValueCount(r); ++n) {
            EXPECT_EQ(table.Value(r, n), expected.Value(r, n));
        }
    }
}

TEST_F(SerialPortEndToEndTest, VersionReplyCrossesTheTerminalAsAFrame)
{
    ASSERT_TRUE(Connect(StartSimulator({"--kind", "kappa"})));
    SendVersionRequest(*driver);
    ASSERT_TRUE(view.Wait(10'000));
    EXPECT_EQ(view.versionText(), "Kappa 5100 3.02");
    EXPECT_TRUE(view.lines().empty());
}

TEST(QtSerialDriverTest, AMissingPortFailsTheOpenWithAReasonThatNamesTheDevice)
{
    QtSerialDriver missing([](int) { return QStringLiteral("/dev/tessaprint-no-such-port"); });
    EXPECT_NE(missing.DrvOpen(0), 0);
    const std::string reason = missing.LastErrorText();
    EXPECT_EQ(reason.rfind("/dev/tessaprint-no-such-port: ", 0), 0u) << reason;
    EXPECT_GT(reason.size(), std::string("/dev/tessaprint-no-such-port: ").size());
    EXPECT_NE(missing.DrvOpen(10), 0);
}

TEST_F(SerialPortEndToEndTest, AnAdapterWithASerialNumberThatComesBackElsewhereIsOpenedThere)
{
    // The adapter A10K3L9Q at ttyUSB0 (a link to the first simulator's terminal), COM1's configured device.
    QTemporaryDir dev;
    const QString configured = dev.filePath(QStringLiteral("ttyUSB0"));
    QList<SerialPortEntry> listed;
    SerialPortEntry adapter;
    adapter.device = configured;
    adapter.serialNumber = QStringLiteral("A10K3L9Q");
    StartSimulator({"--kind", "quellmax", "--link", configured});
    listed = {adapter};
    ASSERT_TRUE(Connect(configured, [&listed] { return listed; }));
    EXPECT_FALSE(driver->IsLostPortBack()); // nothing was lost

    simulator.kill(); // unplugged: the terminal hangs up and, as a USB adapter's would, its device goes
    simulator.waitForFinished(5000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver->IsOpen(); }, 5000));
    QFile::remove(configured);
    listed.clear();
    EXPECT_FALSE(driver->IsLostPortBack());
    SerialPortEntry other = adapter;
    other.serialNumber = QStringLiteral("FT0OTHER"); // another adapter where it was
    listed = {other};
    EXPECT_FALSE(driver->IsLostPortBack());

    // Plugged in again, at ttyUSB1.
    adapter.device = dev.filePath(QStringLiteral("ttyUSB1"));
    StartSimulator({"--kind", "kappa", "--link", adapter.device});
    listed = {other, adapter};
    ASSERT_TRUE(driver->IsLostPortBack());
    ASSERT_EQ(driver->DrvOpen(0), 0) << driver->LastErrorText();
    driver->DrvSetCallback([this](int code) { return path->OnDriverEvent(code); });
    driver->DrvEnable(1);
    SendVersionRequest(*driver);
    ASSERT_TRUE(view.Wait(10'000));
    EXPECT_EQ(view.versionText(), "Kappa 5100 3.02"); // the second simulator answered

    // COM1 keeps following it; without it listed, COM1 is its configured device again.
    driver->DrvClose();
    EXPECT_EQ(driver->DrvOpen(0), 0) << driver->LastErrorText();
    driver->DrvClose();
    listed = {other};
    EXPECT_NE(driver->DrvOpen(0), 0);
    EXPECT_EQ(driver->LastErrorText().rfind(configured.toStdString() + ": ", 0), 0u) << driver->LastErrorText();
}

TEST(SerialPortListTest, ChangedOnlyWhenAnAdapterComesOrGoes)
{
    ManualClock clock;
    SerialPortEntry adapter;
    adapter.device = QStringLiteral("/dev/ttyUSB0");
    adapter.vendorId = 0x0403;
    adapter.productId = 0x6001;
    QList<SerialPortEntry> system = {adapter};
    SystemSerialPortList ports(clock, [&system] { return system; });
    int changes = 0;
    QObject::connect(&ports, &SerialPortList::changed, [&changes] { ++changes; });
    EXPECT_EQ(ports.Ports(), system);
    EXPECT_EQ(ports.Ports().front().UsbId(), "0403:6001");

    clock.Advance(10 * SystemSerialPortList::kPollMs);
    EXPECT_EQ(changes, 0);
    SerialPortEntry second;
    second.device = QStringLiteral("/dev/ttyUSB1");
    system.append(second);
    clock.Advance(SystemSerialPortList::kPollMs);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ports.Ports().size(), 2);
    EXPECT_EQ(ports.Ports().back().UsbId(), ""); // no USB ids, no "0000:0000"
    system.removeFirst();
    clock.Advance(3 * SystemSerialPortList::kPollMs);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(ports.Ports(), system);
}

TEST(SerialPortListTest, ADeviceIsFoundThroughItsLinkAndSaysWhatIsThere)
{
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyUSB0"));
    const QString byId = folder.filePath(QStringLiteral("usb-FTDI_FT232R_A10K3L9Q-if00-port0"));
    ASSERT_TRUE(QFile(device).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(device, byId));
    SerialPortEntry adapter;
    adapter.device = device;
    adapter.description = QStringLiteral("FT232R USB UART");
    const QList<SerialPortEntry> ports = {adapter};
    ASSERT_NE(SerialPortList::Find(ports, byId), nullptr);
    EXPECT_EQ(SerialPortList::Find(ports, byId)->device, device);
    EXPECT_EQ(SerialPortList::Find(ports, folder.filePath(QStringLiteral("ttyUSB1"))), nullptr);
    EXPECT_EQ(SerialPortList::Find(ports, QString()), nullptr);
    EXPECT_EQ(SerialPortList::Presence(byId, ports), " \u2014 FT232R USB UART");
    EXPECT_EQ(SerialPortList::Presence(byId, {}), " (no description)"); // there, but not listed: a terminal
    EXPECT_EQ(SerialPortList::Presence(folder.filePath(QStringLiteral("ttyUSB1")), ports), " (not connected)");
    adapter.description.clear();
    EXPECT_EQ(SerialPortList::Presence(device, {adapter}), " (no description)");
}

TEST_F(SerialPortEndToEndTest, APortInUseFailsTheOpenWithAReasonUntilItIsClosed)
{
    const QString device = StartSimulator({"--kind", "pactrx"});
    QtSerialDriver first([device](int) { return device; });
    ASSERT_EQ(first.DrvOpen(0), 0) << first.LastErrorText();
    QtSerialDriver second([device](int) { return device; });
    EXPECT_NE(second.DrvOpen(0), 0);
    EXPECT_NE(second.LastErrorText().find(" is in use by "), std::string::npos) << second.LastErrorText();
    first.DrvClose();
    EXPECT_EQ(second.DrvOpen(0), 0) << second.LastErrorText();
}

TEST_F(SerialPortEndToEndTest, ThePortOpensWithTheLineSettingsGiven)
{
    const QString device = StartSimulator({"--kind", "pactrx"});
    QtSerialDriver serial([device](int) { return device; });
    serial.UseLineSettings([] { return LineSettings{9600, 7, LineSettings::Parity::Even, 2}; });
    ASSERT_EQ(serial.DrvOpen(0), 0) << serial.LastErrorText();
    // The terminal's settings are the device's: another descriptor sees them.
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios line{};
    ASSERT_EQ(::tcgetattr(fd, &line), 0);
    ::close(fd);
    // A pseudo-terminal keeps the speed and the stop bits; it always has 8 data bits and no parity.
    EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B9600));
    EXPECT_TRUE(line.c_cflag & CSTOPB);
}

// A system without a single USB serial adapter.
class NoAdapters : public PortSystemView {
public:
    std::string CanonicalPath(const std::string& path) const override { return path; }
    std::vector<std::string> FolderNames(const std::string&) const override { return {"null", "ttyS0"}; }
    std::optional<std::string> GroupOf(const std::string&) const override { return std::nullopt; }
    bool CanReadWrite(const std::string&) const override { return false; }
    bool UserListedIn(const std::string&) const override { return false; }
    bool ProcessHasGroup(const std::string&) const override { return false; }
    std::vector<int> OtherProcesses() const override { return {}; }
    std::vector<std::string> OpenFilesOf(int) const override { return {}; }
    std::string ProcessName(int) const override { return {}; }
    std::optional<std::string> ReadText(const std::string&) const override { return std::nullopt; }
};

TEST(QtSerialDriverTest, ADeviceThatIsNotThereIsSaidToBeNoAdapterWithWhatToCheck)
{
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyUSB0"));
    QtSerialDriver serial([device](int) { return device; });
    serial.UseSystemView(std::make_shared<NoAdapters>());
    EXPECT_NE(serial.DrvOpen(0), 0);
    EXPECT_EQ(serial.LastErrorText(), device.toStdString() + ": " + std::strerror(ENOENT) +
                                          ". No USB serial adapter is present: check the cable and that the "
                                          "adapter's driver is loaded (lsusb, dmesg).");
    // This computer's own view says one thing or the other.
    serial.UseSystemView(std::make_shared<LocalPortSystemView>());
    EXPECT_NE(serial.DrvOpen(0), 0);
    EXPECT_NE(serial.LastErrorText().find("adapter"), std::string::npos) << serial.LastErrorText();
}

TEST(QtSerialDriverTest, PortsAreNamedFromTheSettingsWithTheUsbDeviceAsDefault)
{
    QTemporaryDir settingsDir;
    ASSERT_TRUE(settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QtSettingsStore store;
    const auto resolver = QtSerialDriver::SettingsResolver(store);
    EXPECT_EQ(resolver(0), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(resolver(9), QStringLiteral("/dev/ttyUSB9"));
    store.WriteProfileString(std::string(settings::kSerial), settings::PortDeviceKey(3), "/dev/ttyS4");
    EXPECT_EQ(resolver(2), QStringLiteral("/dev/ttyS4"));
    EXPECT_EQ(resolver(3), QStringLiteral("/dev/ttyUSB3"));
    // Reading a missing key writes nothing back.
    EXPECT_FALSE(store.settings().contains(QStringLiteral("Serial/COM4Device")));
    store.settings().sync();
    EXPECT_TRUE(QFile::exists(settingsDir.path() + QStringLiteral("/Zelmor/Tessaprint.ini")));
}

} // namespace
} // namespace tessaprint

int main(int argc, char** argv)
{
    // Nothing a test writes may land in the user's own settings.
    const tessaprint::test::OwnHome home;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaprint"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
