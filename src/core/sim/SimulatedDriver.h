#pragma once

#include "link/DriverInputQueue.h"
#include "link/SerialDriver.h"
#include "sim/SimulatedInstrument.h"
#include "util/Clock.h"

#include <memory>
#include <set>

namespace tessaprint {

// A serial driver with a simulated instrument on the other end of the line,
// inside the process: demo mode and end-to-end tests. Bytes reach the
// callback as they would from a real port: in bursts, on the clock's time.
class SimulatedDriver : public SerialDriver {
public:
    SimulatedDriver(SimulatedInstrument& instrument, Clock& clock);

    // Ports that report busy when opened (0 = COM1).
    void SetBusyPorts(std::set<int> comIndexes) { m_busy = std::move(comIndexes); }
    int OpenPortIndex() const { return m_openIndex; }

    int DrvOpen(int comIndex) override;
    void DrvClose() override;
    void DrvPurge() override;
    int DrvBytesWaiting() override;
    int DrvRead(std::uint8_t* buffer, int maxCount) override;
    int DrvWrite(const std::uint8_t* buffer, int count) override;
    void DrvSetCallback(EventCallback callback) override;
    void DrvSetOption(int option, int value) override;
    void DrvEnable(int enable) override;
    bool IsOpen() const override { return m_openIndex >= 0; }
    std::string LastErrorText() const override;

private:
    void Schedule();
    void OnTimer();
    void RaiseEvents(bool replyTimedOut);

    SimulatedInstrument& m_instrument;
    Clock& m_clock;
    std::unique_ptr<Timer> m_timer;
    std::unique_ptr<Timer> m_replyTimer;
    DriverInputQueue m_input;
    EventCallback m_callback;
    std::set<int> m_busy;
    int m_openIndex = -1;
    bool m_enabled = false;
};

} // namespace tessaprint
