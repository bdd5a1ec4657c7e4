#include "link/CaptureSettings.h"

#include "text/DecimalText.h"
#include "text/Plural.h"

#include <charconv>
#include <cstdio>

namespace tessaprint {

std::optional<std::uint64_t> ParseWholeNumber(const std::string& text, std::uint64_t min, std::uint64_t max)
{
    std::uint64_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || parsed < min || parsed > max) {
        return std::nullopt;
    }
    return parsed;
}

CaptureSettings CaptureSettings::Read(const SettingsStore& settings)
{
    CaptureSettings result;
    if (const auto value =
            ParseWholeNumber(settings.Read(settings::kAnswerTimeoutMs), kMinAnswerTimeoutMs, kMaxAnswerTimeoutMs)) {
        result.answerTimeoutMs = static_cast<int>(*value);
    }
    if (const auto value = ParseWholeNumber(settings.Read(settings::kMaxCaptureBytes), kMinMaxBytes, kMaxMaxBytes)) {
        result.maxBytes = *value;
    }
    if (const auto value =
            ParseWholeNumber(settings.Read(settings::kMaxCaptureSeconds), kMinMaxSeconds, kMaxMaxSeconds)) {
        result.maxSeconds = static_cast<int>(*value);
    }
    return result;
}

std::string DurationText(std::int64_t milliseconds)
{
    char text[48];
    if (milliseconds % 3'600'000 == 0 && milliseconds >= 3'600'000) {
        std::snprintf(text, sizeof text, "%lld h", static_cast<long long>(milliseconds / 3'600'000));
    } else if (milliseconds % 60'000 == 0 && milliseconds >= 60'000) {
        std::snprintf(text, sizeof text, "%lld min", static_cast<long long>(milliseconds / 60'000));
    } else if (milliseconds % 1000 == 0) {
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(milliseconds / 1000));
    } else {
        return WriteDecimal(static_cast<double>(milliseconds) / 1000.0, 1) + " s"; // "2.5 s" in every locale
    }
    return text;
}

std::string ByteCountText(std::uint64_t bytes)
{
    if (bytes >= (1U << 20) && bytes % (1U << 20) == 0) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return std::to_string(bytes >> 10) + " KiB";
    }
    return Plural(bytes, "byte", "bytes");
}

} // namespace tessaprint
