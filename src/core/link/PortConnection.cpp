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

int PortConnection::OpenComPort(int n)
{
    if (n < kMinPort || n > kMaxPort) {
        return -1; // never a port outside COM1 to COM10
    }
    m_currentPort = n;
    m_settings.WriteProfileString(settings::kSerial, settings::kPort, PortName(n));
    m_driver.DrvPurge();
    m_driver.DrvClose();
    if (m_driver.DrvOpen(n - 1) != 0) {
        return -1;
    }
    m_driver.DrvSetCallback(m_onEvent);
    m_driver.DrvSetOption(15, 1);
    m_driver.DrvEnable(1);
    m_driver.DrvSetOption(11, 20000);
    return 0;
}

std::string PortConnection::WithReason(const std::string& message) const
{
#ifdef _WIN32
    return message;
#else
    const std::string reason = m_driver.LastErrorText();
    return reason.empty() ? message : message + "\n" + reason;
#endif
}

void PortConnection::SwitchPort(int n)
{
    const int previous = m_currentPort;
    if (OpenComPort(n) == -1) {
        const std::string message = WithReason("          Port " + PortName(n) + " is in use !");
        // With no earlier attempt there is nothing to go back to.
        if (previous >= kMinPort) {
            OpenComPort(previous);
        } else {
            m_currentPort = 0;
        }
        m_prompts.ShowError(message);
    }
}

void PortConnection::OpenConfiguredPort()
{
    const std::string name = m_settings.GetProfileString(settings::kSerial, settings::kPort, settings::kDefaultPort);
    const auto n = PortNumber(name);
    if (!n) {
        return; // not a port this program opens: leave it as it is
    }
    if (OpenComPort(*n) == -1) {
        m_prompts.ShowError(WithReason("Port " + name + " is in use !"));
    }
}

} // namespace tessaprint
