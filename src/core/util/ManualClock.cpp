#include "util/ManualClock.h"

#include <algorithm>

namespace tessaprint {

class ManualClock::ManualTimer : public Timer {
public:
    explicit ManualTimer(ManualClock& clock) : m_clock(clock) { m_clock.m_timers.push_back(this); }
    ~ManualTimer() override { std::erase(m_clock.m_timers, this); }

    void SetHandler(Handler handler) override { m_handler = std::move(handler); }
    void Start(int milliseconds) override
    {
        m_active = true;
        m_due = m_clock.m_now + std::max(0, milliseconds);
        m_order = ++m_clock.m_sequence;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }

    void Fire()
    {
        m_active = false;
        if (m_handler) {
            m_handler();
        }
    }

    ManualClock& m_clock;
    Handler m_handler;
    bool m_active = false;
    std::int64_t m_due = 0;
    std::uint64_t m_order = 0;
};

ManualClock::ManualClock()
{
    std::tm time{};
    time.tm_year = 2015 - 1900;
    time.tm_mon = 2;
    time.tm_mday = 7;
    time.tm_hour = 21;
    time.tm_min = 5;
    time.tm_sec = 8;
    m_localTime = time;
}

ManualClock::~ManualClock() = default;

std::unique_ptr<Timer> ManualClock::CreateTimer()
{
    return std::make_unique<ManualTimer>(*this);
}

ManualClock::ManualTimer* ManualClock::NextDue() const
{
    ManualTimer* next = nullptr;
    for (auto* timer : m_timers) {
        if (timer->m_active &&
            (!next || timer->m_due < next->m_due || (timer->m_due == next->m_due && timer->m_order < next->m_order))) {
            next = timer;
        }
    }
    return next;
}

void ManualClock::Advance(std::int64_t milliseconds)
{
    const std::int64_t end = m_now + std::max<std::int64_t>(0, milliseconds);
    while (auto* timer = NextDue()) {
        if (timer->m_due > end) {
            break;
        }
        m_now = std::max(m_now, timer->m_due);
        timer->Fire();
    }
    m_now = end;
}

bool ManualClock::RunNextTimer()
{
    auto* timer = NextDue();
    if (!timer) {
        return false;
    }
    m_now = std::max(m_now, timer->m_due);
    timer->Fire();
    return true;
}

void ManualClock::RunUntilIdle(std::int64_t limitMs)
{
    const std::int64_t end = m_now + limitMs;
    while (auto* timer = NextDue()) {
        if (timer->m_due > end) {
            break;
        }
        RunNextTimer();
    }
}

} // namespace tessaprint
