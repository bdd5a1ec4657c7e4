#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>

namespace tessaprint {

// A one-shot timer in the manner of a window timer: Start replaces a running
// countdown, and the handler runs once when the countdown ends.
class Timer {
public:
    using Handler = std::function<void()>;
    virtual ~Timer() = default;
    virtual void SetHandler(Handler handler) = 0;
    virtual void Start(int milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// The time source. The program runs on the event loop's clock; tests run on a
// ManualClock and move time forward themselves, so they never sleep.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t NowMs() const = 0;
    virtual std::unique_ptr<Timer> CreateTimer() = 0;
    // The local calendar time, for file stamps and dates; nothing when the
    // system cannot tell it. Safe to ask from any thread: "All Data Sheets"
    // stamps its documents off the window's thread.
    virtual std::optional<std::tm> LocalTime() const = 0;
};

} // namespace tessaprint
