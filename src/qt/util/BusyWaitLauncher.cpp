#include "util/BusyWaitLauncher.h"

#include "util/BusyInputGuard.h"

namespace tessaprint {

namespace {

class BusyWaitProcess : public ExternalProcess {
public:
    explicit BusyWaitProcess(std::unique_ptr<ExternalProcess> process) : m_process(std::move(process)) {}
    bool IsRunning() override { return m_process->IsRunning(); }
    void RequestClose() override { m_process->RequestClose(); }
    bool WaitForExit(int timeoutMs) override
    {
        const BusyInputGuard busy;
        return m_process->WaitForExit(timeoutMs);
    }

private:
    std::unique_ptr<ExternalProcess> m_process;
};

} // namespace

std::unique_ptr<ExternalProcess> BusyWaitLauncher::Launch(const std::string& program,
                                                          const std::vector<std::string>& arguments)
{
    std::unique_ptr<ExternalProcess> process = m_launcher.Launch(program, arguments);
    if (!process) {
        return nullptr;
    }
    return std::make_unique<BusyWaitProcess>(std::move(process));
}

} // namespace tessaprint
