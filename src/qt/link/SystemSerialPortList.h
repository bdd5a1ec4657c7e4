#pragma once

#include "link/SerialPortList.h"
#include "util/Clock.h"

#include <functional>
#include <memory>

namespace tessaprint {

// The system's serial ports through QSerialPortInfo. Qt tells nobody when an
// adapter is plugged in or out, so the list is read again every
// kPollMs, and changed() follows only when it differs.
class SystemSerialPortList : public SerialPortList {
    Q_OBJECT
public:
    using Enumerator = std::function<QList<SerialPortEntry>()>;

    static constexpr int kPollMs = 1500;

    // enumerate reads the list; the system's ports when unset.
    explicit SystemSerialPortList(Clock& clock, Enumerator enumerate = {}, QObject* parent = nullptr);
    ~SystemSerialPortList() override;

    QList<SerialPortEntry> Ports() const override { return m_ports; }

    // The system's ports as they are at this moment.
    static QList<SerialPortEntry> Enumerate();

private:
    void Poll();

    Enumerator m_enumerate;
    std::unique_ptr<Timer> m_timer;
    QList<SerialPortEntry> m_ports;
};

} // namespace tessaprint
