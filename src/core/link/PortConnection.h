#pragma once

#include "link/SerialDriver.h"
#include "util/Prompts.h"
#include "util/Result.h"
#include "util/SettingsStore.h"

#include <functional>
#include <optional>
#include <string>

namespace tessaprint {

// Which COM port the instrument is on. Every open attempt first stores the
// port's name, so the next start opens the port tried last; a switch that
// fails goes back to the previous port and says so.
class PortConnection {
public:
    static constexpr int kMinPort = 1;
    static constexpr int kMaxPort = 10;

    PortConnection(SerialDriver& driver, SettingsStore& settings, Prompts& prompts,
                   SerialDriver::EventCallback onEvent);

    // Opens COMn; a failure carries the system's reason (empty when it gave none).
    Result<void> OpenComPort(int n);
    // The Port menu's COMn.
    void SwitchPort(int n);
    // The start-up open of the stored port.
    void OpenConfiguredPort();

    // The driver's open sequence on COMn, remembering nothing: what a capture
    // from the command line opens its port with.
    static Result<void> OpenDriverPort(SerialDriver& driver, int n, const SerialDriver::EventCallback& onEvent);
    // The port's one callback: a lost port goes to onLost, every other event to onEvent.
    static SerialDriver::EventCallback RouteEvents(SerialDriver::EventCallback onEvent, std::function<void()> onLost);

    // The port of the latest open attempt, 1 to 10; 0 before any.
    int currentPort() const { return m_currentPort; }

    // "COM1" … "COM10" → 1 … 10, exactly and case-sensitively.
    static std::optional<int> PortNumber(const std::string& name);
    static std::string PortName(int n);

private:
    // The message, and on a second line the system's reason when it has one.
    static std::string WithReason(const std::string& message, const Error& failure);

    SerialDriver& m_driver;
    SettingsStore& m_settings;
    Prompts& m_prompts;
    SerialDriver::EventCallback m_onEvent;
    int m_currentPort = 0;
};

} // namespace tessaprint
