#pragma once

#include "link/SerialDriver.h"
#include "util/Clock.h"

#include <functional>
#include <memory>

namespace tessaprint {

// After the open port was lost, looks once a second whether its adapter is
// back, for at most a minute. onBack tries to open the port again and says
// whether that worked; until it does, the watch goes on. onGaveUp runs when
// the minute passed without the port coming back.
class ReplugWatch {
public:
    static constexpr int kPollMs = 1000;
    static constexpr int kWindowMs = 60'000;

    ReplugWatch(SerialDriver& driver, Clock& clock, std::function<bool()> onBack, std::function<void()> onGaveUp);

    void Start();
    void Stop() { m_timer->Stop(); }
    bool IsWatching() const { return m_timer->IsActive(); }

private:
    void Poll();

    SerialDriver& m_driver;
    Clock& m_clock;
    std::function<bool()> m_onBack;
    std::function<void()> m_onGaveUp;
    std::unique_ptr<Timer> m_timer;
    std::int64_t m_deadline = 0;
};

} // namespace tessaprint
