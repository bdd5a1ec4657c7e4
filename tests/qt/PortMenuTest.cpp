// The Port menu's labels and Port > Settings..., with serial ports the test
// plugs in and out and device files in a temporary folder.
#include "MainWindowFixture.h"
#include "NumberedControls.h"

#include "link/CPortSettingsDlg.h"
#include "link/QtSerialDriver.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>

namespace tessaprint {
namespace {

namespace PortSettings = ControlId::PortSettings;

class PortMenuTest : public test::MainWindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile(Path("ttyUSB0")).open(QIODevice::WriteOnly));  // an adapter's device
        ASSERT_TRUE(QFile(Path("pts-link")).open(QIODevice::WriteOnly)); // a device Qt does not list
        ASSERT_TRUE(QFile::link(Path("ttyUSB0"), Path("usb-FTDI_FT232R_A10K3L9Q-if00-port0")));
        ftdi.device = Path("ttyUSB0");
        ftdi.portName = QStringLiteral("ttyUSB0");
        ftdi.description = QStringLiteral("FT232R USB UART");
        ftdi.manufacturer = QStringLiteral("FTDI");
        ftdi.vendorId = 0x0403;
        ftdi.productId = 0x6001;
        ftdi.serialNumber = QStringLiteral("A10K3L9Q");
        cp2102.device = Path("ttyUSB1");
        cp2102.portName = QStringLiteral("ttyUSB1");
        cp2102.description = QStringLiteral("CP2102 USB to UART Bridge Controller");
        // Every COM port's device is in the folder, so nothing depends on the machine's own ports.
        for (int n = 1; n <= 10; ++n) {
            SetDevice(n, Path(QStringLiteral("missing%1").arg(n)));
        }
    }

    QString Path(const QString& name) const { return folder.filePath(name); }
    void SetDevice(int n, const QString& device)
    {
        settings.WriteProfileString(std::string(settings::kSerial), settings::PortDeviceKey(n), device.toStdString());
    }
    // As the menu shows it: the mnemonic's '&' is not drawn.
    QString Label(int n) const
    {
        return app->frame()->portAction(n)->text().replace(QRegularExpression("&(.)"), "\\1");
    }
    QString StatusPane(const char* name) const
    {
        return app->frame()->statusBar()->findChild<QLabel*>(QLatin1String(name))->text();
    }

    CPortSettingsDlg* OpenSettings()
    {
        app->frame()->findChild<QAction*>(ControlName(ControlId::Command::PortSettings))->trigger();
        return app->portSettings();
    }
    static QComboBox* Device(CPortSettingsDlg* dialog, int n)
    {
        return dialog->findChild<QComboBox*>(ControlName(PortSettings::Device(n)));
    }
    static QStringList Rows(CPortSettingsDlg* dialog)
    {
        QStringList rows;
        auto* list = dialog->findChild<QTreeWidget*>(ControlName(PortSettings::Ports));
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c) {
                cells << list->topLevelItem(i)->text(c);
            }
            rows << cells.join('|');
        }
        return rows;
    }
    static void Press(CPortSettingsDlg* dialog, int button)
    {
        QTest::mouseClick(dialog->findChild<QPushButton*>(ControlName(button)), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir folder;
    SerialPortEntry ftdi;
    SerialPortEntry cp2102;
};

TEST_F(PortMenuTest, EachComPortSaysItsDeviceAndWhatIsThere)
{
    ports.SetPorts({ftdi});
    SetDevice(1, Path("ttyUSB0"));
    SetDevice(2, Path("usb-FTDI_FT232R_A10K3L9Q-if00-port0")); // the same adapter by a link to it
    SetDevice(4, Path("pts-link"));
    Start();
    EXPECT_EQ(Label(1), "COM1  " + Path("ttyUSB0") + " \u2014 FT232R USB UART");
    EXPECT_EQ(Label(2), "COM2  " + Path("usb-FTDI_FT232R_A10K3L9Q-if00-port0") + " \u2014 FT232R USB UART");
    EXPECT_EQ(Label(3), "COM3  " + Path("missing3") + " (not connected)");
    EXPECT_EQ(Label(4), "COM4  " + Path("pts-link") + " (no description)");
    EXPECT_EQ(app->frame()->portAction(4)->objectName(), ControlName(ControlId::Command::Port(4)));

    // An adapter plugged in shows at once; a new device, when the menu next shows.
    cp2102.device = Path("missing3");
    ports.SetPorts({ftdi, cp2102});
    EXPECT_EQ(Label(3), "COM3  " + Path("missing3") + " \u2014 CP2102 USB to UART Bridge Controller");
    SetDevice(5, Path("ttyUSB0"));
    EXPECT_EQ(Label(5), "COM5  " + Path("missing5") + " (not connected)");
    ShowPortMenu();
    EXPECT_EQ(Label(5), "COM5  " + Path("ttyUSB0") + " \u2014 FT232R USB UART");
    ports.SetPorts({cp2102}); // unplugged: the file is still there, but no adapter is listed at it
    EXPECT_EQ(Label(1), "COM1  " + Path("ttyUSB0") + " (no description)");
}

TEST_F(PortMenuTest, EachPortHasItsLastDigitAsMnemonic)
{
    Start();
    EXPECT_EQ(app->frame()->portAction(1)->text(), "COM&1  " + Path("missing1") + " (not connected)");
    EXPECT_TRUE(app->frame()->portAction(9)->text().startsWith("COM&9  "));
    EXPECT_TRUE(app->frame()->portAction(10)->text().startsWith("COM1&0  "));
}

TEST_F(PortMenuTest, TheStatusBarNamesThePortAndWhetherItIsOpen)
{
    ports.SetPorts({ftdi});
    SetDevice(1, Path("ttyUSB0"));
    SetDevice(2, Path("pts-link"));
    driver.busy = {1, 2};
    Start();
    EXPECT_EQ(StatusPane("statusPort"), "COM1  " + Path("ttyUSB0"));
    EXPECT_EQ(StatusPane("statusConnection"), "Connected");
    EXPECT_EQ(app->frame()->statusBar()->findChild<QLabel*>("statusPort")->toolTip(), Label(1));
    // A device that is there but does not open is in use; a missing one is not connected.
    app->frame()->portAction(2)->trigger();
    EXPECT_EQ(StatusPane("statusPort"), "COM1  " + Path("ttyUSB0")); // back on the port that opens
    driver.busy = {0, 1, 2};
    settings.Write(settings::kPort, "COM2");
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileNew))->trigger();
    EXPECT_EQ(StatusPane("statusPort"), "COM2  " + Path("pts-link"));
    EXPECT_EQ(StatusPane("statusConnection"), "Port in use");
    settings.Write(settings::kPort, "COM3");
    app->frame()->findChild<QAction*>(ControlName(ControlId::Command::FileNew))->trigger();
    EXPECT_EQ(StatusPane("statusPort"), "COM3  " + Path("missing3"));
    EXPECT_EQ(StatusPane("statusConnection"), "Not connected");
    // An open port that is lost: not connected while its adapter is awaited, connected once it is back.
    driver.busy.clear();
    app->frame()->portAction(1)->trigger();
    EXPECT_EQ(StatusPane("statusConnection"), "Connected");
    driver.Lose("device reports readiness to read but returned no data");
    EXPECT_EQ(StatusPane("statusConnection"), "Not connected");
    driver.adapterBack = true;
    clock.Advance(1'000);
    EXPECT_EQ(StatusPane("statusConnection"), "Connected");
}

TEST_F(PortMenuTest, SettingsListsTheSystemsPortsAndFollowsPlugging)
{
    ports.SetPorts({ftdi});
    SetDevice(2, Path("usb-FTDI_FT232R_A10K3L9Q-if00-port0"));
    Start();
    CPortSettingsDlg* dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(OpenSettings(), dialog); // one dialog
    EXPECT_EQ(dialog->windowTitle(), "Port Settings");
    EXPECT_EQ(dialog->objectName(), "317");
    EXPECT_EQ(test::NumberedControls(dialog),
              (QStringList{"1 QPushButton OK", "1001 QTreeWidget Serial ports on this computer:",
                           "1002 QComboBox B&aud rate:", "1003 QComboBox &Data bits:", "1004 QComboBox Pa&rity:",
                           "1005 QComboBox S&top bits:", "1011 QComboBox COM&1", "1012 QComboBox COM&2",
                           "1013 QComboBox COM&3", "1014 QComboBox COM&4", "1015 QComboBox COM&5",
                           "1016 QComboBox COM&6", "1017 QComboBox COM&7", "1018 QComboBox COM&8",
                           "1019 QComboBox COM&9", "1020 QComboBox COM&10", "2 QPushButton Cancel"}));
    EXPECT_EQ(Rows(dialog), QStringList{Path("ttyUSB0") + "|FT232R USB UART|FTDI|0403:6001|A10K3L9Q"});
    EXPECT_EQ(Device(dialog, 2)->currentText(), Path("usb-FTDI_FT232R_A10K3L9Q-if00-port0"));

    Device(dialog, 3)->setEditText("/dev/typed-by-hand");
    ports.SetPorts({ftdi, cp2102});
    EXPECT_EQ(Rows(dialog), (QStringList{Path("ttyUSB0") + "|FT232R USB UART|FTDI|0403:6001|A10K3L9Q",
                                         Path("ttyUSB1") + "|CP2102 USB to UART Bridge Controller|||"}));
    // The choices follow; what was typed stays.
    EXPECT_EQ(Device(dialog, 3)->currentText(), "/dev/typed-by-hand");
    ASSERT_EQ(Device(dialog, 3)->count(), 2);
    EXPECT_EQ(Device(dialog, 3)->itemText(1), Path("ttyUSB1"));
    ports.SetPorts({});
    EXPECT_TRUE(Rows(dialog).isEmpty());
    EXPECT_EQ(Device(dialog, 3)->count(), 0);
    EXPECT_EQ(Device(dialog, 3)->currentText(), "/dev/typed-by-hand");
}

TEST_F(PortMenuTest, SettingsOkStoresEveryDeviceAndTheMenuFollows)
{
    ports.SetPorts({ftdi, cp2102});
    settings.Write(settings::kPort, "COM3");
    Start();
    CPortSettingsDlg* dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    Device(dialog, 1)->setCurrentIndex(1); // chosen from the list
    Device(dialog, 2)->setEditText("  /dev/serial/by-id/usb-Prolific-port0  ");
    // Typing starts in the device of the port in use.
    QWidget* typing = dialog->focusWidget();
    ASSERT_TRUE(typing == Device(dialog, 3) || typing == Device(dialog, 3)->lineEdit());
    QTest::keyClick(typing, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(typing, Qt::Key_Delete);
    EXPECT_EQ(Device(dialog, 3)->lineEdit()->placeholderText(), "/dev/ttyUSB2 (default)");
    Press(dialog, ControlId::Dialog::Ok);
    EXPECT_EQ(app->portSettings(), nullptr);
    EXPECT_EQ(Setting(settings::kSerial, settings::PortDeviceKey(1)), Path("ttyUSB1").toStdString());
    EXPECT_EQ(Setting(settings::kSerial, settings::PortDeviceKey(2)), "/dev/serial/by-id/usb-Prolific-port0");
    // Empty is stored as empty, and that is the default device.
    EXPECT_EQ(Setting(settings::kSerial, settings::PortDeviceKey(3)), "");
    EXPECT_EQ(QtSerialDriver::SettingsResolver(settings)(2), "/dev/ttyUSB2");
    EXPECT_EQ(Setting(settings::kSerial, settings::PortDeviceKey(10)),
              Path("missing10").toStdString()); // untouched, written as it was
    EXPECT_EQ(Label(1), "COM1  " + Path("ttyUSB1") + " \u2014 CP2102 USB to UART Bridge Controller");
    EXPECT_TRUE(Label(3).startsWith("COM3  /dev/ttyUSB2 ")) << Label(3).toStdString();
}

TEST_F(PortMenuTest, SettingsLineFieldsShowWhatIsStoredOrTheDefaultAndOkStoresTheChoices)
{
    settings.Write(settings::kBaudRate, "9600");
    settings.Write(settings::kDataBits, "6"); // not a choice: the default
    settings.Write(settings::kParity, "Mark");
    settings.Write(settings::kStopBits, "2");
    Start();
    CPortSettingsDlg* dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    const auto field = [dialog](int id) { return dialog->findChild<QComboBox*>(ControlName(id)); };
    EXPECT_EQ(field(PortSettings::Baud)->currentText(), "9600");
    EXPECT_EQ(field(PortSettings::DataBits)->currentText(), "8");
    EXPECT_EQ(field(PortSettings::Parity)->currentText(), "None");
    EXPECT_EQ(field(PortSettings::StopBits)->currentText(), "2");
    EXPECT_EQ(field(PortSettings::Baud)->count(), 10);

    field(PortSettings::Baud)->setFocus();
    QTest::keyClick(field(PortSettings::Baud), Qt::Key_End); // the fastest
    field(PortSettings::DataBits)->setCurrentText("7");
    field(PortSettings::Parity)->setCurrentText("Even");
    field(PortSettings::StopBits)->setCurrentText("1");
    Press(dialog, ControlId::Dialog::Ok);
    EXPECT_EQ(Setting(settings::kSerial, "BaudRate"), "115200");
    EXPECT_EQ(Setting(settings::kSerial, "Parity"), "Even");
    EXPECT_EQ(QtSerialDriver::SettingsLineSettings(settings)(),
              (LineSettings{115200, 7, LineSettings::Parity::Even, 1}));
}

TEST_F(PortMenuTest, SettingsFitALaptopAt150PercentWithTheLineSettingsAndOkInView)
{
    Start();
    CPortSettingsDlg* dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    // 1366 x 768 at 150 %, less a panel and a title bar, in Qt's pixels.
    const QSize laptop(1366 * 2 / 3, 768 * 2 / 3 - 32 - 30);
    EXPECT_LE(dialog->minimumSizeHint().height(), laptop.height());
    EXPECT_LE(dialog->minimumSizeHint().width(), laptop.width());
    dialog->resize(laptop);
    QTest::qWait(0);
    for (const int id : {PortSettings::Baud, PortSettings::StopBits, int(ControlId::Dialog::Ok)}) {
        QWidget* control = dialog->findChild<QWidget*>(ControlName(id));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(dialog->rect().contains(QRect(control->mapTo(dialog, QPoint(0, 0)), control->size()))) << id;
    }
}

TEST_F(PortMenuTest, SettingsCancelStoresNothing)
{
    Start();
    const int writes = settings.writes();
    CPortSettingsDlg* dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    Device(dialog, 1)->setEditText("/dev/ttyS0");
    dialog->findChild<QComboBox*>(ControlName(PortSettings::Baud))->setCurrentText("300");
    Press(dialog, ControlId::Dialog::Cancel);
    EXPECT_EQ(app->portSettings(), nullptr);
    EXPECT_EQ(settings.writes(), writes);
    dialog = OpenSettings();
    EXPECT_EQ(Device(dialog, 1)->currentText(), Path("missing1"));
}

} // namespace
} // namespace tessaprint
