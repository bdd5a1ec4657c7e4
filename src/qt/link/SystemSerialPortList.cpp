#include "link/SystemSerialPortList.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace tessaprint {

SystemSerialPortList::SystemSerialPortList(Clock& clock, Enumerator enumerate, QObject* parent)
    : SerialPortList(parent), m_enumerate(enumerate ? std::move(enumerate) : Enumerator(&Enumerate)),
      m_timer(clock.CreateTimer())
{
    m_ports = m_enumerate();
    m_timer->SetHandler([this] { Poll(); });
    m_timer->Start(kPollMs);
}

SystemSerialPortList::~SystemSerialPortList() = default;

QList<SerialPortEntry> SystemSerialPortList::Enumerate()
{
    QList<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry;
        entry.device = info.systemLocation();
        entry.portName = info.portName();
        entry.description = info.description();
        entry.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier()) {
            entry.vendorId = info.vendorIdentifier();
        }
        if (info.hasProductIdentifier()) {
            entry.productId = info.productIdentifier();
        }
        entry.serialNumber = info.serialNumber();
        ports.append(entry);
    }
    // The system's order can change from one reading to the next; ttyUSB2 comes before ttyUSB10.
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(ports.begin(), ports.end(), [&collator](const SerialPortEntry& a, const SerialPortEntry& b) {
        return collator.compare(a.device, b.device) < 0;
    });
    return ports;
}

void SystemSerialPortList::Poll()
{
    QList<SerialPortEntry> ports = m_enumerate();
    m_timer->Start(kPollMs);
    if (ports != m_ports) {
        m_ports = std::move(ports);
        emit changed();
    }
}

} // namespace tessaprint
