#include "util/QtProcessRunner.h"

#include <QDeadlineTimer>
#include <QProcess>

#ifndef Q_OS_WIN
#include "util/PosixProcessRunner.h"
#endif

namespace tessaprint {

namespace {

// How often a running job is looked at: its exit, the stop request, the limit, the watch.
constexpr int kPollMs = 50;
// How long a killed job may take to be gone.
constexpr int kKillWaitMs = 5000;

// Keeps the end of the output, and gives the watch what is new.
bool Keep(std::string& kept, const QByteArray& more, const ProcessWatch& watch)
{
    kept.append(more.constData(), static_cast<std::size_t>(more.size()));
    if (kept.size() > ProcessRunner::kOutputKept) {
        kept.erase(0, kept.size() - ProcessRunner::kOutputKept);
    }
    return !watch || watch(std::string_view(more.constData(), static_cast<std::size_t>(more.size())));
}

} // namespace

Result<ProcessOutcome> QtProcessRunner::Run(const std::string& program, const std::vector<std::string>& arguments,
                                            int timeLimitMs, std::stop_token stop, const ProcessWatch& watch)
{
    QStringList args;
    for (const auto& argument : arguments) {
        args << QString::fromStdString(argument);
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    const QDeadlineTimer deadline(timeLimitMs);
    process.start(QString::fromStdString(program), args);
    if (!process.waitForStarted(timeLimitMs)) {
        return Error{kErrorFail, process.errorString().toStdString()};
    }
    ProcessOutcome outcome;
    while (!process.waitForFinished(kPollMs) && process.state() != QProcess::NotRunning) {
        if (!Keep(outcome.output, process.readAll(), watch) || stop.stop_requested()) {
            outcome.end = ProcessOutcome::End::Stopped;
            break;
        }
        if (deadline.hasExpired()) {
            outcome.end = ProcessOutcome::End::TimedOut;
            break;
        }
    }
    if (outcome.end != ProcessOutcome::End::Exited) {
        process.kill();
        process.waitForFinished(kKillWaitMs);
    }
    Keep(outcome.output, process.readAll(), watch);
    if (outcome.end == ProcessOutcome::End::Exited) {
        if (process.exitStatus() == QProcess::CrashExit) {
            outcome.end = ProcessOutcome::End::Crashed;
        }
        outcome.exitCode = process.exitCode();
    }
    return outcome;
}

std::unique_ptr<ProcessRunner> MakeSystemProcessRunner()
{
#ifdef Q_OS_WIN
    return std::make_unique<QtProcessRunner>();
#else
    return std::make_unique<PosixProcessRunner>();
#endif
}

} // namespace tessaprint
