#pragma once

#include "docs/PdfConverter.h"
#include "util/ProcessRunner.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tessaprint {

// PDF copies made one at a time on a thread of their own, so the window never
// waits for the office program. Each outcome is reported on the thread the
// queue belongs to (the window's), in the order asked. When the queue goes
// (the program quits), the conversion under way is ended and those still
// waiting are not made; their documents are all there.
class PdfCopyQueue : public QObject {
public:
    using DoneHandler = std::function<void(const std::string& document, const Result<std::string>& pdf)>;

    PdfCopyQueue(std::unique_ptr<ProcessRunner> runner, std::string tempFolder, QObject* parent = nullptr);
    ~PdfCopyQueue() override;

    void SetDoneHandler(DoneHandler handler) { m_done = std::move(handler); }
    void Request(const docs::PdfJob& job);
    // Copies asked for and not reported yet.
    int Outstanding() const { return m_outstanding; }

private:
    void Work(std::stop_token stop);

    std::unique_ptr<ProcessRunner> m_runner;
    docs::PdfConverter m_converter;
    DoneHandler m_done;
    int m_outstanding = 0;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<docs::PdfJob> m_jobs;
    // Last: it is stopped and joined before anything it uses goes.
    std::jthread m_worker;
};

} // namespace tessaprint
