#include "link/CPortSettingsDlg.h"

#include "link/LineSettings.h"
#include "link/PortConnection.h"
#include "link/QtSerialDriver.h"
#include "util/ControlId.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaprint {

namespace {

namespace Ids = ControlId::PortSettings;
constexpr int kPortCount = ControlId::Command::PortCount;

// A choice box whose items carry the values stored.
QComboBox* Choices(QWidget* parent, int id, const QList<std::pair<QString, QString>>& items, const QString& current)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(ControlName(id));
    for (const auto& [text, value] : items) {
        box->addItem(text, value);
    }
    box->setCurrentIndex(std::max(0, box->findData(current)));
    return box;
}

QString Stored(const QComboBox* box)
{
    return box->currentData().toString();
}

} // namespace

CPortSettingsDlg::CPortSettingsDlg(SettingsStore& settings, SerialPortList& ports, int currentPort, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_ports(ports), m_portsCaption(new QLabel(this)),
      m_list(new QTreeWidget(this))
{
    setObjectName(ControlName(ControlId::Window::PortSettings));
    setWindowTitle(QStringLiteral("Port Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    m_portsCaption->setBuddy(m_list);
    layout->addWidget(m_portsCaption);
    m_list->setObjectName(ControlName(Ids::Ports));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Device"), QStringLiteral("Description"), QStringLiteral("Manufacturer"),
                             QStringLiteral("VID:PID"), QStringLiteral("Serial Number")});
    m_list->header()->setStretchLastSection(true);
    m_list->setMinimumHeight(110);
    layout->addWidget(m_list, 1);

    // The ten ports scroll when the screen has no room for them all (a
    // laptop at 150 %): the line settings and OK stay in view.
    auto* portsArea = new QScrollArea(this);
    portsArea->setFrameShape(QFrame::NoFrame);
    portsArea->setWidgetResizable(true);
    portsArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* portsBox = new QWidget(portsArea);
    auto* grid = new QGridLayout(portsBox);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    for (int n = 1; n <= kPortCount; ++n) {
        auto* label = new QLabel(QString::fromStdString(PortConnection::PortName(n)), this);
        auto* presence = new QLabel(this);
        presence->setTextFormat(Qt::PlainText);
        m_presence.append(presence);
#ifdef Q_OS_WIN
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(presence, n - 1, 1, 1, 2);
#else
        label->setText(QStringLiteral("COM&%1").arg(n));
        auto* device = new QComboBox(this);
        device->setObjectName(ControlName(Ids::Device(n)));
        device->setEditable(true);
        device->setInsertPolicy(QComboBox::NoInsert);
        device->setMinimumWidth(260);
        device->lineEdit()->setPlaceholderText(QtSerialDriver::DefaultDevice(n) + QStringLiteral(" (default)"));
        label->setBuddy(device);
        m_devices.append(device);
        grid->addWidget(label, n - 1, 0);
        grid->addWidget(device, n - 1, 1);
        grid->addWidget(presence, n - 1, 2);
        connect(device, &QComboBox::editTextChanged, this, [this, n] { ShowPresence(n); });
#endif
    }
    portsArea->setWidget(portsBox);
    portsArea->setMinimumWidth(portsBox->sizeHint().width() + portsArea->verticalScrollBar()->sizeHint().width());
    layout->addWidget(portsArea, 2);

    const LineSettings line = LineSettings::Read(m_settings);
    QList<std::pair<QString, QString>> bauds;
    for (const int baud : LineSettings::kBauds) {
        bauds.append({QString::number(baud), QString::number(baud)});
    }
    m_baud = Choices(this, Ids::Baud, bauds, QString::number(line.baud));
    m_dataBits = Choices(this, Ids::DataBits, {{"7", "7"}, {"8", "8"}}, QString::number(line.dataBits));
    m_parity = Choices(this, Ids::Parity, {{"None", "None"}, {"Even", "Even"}, {"Odd", "Odd"}},
                       QString::fromStdString(LineSettings::ParityName(line.parity)));
    m_stopBits = Choices(this, Ids::StopBits, {{"1", "1"}, {"2", "2"}}, QString::number(line.stopBits));
    auto* lineRow = new QHBoxLayout;
    for (const auto& [caption, box] :
         {std::pair{QStringLiteral("B&aud rate:"), m_baud}, std::pair{QStringLiteral("&Data bits:"), m_dataBits},
          std::pair{QStringLiteral("Pa&rity:"), m_parity}, std::pair{QStringLiteral("S&top bits:"), m_stopBits}}) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        lineRow->addWidget(label);
        lineRow->addWidget(box);
    }
    lineRow->addStretch(1);
    layout->addLayout(lineRow);
    auto* lineNote = new QLabel(QStringLiteral("The instrument's own serial settings must be the same. New line "
                                               "settings are used the next time a port is opened."),
                                this);
    lineNote->setWordWrap(true);
    layout->addWidget(lineNote);
#ifdef Q_OS_WIN
    auto* note = new QLabel(QStringLiteral("On Windows each COM port is the system's port of that name."), this);
#else
    auto* note = new QLabel(QStringLiteral("Type any device path, such as a link in /dev/serial/by-id/. An empty "
                                           "entry is the default. A new device is used the next time its port "
                                           "is opened."),
                            this);
#endif
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(ControlName(ControlId::Dialog::Ok));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(ControlName(ControlId::Dialog::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortSettingsDlg::OnOK);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPortSettingsDlg::reject);
    layout->addWidget(buttons);

    for (int n = 1; n <= static_cast<int>(m_devices.size()); ++n) {
        m_devices[n - 1]->setEditText(QString::fromStdString(
            m_settings.GetProfileString(std::string(settings::kSerial), settings::PortDeviceKey(n), std::string())));
    }
    ShowPorts();
    connect(&m_ports, &SerialPortList::changed, this, &CPortSettingsDlg::ShowPorts);
    if (!m_devices.isEmpty()) {
        m_devices[std::clamp(currentPort, 1, kPortCount) - 1]->setFocus();
    }
    // Every port in view where the screen has room, else as high as it allows
    // (less a title bar); the ports' list scrolls.
    int height = sizeHint().height() + qMax(0, portsBox->sizeHint().height() - portsArea->sizeHint().height());
    if (const QScreen* shown = screen()) {
        height = qMin(height, shown->availableGeometry().height() - 40);
    }
    resize(qMax(sizeHint().width(), 680), qMax(height, minimumSizeHint().height()));
}

QString CPortSettingsDlg::DeviceOf(int n) const
{
#ifdef Q_OS_WIN
    return QString::fromStdString(PortConnection::PortName(n));
#else
    const QString typed = m_devices[n - 1]->currentText().trimmed();
    return typed.isEmpty() ? QtSerialDriver::DefaultDevice(n) : typed;
#endif
}

void CPortSettingsDlg::ShowPorts()
{
    const QList<SerialPortEntry> ports = m_ports.Ports();
    m_portsCaption->setText(ports.isEmpty() ? QStringLiteral("Serial ports on this computer: none found")
                                            : QStringLiteral("Serial ports on this computer:"));
    m_list->clear();
    QStringList devices;
    for (const SerialPortEntry& port : ports) {
        auto* item = new QTreeWidgetItem(
            m_list, {port.device, port.description, port.manufacturer, port.UsbId(), port.serialNumber});
        item->setToolTip(0, port.portName);
        devices << port.device;
    }
    for (int c = 0; c < m_list->columnCount() - 1; ++c) {
        m_list->resizeColumnToContents(c);
    }
    for (QComboBox* device : m_devices) {
        // What was typed stays; only the choices follow the system.
        const QString typed = device->currentText();
        device->clear();
        device->addItems(devices);
        device->setCurrentIndex(-1);
        device->setEditText(typed);
    }
    for (int n = 1; n <= kPortCount; ++n) {
        ShowPresence(n);
    }
}

void CPortSettingsDlg::ShowPresence(int n)
{
    m_presence[n - 1]->setText(SerialPortList::Presence(DeviceOf(n), m_ports.Ports()).trimmed());
}

void CPortSettingsDlg::OnOK()
{
    for (int n = 1; n <= static_cast<int>(m_devices.size()); ++n) {
        m_settings.WriteProfileString(std::string(settings::kSerial), settings::PortDeviceKey(n),
                                      m_devices[n - 1]->currentText().trimmed().toStdString());
    }
    m_settings.Write(settings::kBaudRate, Stored(m_baud).toStdString());
    m_settings.Write(settings::kDataBits, Stored(m_dataBits).toStdString());
    m_settings.Write(settings::kParity, Stored(m_parity).toStdString());
    m_settings.Write(settings::kStopBits, Stored(m_stopBits).toStdString());
    QDialog::accept();
}

} // namespace tessaprint
