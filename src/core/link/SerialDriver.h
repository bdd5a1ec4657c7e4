#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tessaprint {

// Event codes reach the callback as 16-bit values; only the high byte says
// what happened.
inline constexpr int kTextEvent = 0x1600;
inline constexpr int kBlockEvent = 0x1700;
// The open port stopped working (unplugged, hung up, read error) and the
// driver closed it; LastErrorText() says why.
inline constexpr int kPortLostEvent = 0x1800;

// The options every open sets, by the driver library's numbers: events on,
// then the port's timeout. The drivers written here (Qt SerialPort, the
// simulated instrument) need neither and accept both.
inline constexpr int kOptionEvents = 15;
inline constexpr int kEventsOn = 1;
inline constexpr int kOptionTimeoutMs = 11;
inline constexpr int kPortTimeoutMs = 20000;

// The serial driver the instrument link is written against. One object is
// driver port 0; the operations keep the names the driver library gave them.
// Implementations: Qt SerialPort, the in-process simulated instrument and a
// scripted fake for tests.
class SerialDriver {
public:
    // Takes the event code (low 16 bits count) and returns an integer.
    using EventCallback = std::function<int(int code)>;

    virtual ~SerialDriver() = default;

    // Opens COM port comIndex + 1 (0 = COM1 … 9 = COM10). 0 when open; any
    // other value means the port is busy, missing or forbidden.
    virtual int DrvOpen(int comIndex) = 0;
    virtual void DrvClose() = 0;
    // Discards received bytes that were not read yet.
    virtual void DrvPurge() = 0;
    // Received bytes waiting to be read (≤ 0: none).
    virtual int DrvBytesWaiting() = 0;
    // Reads up to maxCount bytes into buffer; returns how many were placed.
    virtual int DrvRead(std::uint8_t* buffer, int maxCount) = 0;
    // Sends count bytes; returns how many were accepted (callers may ignore it).
    virtual int DrvWrite(const std::uint8_t* buffer, int count) = 0;
    // The one callback for text events (0x16xx) and block events (0x17xx).
    virtual void DrvSetCallback(EventCallback callback) = 0;
    virtual void DrvSetOption(int option, int value) = 0;
    virtual void DrvEnable(int enable) = 0;
    // True while a port is open (a lost port reports false).
    virtual bool IsOpen() const = 0;

    // Why the last DrvOpen failed or the port was lost, in words for a person
    // ("Permission denied").
    // Empty when there is nothing to add to the caller's own message.
    virtual std::string LastErrorText() const { return {}; }

    // After the open port was lost: whether the adapter it was on is there
    // again (the same USB serial number, or without one the same device), so
    // that opening the same COM port reaches it. A driver that cannot tell
    // says no, and the user opens the port again from the Port menu.
    virtual bool IsLostPortBack() { return false; }
};

} // namespace tessaprint
