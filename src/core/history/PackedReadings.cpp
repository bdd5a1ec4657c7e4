#include "history/PackedReadings.h"

#include <algorithm>
#include <charconv>

namespace tessaprint::history {

std::string PackReadings(const std::vector<HistoryReading>& readings)
{
    std::vector<const HistoryReading*> ordered;
    ordered.reserve(readings.size());
    for (const HistoryReading& reading : readings) {
        ordered.push_back(&reading);
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const HistoryReading* a, const HistoryReading* b) { return a->item < b->item; });
    std::string packed;
    for (const HistoryReading* reading : ordered) {
        if (!packed.empty()) {
            packed += '\x1E';
        }
        packed += std::to_string(reading->item);
        packed += '\x1F';
        packed += StoredText(reading->test);
        packed += '\x1F';
        packed += StoredText(reading->reading);
    }
    return packed;
}

std::vector<PackedReading> UnpackReadings(std::string_view packed)
{
    std::vector<PackedReading> readings;
    readings.reserve(static_cast<std::size_t>(std::count(packed.begin(), packed.end(), '\x1E')) + 1);
    bool inOrder = true;
    std::size_t at = 0;
    while (at < packed.size()) {
        std::size_t end = packed.find('\x1E', at);
        if (end == std::string_view::npos) {
            end = packed.size();
        }
        const std::string_view one = packed.substr(at, end - at);
        const std::size_t first = one.find('\x1F');
        const std::size_t second = first == std::string_view::npos ? first : one.find('\x1F', first + 1);
        if (second != std::string_view::npos) {
            PackedReading& reading = readings.emplace_back();
            std::from_chars(one.data(), one.data() + first, reading.item);
            reading.test = one.substr(first + 1, second - first - 1);
            reading.reading = one.substr(second + 1);
            inOrder = inOrder && (readings.size() < 2 || readings[readings.size() - 2].item <= reading.item);
        }
        at = end + 1;
    }
    if (!inOrder) {
        std::stable_sort(readings.begin(), readings.end(),
                         [](const PackedReading& a, const PackedReading& b) { return a.item < b.item; });
    }
    return readings;
}

} // namespace tessaprint::history
