#pragma once

#include "link/SerialDriver.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tessaprint {

// What the program sends the instrument, byte for byte, without terminator.
inline constexpr std::string_view kPrintCommand = "print\r\n";
inline constexpr std::string_view kClearMemoryCommand = "PRINTCLR\r\n";
// A bare frame header: type F0 (version), length 4, param 0, check F4.
inline constexpr std::array<std::uint8_t, 4> kVersionRequest = {0xF0, 0x04, 0x00, 0xF4};

inline int SendCommand(SerialDriver& driver, std::string_view command)
{
    return driver.DrvWrite(reinterpret_cast<const std::uint8_t*>(command.data()), static_cast<int>(command.size()));
}

inline int SendVersionRequest(SerialDriver& driver)
{
    return driver.DrvWrite(kVersionRequest.data(), static_cast<int>(kVersionRequest.size()));
}

} // namespace tessaprint
