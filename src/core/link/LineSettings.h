#pragma once

#include "util/SettingsStore.h"

#include <string>

namespace tessaprint {

// How the serial line is set: speed, data bits, parity and stop bits. The
// instrument's own settings must match, or nothing readable arrives.
struct LineSettings {
    enum class Parity { None, Even, Odd };

    static constexpr int kDefaultBaud = 115200;
    static constexpr int kDefaultDataBits = 8;
    static constexpr int kDefaultStopBits = 1;

    int baud = kDefaultBaud;
    int dataBits = kDefaultDataBits;
    Parity parity = Parity::None;
    int stopBits = kDefaultStopBits;

    // The speeds offered, slowest first.
    static const int kBauds[10];

    // The stored values; one that is not among the choices means its default.
    // Reading never writes.
    static LineSettings Read(const SettingsStore& settings);
    void Write(SettingsStore& settings) const;

    // "115200 baud, 8 data bits, no parity, 1 stop bit".
    std::string Text() const;
    // The sentence for a link that gives no answer or no readable line.
    std::string Advice() const;

    // As stored: "None", "Even", "Odd".
    static std::string ParityName(Parity parity);

    bool operator==(const LineSettings&) const = default;
};

} // namespace tessaprint
