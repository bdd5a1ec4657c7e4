#include "link/QtSerialDriver.h"

#include "link/LocalPortSystemView.h"
#include "link/SystemSerialPortList.h"

#include <QFileInfo>

#include <utility>

namespace tessaprint {

QtSerialDriver::QtSerialDriver(PortNameResolver resolver, PortLister listPorts, QObject* parent)
    : QObject(parent), m_resolver(std::move(resolver)),
      m_listPorts(listPorts ? std::move(listPorts) : PortLister(&SystemSerialPortList::Enumerate)),
      m_system(std::make_shared<LocalPortSystemView>())
{
    m_replyTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { RaiseEvents(true); });
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialDriver::OnReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialDriver::OnError);
}

QtSerialDriver::~QtSerialDriver() = default;

QtSerialDriver::PortNameResolver QtSerialDriver::SettingsResolver(const SettingsStore& settings)
{
    return [&settings](int comIndex) {
        const int n = comIndex + 1;
#ifdef Q_OS_WIN
        (void)settings;
        return QStringLiteral("COM%1").arg(n);
#else
        // An empty value is the default too: the Port Settings dialog stores an empty entry as empty.
        const std::string device = settings.GetProfileString(std::string(tessaprint::settings::kSerial),
                                                             tessaprint::settings::PortDeviceKey(n), std::string());
        return device.empty() ? DefaultDevice(n) : QString::fromStdString(device);
#endif
    };
}

std::function<LineSettings()> QtSerialDriver::SettingsLineSettings(const SettingsStore& settings)
{
    return [&settings] { return LineSettings::Read(settings); };
}

QString QtSerialDriver::DefaultDevice(int n)
{
    return QStringLiteral("/dev/ttyUSB%1").arg(n - 1);
}

QString QtSerialDriver::DeviceFor(int comIndex)
{
    const QString configured = m_resolver(comIndex);
    const Followed& followed = m_followed[static_cast<std::size_t>(comIndex)];
    if (followed.configured.isEmpty() || followed.configured != configured) {
        return configured;
    }
    // Wherever the adapter is now; where it is not listed, the configured device.
    const QList<SerialPortEntry> ports = m_listPorts();
    const SerialPortEntry* port = Locate(followed.adapter, ports);
    return port ? port->device : configured;
}

QtSerialDriver::Adapter QtSerialDriver::Identify(const QString& device) const
{
    Adapter adapter;
    adapter.path = device;
    const QList<SerialPortEntry> ports = m_listPorts();
    const SerialPortEntry* port = SerialPortList::Find(ports, device);
    if (port && !port->serialNumber.isEmpty()) {
        adapter.serialNumber = port->serialNumber;
        for (const SerialPortEntry& other : ports) {
            if (&other == port) {
                break;
            }
            adapter.ordinal += other.serialNumber == port->serialNumber ? 1 : 0;
        }
    }
    return adapter;
}

const SerialPortEntry* QtSerialDriver::Locate(const Adapter& adapter, const QList<SerialPortEntry>& ports)
{
    // Where it was, if its serial number is there again; else its port of that number.
    const QString before = SerialPortList::CanonicalDevice(adapter.path);
    const SerialPortEntry* same = nullptr;
    int ordinal = 0;
    for (const SerialPortEntry& port : ports) {
        if (port.serialNumber != adapter.serialNumber) {
            continue;
        }
        if (SerialPortList::CanonicalDevice(port.device) == before) {
            return &port;
        }
        if (ordinal++ == adapter.ordinal) {
            same = &port;
        }
    }
    return same;
}

bool QtSerialDriver::IsLostPortBack()
{
    if (!m_lost || m_openIndex < 0) {
        return false;
    }
    if (m_adapter.serialNumber.isEmpty()) {
#ifdef Q_OS_WIN
        return SerialPortList::Find(m_listPorts(), m_adapter.path) != nullptr;
#else
        // The device file is there again (for a link: what it points to).
        return QFileInfo::exists(m_adapter.path);
#endif
    }
    const QList<SerialPortEntry> ports = m_listPorts();
    const SerialPortEntry* port = Locate(m_adapter, ports);
    if (!port) {
        return false;
    }
    const QString configured = m_resolver(m_openIndex);
    Followed& followed = m_followed[static_cast<std::size_t>(m_openIndex)];
    if (SerialPortList::CanonicalDevice(port->device) == SerialPortList::CanonicalDevice(configured)) {
        followed = {};
    } else {
        followed = {configured, m_adapter};
    }
    return true;
}

int QtSerialDriver::DrvOpen(int comIndex)
{
    m_lastError.clear();
    if (comIndex < 0 || comIndex > 9) {
        m_lastError = "There is no such port.";
        return -1;
    }
    if (m_port.isOpen()) {
        m_port.close();
    }
    m_input.Purge();
    const QString device = DeviceFor(comIndex);
    m_port.setPortName(device);
    // Set before the open, which applies them: a setting the device refuses fails the open.
    const LineSettings line = m_lineSettings ? m_lineSettings() : LineSettings();
    m_port.setBaudRate(line.baud);
    m_port.setDataBits(line.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    m_port.setParity(line.parity == LineSettings::Parity::Even  ? QSerialPort::EvenParity
                     : line.parity == LineSettings::Parity::Odd ? QSerialPort::OddParity
                                                                : QSerialPort::NoParity);
    m_port.setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lastError = (device + QStringLiteral(": ") + m_port.errorString()).toStdString();
        const OpenFailure failure = m_port.error() == QSerialPort::DeviceNotFoundError ? OpenFailure::NotFound
                                    : m_port.error() == QSerialPort::PermissionError   ? OpenFailure::Denied
                                                                                       : OpenFailure::Other;
        if (m_system) {
            if (const std::string advice = DiagnoseOpenFailure(device.toStdString(), failure, *m_system);
                !advice.empty()) {
                m_lastError += ". " + advice;
            }
        }
        if (m_port.error() != QSerialPort::NoError) {
            m_port.clearError();
        }
        return -1;
    }
    m_openIndex = comIndex;
    m_adapter = Identify(device);
    m_lost = false;
    return 0;
}

void QtSerialDriver::DrvClose()
{
    if (m_port.isOpen()) {
        m_port.close();
    }
    m_input.Purge();
    m_replyTimer.stop();
    m_enabled = false;
}

void QtSerialDriver::DrvPurge()
{
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.readAll(); // bytes Qt had already taken in
    }
    m_input.Purge();
    m_replyTimer.stop();
}

int QtSerialDriver::DrvBytesWaiting()
{
    return m_input.Waiting();
}

int QtSerialDriver::DrvRead(std::uint8_t* buffer, int maxCount)
{
    return m_input.Read(buffer, maxCount);
}

int QtSerialDriver::DrvWrite(const std::uint8_t* buffer, int count)
{
    if (!m_port.isOpen() || count <= 0) {
        return -1;
    }
    m_input.NoteWrite(buffer, static_cast<std::size_t>(count));
    return static_cast<int>(m_port.write(reinterpret_cast<const char*>(buffer), count));
}

void QtSerialDriver::DrvSetCallback(EventCallback callback)
{
    m_callback = std::move(callback);
}

void QtSerialDriver::DrvSetOption(int, int)
{
}

void QtSerialDriver::DrvEnable(int enable)
{
    m_enabled = enable != 0;
    if (m_enabled) {
        OnReadyRead();
    }
}

void QtSerialDriver::OnReadyRead()
{
    ++m_wakeups;
    const QByteArray data = m_port.readAll();
    m_input.Append(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size()));
    RaiseEvents(false);
}

void QtSerialDriver::RaiseEvents(bool replyTimedOut)
{
    if (!m_enabled) {
        return;
    }
    if (m_input.Dispatch(m_callback, replyTimedOut)) {
        if (!m_replyTimer.isActive()) {
            m_replyTimer.start(DriverInputQueue::kReplyTimeoutMs);
        }
    } else {
        m_replyTimer.stop();
    }
}

void QtSerialDriver::OnError(QSerialPort::SerialPortError error)
{
    ++m_wakeups;
    // A read error or the end of the file (a read that gives nothing: the far
    // end of a pseudo-terminal hung up, an adapter went) is a lost port.
    // Left open, the port would wake the event loop again at once, for ever.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && m_port.isOpen()) {
        QString reason = m_port.errorString();
        if (error == QSerialPort::ReadError) {
            // After a read of nothing the system's words are stale, so they only follow.
            reason = QStringLiteral("reading failed: the other end hung up or the adapter went (%1)").arg(reason);
        }
        // Whatever came before the loss is handed on first: it is kept.
        const QByteArray rest = m_port.readAll();
        m_input.Append(reinterpret_cast<const std::uint8_t*>(rest.constData()), static_cast<std::size_t>(rest.size()));
        RaiseEvents(true);
        m_port.close();
        m_port.clearError();
        m_input.Purge();
        m_replyTimer.stop();
        m_lastError = reason.toStdString();
        m_lost = true;
        const bool wasEnabled = std::exchange(m_enabled, false);
        emit portLost(reason);
        // Queued: whoever hears it may show a dialog, which must not run
        // inside Qt SerialPort's own error handling.
        QMetaObject::invokeMethod(
            this,
            [this, wasEnabled] {
                // A port opened again in the meantime is not lost.
                if (wasEnabled && m_callback && !m_port.isOpen()) {
                    m_callback(kPortLostEvent);
                }
            },
            Qt::QueuedConnection);
    }
}

} // namespace tessaprint
