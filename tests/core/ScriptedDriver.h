#pragma once

#include "link/SerialDriver.h"

#include <algorithm>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace tessaprint::test {

// A driver whose received bytes are fed by the test. Arrive() only queues
// bytes; Raise() calls the callback as the driver library would. Bytes can
// also be set to turn up while the handler reads ("late" bytes), the way a
// real line keeps filling the driver's buffer during an event.
class ScriptedDriver : public SerialDriver {
public:
    void Arrive(const std::string& bytes) { m_pending.append(bytes); }
    // Each entry is added to the waiting bytes on the next DrvBytesWaiting call.
    void ArriveDuringRead(std::vector<std::string> chunks) { m_late.assign(chunks.begin(), chunks.end()); }
    int Raise(int code) { return m_callback ? m_callback(code) : 0; }
    // The line hangs up: the port closes and the callback hears it.
    void Lose(const std::string& reason)
    {
        openIndex = -1;
        errorText = reason;
        Raise(kPortLostEvent);
    }

    int DrvOpen(int comIndex) override
    {
        opened.push_back(comIndex);
        openIndex = (openResult == 0 && busy.count(comIndex) == 0) ? comIndex : -1;
        return openIndex >= 0 ? 0 : -1;
    }
    std::string LastErrorText() const override { return errorText; }
    void DrvClose() override
    {
        ++closeCount;
        openIndex = -1;
    }
    void DrvPurge() override
    {
        ++purgeCount;
        m_pending.clear();
    }
    int DrvBytesWaiting() override
    {
        ++waitingCalls;
        if (!m_late.empty()) {
            m_pending += m_late.front();
            m_late.pop_front();
        }
        return static_cast<int>(m_pending.size());
    }
    int DrvRead(std::uint8_t* buffer, int maxCount) override
    {
        ++readCalls;
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(maxCount), m_pending.size());
        if (readDeliversNothing) {
            return 0;
        }
        std::copy_n(m_pending.begin(), n, buffer);
        m_pending.erase(0, n);
        return static_cast<int>(n);
    }
    int DrvWrite(const std::uint8_t* buffer, int count) override
    {
        written.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(count));
        return count;
    }
    void DrvSetCallback(EventCallback callback) override { m_callback = std::move(callback); }
    void DrvSetOption(int option, int value) override { options.emplace_back(option, value); }
    void DrvEnable(int enable) override { enabled = enable; }
    bool IsOpen() const override { return openIndex >= 0; }
    bool IsLostPortBack() override
    {
        ++backQueries;
        return adapterBack;
    }

    const std::string& pending() const { return m_pending; }

    int openResult = 0;
    std::set<int> busy; // COM indexes (0 = COM1) that fail to open
    std::string errorText;
    int openIndex = -1;
    bool readDeliversNothing = false;
    std::vector<int> opened;
    std::vector<std::pair<int, int>> options;
    std::string written;
    int enabled = 0;
    int closeCount = 0;
    int purgeCount = 0;
    int waitingCalls = 0;
    int readCalls = 0;
    // Whether the adapter of a lost port is there again, and how often that was asked.
    bool adapterBack = false;
    int backQueries = 0;

private:
    EventCallback m_callback;
    std::string m_pending;
    std::deque<std::string> m_late;
};

} // namespace tessaprint::test
