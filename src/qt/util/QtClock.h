#pragma once

#include "util/Clock.h"

#include <QElapsedTimer>

namespace tessaprint {

// The event loop's time: timers are QTimers on the calling thread.
class QtClock : public Clock {
public:
    QtClock();
    std::int64_t NowMs() const override;
    std::unique_ptr<Timer> CreateTimer() override;
    std::optional<std::tm> LocalTime() const override;

private:
    QElapsedTimer m_elapsed;
};

} // namespace tessaprint
