#pragma once

#include "util/SettingsStore.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tessaprint {

// How long a capture may wait and how much it may take. The answer time ends
// a capture whose instrument stays silent; the two limits end one that never
// goes quiet (noise from a broken cable), keeping what arrived. The defaults
// leave room for a full memory (50 records of 100 readings) at 300 baud.
struct CaptureSettings {
    static constexpr int kDefaultAnswerTimeoutMs = 5000;
    static constexpr int kMinAnswerTimeoutMs = 1000;
    static constexpr int kMaxAnswerTimeoutMs = 600'000;
    static constexpr std::uint64_t kDefaultMaxBytes = 4U << 20;
    static constexpr std::uint64_t kMinMaxBytes = 1024;
    static constexpr std::uint64_t kMaxMaxBytes = 1U << 30;
    static constexpr int kDefaultMaxSeconds = 4 * 3600;
    static constexpr int kMinMaxSeconds = 1;
    static constexpr int kMaxMaxSeconds = 48 * 3600;

    int answerTimeoutMs = kDefaultAnswerTimeoutMs;
    std::uint64_t maxBytes = kDefaultMaxBytes;
    int maxSeconds = kDefaultMaxSeconds;

    // The stored values; one that is not a whole number in its range means
    // its default. Reading never writes.
    static CaptureSettings Read(const SettingsStore& settings);
};

// A whole decimal number from min to max, or nothing ("12 s", "-1", "").
std::optional<std::uint64_t> ParseWholeNumber(const std::string& text, std::uint64_t min, std::uint64_t max);

// "5 s", "1.5 s", "4 h".
std::string DurationText(std::int64_t milliseconds);
// "4 MiB", "1500 bytes".
std::string ByteCountText(std::uint64_t bytes);

} // namespace tessaprint
