#pragma once

#include "util/Clock.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tessaprint {

// Time that only moves when told to. Advance() runs every timer that falls due
// on the way, in order of due time, each at its own moment.
class ManualClock : public Clock {
public:
    ManualClock();
    ~ManualClock() override;

    std::int64_t NowMs() const override { return m_now; }
    std::unique_ptr<Timer> CreateTimer() override;

    void Advance(std::int64_t milliseconds);
    // Moves on to the next due timer and runs it; false when none is active.
    bool RunNextTimer();
    // Runs timers until none is active or limitMs has passed.
    void RunUntilIdle(std::int64_t limitMs = 60'000);

private:
    class ManualTimer;
    friend class ManualTimer;
    ManualTimer* NextDue() const;

    std::int64_t m_now = 0;
    std::uint64_t m_sequence = 0;
    std::vector<ManualTimer*> m_timers;
};

} // namespace tessaprint
