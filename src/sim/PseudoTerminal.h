#pragma once

#include <string>

namespace tessaprint {

// The controller side of a pseudo-terminal pair in raw mode. The program
// under test opens the device path like any serial port.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // False with a message in error when no terminal could be had.
    bool Open(std::string& error);
    int ControllerFd() const { return m_controller; }
    const std::string& DevicePath() const { return m_devicePath; }

private:
    int m_controller = -1;
    // Held open so the controller side never sees a hang-up between the
    // program's opens and closes of the device.
    int m_device = -1;
    std::string m_devicePath;
};

} // namespace tessaprint
