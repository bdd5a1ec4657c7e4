#include "link/LineSettings.h"

#include "link/CaptureSettings.h"

#include <algorithm>
#include <iterator>

namespace tessaprint {

const int LineSettings::kBauds[10] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

LineSettings LineSettings::Read(const SettingsStore& settings)
{
    LineSettings result;
    if (const auto baud = ParseWholeNumber(settings.Read(settings::kBaudRate), kBauds[0], kBauds[9])) {
        if (std::find(std::begin(kBauds), std::end(kBauds), static_cast<int>(*baud)) != std::end(kBauds)) {
            result.baud = static_cast<int>(*baud);
        }
    }
    if (const auto bits = ParseWholeNumber(settings.Read(settings::kDataBits), 7, 8)) {
        result.dataBits = static_cast<int>(*bits);
    }
    const std::string parity = settings.Read(settings::kParity);
    for (const Parity p : {Parity::None, Parity::Even, Parity::Odd}) {
        if (parity == ParityName(p)) {
            result.parity = p;
        }
    }
    if (const auto bits = ParseWholeNumber(settings.Read(settings::kStopBits), 1, 2)) {
        result.stopBits = static_cast<int>(*bits);
    }
    return result;
}

void LineSettings::Write(SettingsStore& settings) const
{
    settings.Write(settings::kBaudRate, std::to_string(baud));
    settings.Write(settings::kDataBits, std::to_string(dataBits));
    settings.Write(settings::kParity, ParityName(parity));
    settings.Write(settings::kStopBits, std::to_string(stopBits));
}

std::string LineSettings::ParityName(Parity parity)
{
    switch (parity) {
    case Parity::Even:
        return "Even";
    case Parity::Odd:
        return "Odd";
    case Parity::None:
        break;
    }
    return "None";
}

std::string LineSettings::Text() const
{
    const std::string parityText =
        parity == Parity::None ? "no parity" : (parity == Parity::Even ? "even" : "odd") + std::string(" parity");
    return std::to_string(baud) + " baud, " + std::to_string(dataBits) + " data bits, " + parityText + ", " +
           std::to_string(stopBits) + (stopBits == 1 ? " stop bit" : " stop bits");
}

std::string LineSettings::Advice() const
{
    return "Check the instrument's serial settings: this program uses " + Text() + " (Port > Settings).";
}

} // namespace tessaprint
