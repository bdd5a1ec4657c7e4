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
    // 7 March 2015, 21:05:08 until told otherwise; it does not move with
    // Advance, so another thread may read it while time is moved (not while
    // SetLocalTime runs).
    std::optional<std::tm> LocalTime() const override { return m_localTime; }
    void SetLocalTime(std::optional<std::tm> time) { m_localTime = time; }

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
    std::optional<std::tm> m_localTime;
};

} // namespace tessaprint
