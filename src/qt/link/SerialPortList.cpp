#include "link/SerialPortList.h"

#include <QFileInfo>

namespace tessaprint {

namespace {

QString Hex4(quint16 value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

} // namespace

QString SerialPortList::CanonicalDevice(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString SerialPortEntry::UsbId() const
{
    if (!vendorId || !productId) {
        return {};
    }
    return Hex4(*vendorId) + QLatin1Char(':') + Hex4(*productId);
}

const SerialPortEntry* SerialPortList::Find(const QList<SerialPortEntry>& ports, const QString& device)
{
    if (device.isEmpty()) {
        return nullptr;
    }
    // Windows names a port "COM3" and lists it at \\.\COM3.
    for (const SerialPortEntry& port : ports) {
        if (port.device == device || port.portName == device) {
            return &port;
        }
    }
    const QString target = CanonicalDevice(device);
    for (const SerialPortEntry& port : ports) {
        if (CanonicalDevice(port.device) == target) {
            return &port;
        }
    }
    return nullptr;
}

QString SerialPortList::Presence(const QString& device, const QList<SerialPortEntry>& ports)
{
    if (const SerialPortEntry* port = Find(ports, device); port && !port->description.isEmpty()) {
        return QStringLiteral(" \u2014 ") + port->description;
    }
    return IsThere(device, ports) ? QStringLiteral(" (no description)") : QStringLiteral(" (not connected)");
}

bool SerialPortList::IsThere(const QString& device, const QList<SerialPortEntry>& ports)
{
    if (Find(ports, device)) {
        return true;
    }
#ifndef Q_OS_WIN
    // Ports Qt does not list, such as pseudo-terminals, are there when their file is.
    return !device.isEmpty() && QFileInfo::exists(device);
#else
    return false;
#endif
}

} // namespace tessaprint
