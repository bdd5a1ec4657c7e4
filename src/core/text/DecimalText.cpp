#include "text/DecimalText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tessaprint {

std::optional<double> ReadDecimal(std::string_view text)
{
    // std::from_chars takes a minus sign but no plus sign.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    bool digit = false;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else if (!(c == '-' && i == 0)) {
            return std::nullopt; // no exponent, no "inf", no hexadecimal
        }
    }
    if (!digit) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string WriteDecimal(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 30);
    // The largest double has 309 digits before the point.
    std::array<char, 400> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        return {};
    }
    return std::string(text.data(), end);
}

} // namespace tessaprint
