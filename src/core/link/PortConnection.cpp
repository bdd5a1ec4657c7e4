#include "link/PortConnection.h"

namespace tessaprint {

PortConnection::PortConnection(SerialDriver& driver, SettingsStore& settings, Prompts& prompts,
                               SerialDriver::EventCallback onEvent)
    : m_driver(driver), m_settings(settings), m_prompts(prompts), m_onEvent(std::move(onEvent))
{
}

std::optional<int> PortConnection::PortNumber(const std::string& name)
{
    for (int n = kMinPort; n <= kMaxPort; ++n) {
        if (name == PortName(n)) {
            return n;
        }
    }
    return std::nullopt;
}

std::string PortConnection::PortName(int n)
{
    return "COM" + std::to_string(n);
}

Result<void> PortConnection::OpenComPort(int n)
{
    if (n < kMinPort || n > kMaxPort) {
        return Error{kErrorInvalidName, "There is no such port."}; // never a port outside COM1 to COM10
    }
    m_currentPort = n;
    m_settings.Write(settings::kPort, PortName(n));
    return OpenDriverPort(m_driver, n, m_onEvent);
}

Result<void> PortConnection::OpenDriverPort(SerialDriver& driver, int n, const SerialDriver::EventCallback& onEvent)
{
    driver.DrvPurge();
    driver.DrvClose();
    if (driver.DrvOpen(n - 1) != 0) {
        return Error{kErrorAccessDenied, driver.LastErrorText()};
    }
    driver.DrvSetCallback(onEvent);
    driver.DrvSetOption(kOptionEvents, kEventsOn);
    driver.DrvEnable(1);
    driver.DrvSetOption(kOptionTimeoutMs, kPortTimeoutMs);
    return {};
}

SerialDriver::EventCallback PortConnection::RouteEvents(SerialDriver::EventCallback onEvent,
                                                        std::function<void()> onLost)
{
    return [onEvent = std::move(onEvent), onLost = std::move(onLost)](int code) {
        if (((code >> 8) & 0xFF) == (kPortLostEvent >> 8)) {
            onLost();
            return code & 0xFFFF;
        }
        return onEvent(code);
    };
}

std::string PortConnection::WithReason(const std::string& message, const Error& failure)
{
#ifdef _WIN32
    (void)failure;
    return message;
#else
    return failure.message.empty() ? message : message + "\n" + failure.message;
#endif
}

void PortConnection::SwitchPort(int n)
{
    const int previous = m_currentPort;
    if (const Result<void> opened = OpenComPort(n); !opened) {
        const std::string message = WithReason("          Port " + PortName(n) + " is in use !", opened.error());
        // With no earlier attempt there is nothing to go back to.
        if (previous >= kMinPort) {
            (void)OpenComPort(previous); // its failure has nothing to add to the message
        } else {
            m_currentPort = 0;
        }
        m_prompts.ShowError(message);
    }
}

void PortConnection::OpenConfiguredPort()
{
    const std::string name = m_settings.Read(settings::kPort);
    const auto n = PortNumber(name);
    if (!n) {
        return; // not a port this program opens: leave it as it is
    }
    if (const Result<void> opened = OpenComPort(*n); !opened) {
        m_prompts.ShowError(WithReason("Port " + name + " is in use !", opened.error()));
    }
}

} // namespace tessaprint
