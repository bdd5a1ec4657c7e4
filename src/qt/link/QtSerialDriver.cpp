#include "link/QtSerialDriver.h"

#include <utility>

namespace tessaprint {

QtSerialDriver::QtSerialDriver(PortNameResolver resolver, QObject* parent)
    : QObject(parent), m_resolver(std::move(resolver))
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
        const std::string key = "COM" + std::to_string(n) + "Device";
        const std::string fallback = "/dev/ttyUSB" + std::to_string(n - 1);
        return QString::fromStdString(settings.GetProfileString("Serial", key, fallback));
#endif
    };
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
    m_port.setPortName(m_resolver(comIndex));
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lastError = m_port.errorString().toStdString();
        if (m_port.error() != QSerialPort::NoError) {
            m_port.clearError();
        }
        return -1;
    }
    // Eight data bits, no parity, one stop bit, no handshake.
    m_port.setBaudRate(kBaud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
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
