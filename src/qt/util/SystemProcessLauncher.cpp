#include "util/SystemProcessLauncher.h"

#ifdef Q_OS_WIN
#include <QProcess>
#include <QStandardPaths>
#else
#include "util/PosixProcessLauncher.h"
#endif

namespace tessaprint {

#ifdef Q_OS_WIN
namespace {

class QtProcess : public ExternalProcess {
public:
    explicit QtProcess(std::unique_ptr<QProcess> process) : m_process(std::move(process)) {}
    ~QtProcess() override
    {
        // Still running: let it be, as the user may have text in it.
        if (m_process->state() != QProcess::NotRunning) {
            m_process.release()->setParent(nullptr);
        }
    }
    bool IsRunning() override { return m_process->state() != QProcess::NotRunning; }
    void RequestClose() override { m_process->terminate(); }
    bool WaitForExit(int timeoutMs) override { return m_process->waitForFinished(timeoutMs); }

private:
    std::unique_ptr<QProcess> m_process;
};

class QtProcessLauncher : public ProcessLauncher {
public:
    std::unique_ptr<ExternalProcess> Launch(const std::string& program,
                                            const std::vector<std::string>& arguments) override
    {
        auto process = std::make_unique<QProcess>();
        QStringList args;
        for (const auto& argument : arguments) {
            args << QString::fromStdString(argument);
        }
        process->start(QString::fromStdString(program), args);
        if (!process->waitForStarted(10000)) {
            return nullptr;
        }
        return std::make_unique<QtProcess>(std::move(process));
    }
    bool IsInstalled(const std::string& program) override
    {
        return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
    }
};

} // namespace

std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher()
{
    return std::make_unique<QtProcessLauncher>();
}
#else
std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher()
{
    return std::make_unique<PosixProcessLauncher>();
}
#endif

} // namespace tessaprint
