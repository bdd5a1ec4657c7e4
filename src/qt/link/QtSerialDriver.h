#pragma once

#include "link/DriverInputQueue.h"
#include "link/LineSettings.h"
#include "link/PortDiagnosis.h"
#include "link/SerialDriver.h"
#include "link/SerialPortList.h"
#include "util/SettingsStore.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

namespace tessaprint {

// The serial driver over Qt SerialPort. COMn is opened by index; which
// device that is comes from the resolver (on Windows the port "COMn", elsewhere
// a device file named in the settings). Received bytes reach the callback on
// the thread that owns this object, the user interface thread.
//
// A lost port's adapter is known by its USB serial number when the port list
// gives one, else by the device's path. An adapter with a serial number that
// comes back at another path is opened there by its COM port from then on,
// while that port's setting stays as it is.
class QtSerialDriver : public QObject, public SerialDriver {
    Q_OBJECT
public:
    using PortNameResolver = std::function<QString(int comIndex)>;
    using PortLister = std::function<QList<SerialPortEntry>()>;

    // listPorts tells the adapters' serial numbers; the system's ports when unset.
    explicit QtSerialDriver(PortNameResolver resolver, PortLister listPorts = {}, QObject* parent = nullptr);
    ~QtSerialDriver() override;

    // The resolver that reads "Serial"/"COMnDevice" from the settings
    // (default /dev/ttyUSB<n-1>, also for an empty value); on Windows it is
    // simply "COMn". The settings must outlive the resolver.
    static PortNameResolver SettingsResolver(const SettingsStore& settings);
    // /dev/ttyUSB<n-1>, for n from 1 to 10.
    static QString DefaultDevice(int n);

    // The line settings each open uses (the defaults while unset), and the
    // view of the system that says why a device would not open (this
    // computer's while unset; a null one adds nothing to the system's words).
    void UseLineSettings(std::function<LineSettings()> read) { m_lineSettings = std::move(read); }
    void UseSystemView(std::shared_ptr<const PortSystemView> system) { m_system = std::move(system); }
    // The line settings as stored now.
    static std::function<LineSettings()> SettingsLineSettings(const SettingsStore& settings);

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
    bool IsLostPortBack() override;
    // How often the port woke the program up (data or an error): a port that
    // hung up must not keep doing so.
    int Wakeups() const { return m_wakeups; }

signals:
    // The open port failed while in use (unplugged, gone); it has been closed.
    // The callback hears the same as a kPortLostEvent, from the event loop.
    void portLost(const QString& reason);

private:
    // Which adapter a port is on: its serial number and, as several ports of
    // one adapter share it, which of them; or without one, the device's path.
    struct Adapter {
        QString serialNumber;
        int ordinal = 0;
        QString path;
    };
    // A COM port whose adapter came back elsewhere follows it while the
    // port's configured device is still this one.
    struct Followed {
        QString configured;
        Adapter adapter;
    };

    QString DeviceFor(int comIndex);
    Adapter Identify(const QString& device) const;
    static const SerialPortEntry* Locate(const Adapter& adapter, const QList<SerialPortEntry>& ports);
    void OnReadyRead();
    void OnError(QSerialPort::SerialPortError error);
    void RaiseEvents(bool replyTimedOut);

    PortNameResolver m_resolver;
    PortLister m_listPorts;
    std::function<LineSettings()> m_lineSettings;
    std::shared_ptr<const PortSystemView> m_system;
    QSerialPort m_port;
    QTimer m_replyTimer;
    DriverInputQueue m_input;
    EventCallback m_callback;
    std::string m_lastError;
    bool m_enabled = false;
    int m_wakeups = 0;
    int m_openIndex = -1;
    Adapter m_adapter; // of the port opened last
    bool m_lost = false;
    std::array<Followed, 10> m_followed;
};

} // namespace tessaprint
