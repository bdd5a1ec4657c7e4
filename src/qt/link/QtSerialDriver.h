#pragma once

#include "link/DriverInputQueue.h"
#include "link/SerialDriver.h"
#include "util/SettingsStore.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <functional>

namespace tessaprint {

// The serial driver over Qt SerialPort. COMn is opened by index; which
// device that is comes from the resolver (on Windows the port "COMn", elsewhere
// a device file named in the settings). Received bytes reach the callback on
// the thread that owns this object, the user interface thread.
class QtSerialDriver : public QObject, public SerialDriver {
    Q_OBJECT
public:
    using PortNameResolver = std::function<QString(int comIndex)>;

    // The instrument talks at this speed only.
    static constexpr int kBaud = 115200;

    explicit QtSerialDriver(PortNameResolver resolver, QObject* parent = nullptr);
    ~QtSerialDriver() override;

    // The resolver that reads "Serial"/"COMnDevice" from the settings
    // (default /dev/ttyUSB<n-1>); on Windows it is simply "COMn". The
    // settings must outlive the resolver.
    static PortNameResolver SettingsResolver(const SettingsStore& settings);

    QString PortName() const { return m_port.portName(); }

    int DrvOpen(int comIndex) override;
    void DrvClose() override;
    void DrvPurge() override;
    int DrvBytesWaiting() override;
    int DrvRead(std::uint8_t* buffer, int maxCount) override;
    int DrvWrite(const std::uint8_t* buffer, int count) override;
    void DrvSetCallback(EventCallback callback) override;
    void DrvSetOption(int option, int value) override;
    void DrvEnable(int enable) override;
    bool IsOpen() const override { return m_port.isOpen(); }
    std::string LastErrorText() const override { return m_lastError; }
    // How often the port woke the program up (data or an error): a port that
    // hung up must not keep doing so.
    int Wakeups() const { return m_wakeups; }

signals:
    // The open port failed while in use (unplugged, gone); it has been closed.
    // The callback hears the same as a kPortLostEvent, from the event loop.
    void portLost(const QString& reason);

private:
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void RaiseEvents(bool replyTimedOut);

    PortNameResolver m_resolver;
    QSerialPort m_port;
    QTimer m_replyTimer;
    DriverInputQueue m_input;
    EventCallback m_callback;
    std::string m_lastError;
    bool m_enabled = false;
    int m_wakeups = 0;
};

} // namespace tessaprint
