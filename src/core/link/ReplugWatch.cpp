#include "link/ReplugWatch.h"

namespace tessaprint {

ReplugWatch::ReplugWatch(SerialDriver& driver, Clock& clock, std::function<bool()> onBack,
                         std::function<void()> onGaveUp)
    : m_driver(driver), m_clock(clock), m_onBack(std::move(onBack)), m_onGaveUp(std::move(onGaveUp)),
      m_timer(clock.CreateTimer())
{
    m_timer->SetHandler([this] { Poll(); });
}

void ReplugWatch::Start()
{
    m_deadline = m_clock.NowMs() + kWindowMs;
    m_timer->Start(kPollMs);
}

void ReplugWatch::Poll()
{
    if (m_driver.IsLostPortBack() && m_onBack()) {
        return;
    }
    if (m_clock.NowMs() >= m_deadline) {
        m_onGaveUp();
        return;
    }
    m_timer->Start(kPollMs);
}

} // namespace tessaprint
