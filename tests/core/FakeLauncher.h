#pragma once

#include "util/CNotepad.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tessaprint::test {

using Lines = std::vector<std::string>;

// Editors that do as the test says, and a log of what happened to them.
class FakeLauncher : public ProcessLauncher {
public:
    struct State {
        bool running = true;
        bool refusesToClose = false;
        std::string file;
    };

    class Process : public ExternalProcess {
    public:
        Process(FakeLauncher& launcher, std::size_t index) : m_launcher(launcher), m_index(index) {}
        bool IsRunning() override { return m_launcher.states[m_index].running; }
        void RequestClose() override
        {
            m_launcher.log.push_back("close " + std::to_string(m_index));
            if (!m_launcher.states[m_index].refusesToClose) {
                m_launcher.states[m_index].running = false;
            }
        }
        bool WaitForExit(int timeoutMs) override
        {
            m_launcher.log.push_back("wait " + std::to_string(timeoutMs));
            if (m_launcher.duringWait) {
                m_launcher.duringWait();
            }
            return !m_launcher.states[m_index].running;
        }

    private:
        FakeLauncher& m_launcher;
        std::size_t m_index;
    };

    std::unique_ptr<ExternalProcess> Launch(const std::string& program, const Lines& arguments) override
    {
        std::string line = "launch " + program;
        for (const auto& argument : arguments) {
            line += " [" + argument + "]";
        }
        log.push_back(line);
        if (failLaunch) {
            return nullptr;
        }
        states.push_back({true, false, arguments.empty() ? std::string() : arguments.back()});
        return std::make_unique<Process>(*this, states.size() - 1);
    }
    bool IsInstalled(const std::string& program) override
    {
        return std::find(installed.begin(), installed.end(), program) != installed.end();
    }

    // Runs while the program waits for an editor to end.
    std::function<void()> duringWait;
    Lines installed;
    bool failLaunch = false;
    std::vector<State> states;
    Lines log;
};

} // namespace tessaprint::test
