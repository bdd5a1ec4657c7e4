#pragma once

#include "util/CNotepad.h"

namespace tessaprint {

// Starts programs through another launcher; while the program waits for one
// of them to end, the window shows a busy cursor and drops clicks and keys
// (BusyInputGuard) instead of running them all once the wait is over.
class BusyWaitLauncher : public ProcessLauncher {
public:
    explicit BusyWaitLauncher(ProcessLauncher& launcher) : m_launcher(launcher) {}

    std::unique_ptr<ExternalProcess> Launch(const std::string& program,
                                            const std::vector<std::string>& arguments) override;
    bool IsInstalled(const std::string& program) override { return m_launcher.IsInstalled(program); }

private:
    ProcessLauncher& m_launcher;
};

} // namespace tessaprint
