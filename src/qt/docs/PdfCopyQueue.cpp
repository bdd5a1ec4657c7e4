#include "docs/PdfCopyQueue.h"

namespace tessaprint {

PdfCopyQueue::PdfCopyQueue(std::unique_ptr<ProcessRunner> runner, std::string tempFolder, QObject* parent)
    : QObject(parent), m_runner(std::move(runner)), m_converter(*m_runner, std::move(tempFolder))
{
}

PdfCopyQueue::~PdfCopyQueue()
{
    if (m_worker.joinable()) {
        m_worker.request_stop();
        m_worker.join();
    }
}

void PdfCopyQueue::Request(const docs::PdfJob& job)
{
    ++m_outstanding;
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(job);
    }
    if (!m_worker.joinable()) {
        m_worker = std::jthread([this](std::stop_token stop) { Work(stop); });
    }
    m_wake.notify_one();
}

void PdfCopyQueue::Work(std::stop_token stop)
{
    for (;;) {
        docs::PdfJob job;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, stop, [this] { return !m_jobs.empty(); })) {
                return;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        const Result<std::string> pdf = m_converter.Convert(job, stop);
        if (stop.stop_requested()) {
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this, document = job.document, pdf] {
                --m_outstanding;
                if (m_done) {
                    m_done(document, pdf);
                }
            },
            Qt::QueuedConnection);
    }
}

} // namespace tessaprint
