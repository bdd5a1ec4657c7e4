#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace tessaprint {

// One serial port the system has, as Qt SerialPort describes it.
struct SerialPortEntry {
    QString device; // the path to open (systemLocation): /dev/ttyUSB0, COM3
    QString portName;
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId; // USB adapters only
    std::optional<quint16> productId;
    QString serialNumber; // empty when the adapter has none

    // "0403:6001", or empty without USB ids.
    QString UsbId() const;
    bool operator==(const SerialPortEntry&) const = default;
};

// The serial ports the system has now. changed() says that an adapter was
// plugged in or out since Ports() was last different.
class SerialPortList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QList<SerialPortEntry> Ports() const = 0;

    // The device a path ends at after its links; the path itself when it is not there.
    static QString CanonicalDevice(const QString& path);
    // The listed port that is this device, also when the device is a link to
    // it (/dev/serial/by-id/…); nullptr when none is.
    static const SerialPortEntry* Find(const QList<SerialPortEntry>& ports, const QString& device);
    // What a person is told after the device's path: " — FT232R USB UART",
    // " (no description)" for a device that is there without one, " (not
    // connected)" for one that is not there.
    static QString Presence(const QString& device, const QList<SerialPortEntry>& ports);
    // Whether the device is there: listed, or (outside Windows) a file.
    static bool IsThere(const QString& device, const QList<SerialPortEntry>& ports);

signals:
    void changed();
};

} // namespace tessaprint
