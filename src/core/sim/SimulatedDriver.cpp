#include "sim/SimulatedDriver.h"

#include <algorithm>
#include <string_view>

namespace tessaprint {

SimulatedDriver::SimulatedDriver(SimulatedInstrument& instrument, Clock& clock)
    : m_instrument(instrument), m_clock(clock), m_timer(clock.CreateTimer()), m_replyTimer(clock.CreateTimer())
{
    m_timer->SetHandler([this] { OnTimer(); });
    m_replyTimer->SetHandler([this] { RaiseEvents(true); });
}

int SimulatedDriver::DrvOpen(int comIndex)
{
    if (comIndex < 0 || comIndex > 9 || m_busy.count(comIndex) > 0) {
        return -1;
    }
    m_openIndex = comIndex;
    return 0;
}

void SimulatedDriver::DrvClose()
{
    m_openIndex = -1;
    m_enabled = false;
    m_input.Purge();
}

void SimulatedDriver::DrvPurge()
{
    m_input.Purge();
}

int SimulatedDriver::DrvBytesWaiting()
{
    return m_input.Waiting();
}

int SimulatedDriver::DrvRead(std::uint8_t* buffer, int maxCount)
{
    return m_input.Read(buffer, maxCount);
}

int SimulatedDriver::DrvWrite(const std::uint8_t* buffer, int count)
{
    if (m_openIndex < 0 || count <= 0) {
        return 0;
    }
    m_input.NoteWrite(buffer, static_cast<std::size_t>(count));
    m_instrument.Receive(std::string_view(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count)),
                         m_clock.NowMs());
    Schedule();
    return count;
}

void SimulatedDriver::DrvSetCallback(EventCallback callback)
{
    m_callback = std::move(callback);
}

void SimulatedDriver::DrvSetOption(int, int)
{
}

void SimulatedDriver::DrvEnable(int enable)
{
    m_enabled = enable != 0;
}

std::string SimulatedDriver::LastErrorText() const
{
    return "The simulated port is in use.";
}

void SimulatedDriver::Schedule()
{
    if (const auto due = m_instrument.NextDueMs()) {
        m_timer->Start(static_cast<int>(std::max<std::int64_t>(0, *due - m_clock.NowMs())));
    }
}

void SimulatedDriver::OnTimer()
{
    for (const auto& burst : m_instrument.TakeDue(m_clock.NowMs())) {
        // A closed port hears nothing; the instrument prints on regardless.
        if (m_openIndex >= 0) {
            m_input.Append(reinterpret_cast<const std::uint8_t*>(burst.bytes.data()), burst.bytes.size());
        }
    }
    RaiseEvents(false);
    Schedule();
}

void SimulatedDriver::RaiseEvents(bool replyTimedOut)
{
    if (!m_enabled) {
        return;
    }
    if (m_input.Dispatch(m_callback, replyTimedOut)) {
        if (!m_replyTimer->IsActive()) {
            m_replyTimer->Start(DriverInputQueue::kReplyTimeoutMs);
        }
    } else {
        m_replyTimer->Stop();
    }
}

} // namespace tessaprint
