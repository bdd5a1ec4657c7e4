#pragma once

#include "link/SerialPortList.h"

namespace tessaprint {

// A port list that holds what it is given: the demo's simulated adapters,
// and the adapters a test plugs in and out.
class FixedSerialPortList : public SerialPortList {
    Q_OBJECT
public:
    explicit FixedSerialPortList(QList<SerialPortEntry> ports = {}, QObject* parent = nullptr)
        : SerialPortList(parent), m_ports(std::move(ports))
    {
    }

    QList<SerialPortEntry> Ports() const override { return m_ports; }

    // changed() follows when the list differs.
    void SetPorts(QList<SerialPortEntry> ports)
    {
        if (ports != m_ports) {
            m_ports = std::move(ports);
            emit changed();
        }
    }

private:
    QList<SerialPortEntry> m_ports;
};

} // namespace tessaprint
