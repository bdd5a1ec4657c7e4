#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tessaprint {

PseudoTerminal::~PseudoTerminal()
{
    if (m_device >= 0) {
        ::close(m_device);
    }
    if (m_controller >= 0) {
        ::close(m_controller);
    }
}

bool PseudoTerminal::Open(std::string& error)
{
    m_controller = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_controller < 0 || ::grantpt(m_controller) != 0 || ::unlockpt(m_controller) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(m_controller);
    if (!name) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_devicePath = name;
    m_device = ::open(name, O_RDWR | O_NOCTTY);
    if (m_device < 0) {
        error = std::string("cannot open ") + m_devicePath + ": " + std::strerror(errno);
        return false;
    }
    // Raw from the start: no echo, no line editing, no CR/LF translation.
    termios tio{};
    if (::tcgetattr(m_device, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_device, TCSANOW, &tio);
    }
    const int flags = ::fcntl(m_controller, F_GETFL);
    ::fcntl(m_controller, F_SETFL, flags | O_NONBLOCK);
    return true;
}

} // namespace tessaprint
