#include "docs/PdfCopyQueue.h"

#include <vector>

namespace tessaprint {

PdfCopyQueue::PdfCopyQueue(std::unique_ptr<ProcessRunner> runner, std::string tempFolder, std::string profileRoot,
                           QObject* parent)
    : QObject(parent), m_runner(std::move(runner)),
      m_converter(*m_runner, std::move(tempFolder), std::move(profileRoot))
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
    RequestBatch(docs::PdfBatchJob{{job.document}, job.office, job.timeLimitSeconds});
}

PdfCopyQueue::Ticket PdfCopyQueue::RequestBatch(const docs::PdfBatchJob& job, BatchDoneHandler done)
{
    auto batch = std::make_shared<Batch>();
    batch->ticket = ++m_lastTicket;
    batch->job = job;
    batch->done = std::move(done);
    m_outstanding += static_cast<int>(job.documents.size());
    {
        const std::lock_guard lock(m_mutex);
        m_batches.push_back(batch);
    }
    if (!m_worker.joinable()) {
        m_worker = std::jthread([this](std::stop_token quit) { Work(quit); });
    }
    m_wake.notify_one();
    return batch->ticket;
}

void PdfCopyQueue::Cancel(std::optional<Ticket> ticket)
{
    const std::lock_guard lock(m_mutex);
    // Waiting batches are reported by the worker when their turn comes, so
    // that every outcome still comes in the order asked.
    for (const std::shared_ptr<Batch>& batch : m_batches) {
        if (!ticket || batch->ticket == *ticket) {
            batch->cancelled = true;
        }
    }
    if (m_current && (!ticket || m_current->ticket == *ticket)) {
        m_cancelCurrent.request_stop();
    }
}

void PdfCopyQueue::Work(std::stop_token quit)
{
    for (;;) {
        std::shared_ptr<Batch> batch;
        std::stop_token cancel;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, quit, [this] { return !m_batches.empty(); })) {
                return;
            }
            batch = std::move(m_batches.front());
            m_batches.pop_front();
            m_current = batch;
            m_cancelCurrent = std::stop_source();
            if (batch->cancelled) {
                m_cancelCurrent.request_stop();
            }
            cancel = m_cancelCurrent.get_token();
        }
        // The run ends when the user cancels it or the program quits.
        std::stop_source stop;
        const std::stop_callback onCancel(cancel, [&stop] { stop.request_stop(); });
        const std::stop_callback onQuit(quit, [&stop] { stop.request_stop(); });

        std::vector<bool> reported(batch->job.documents.size(), false);
        const auto report = [&](std::size_t index, const Result<std::string>& pdf) {
            if (quit.stop_requested() || index >= reported.size() || reported[index]) {
                return;
            }
            reported[index] = true;
            QMetaObject::invokeMethod(
                this, [this, batch, index, pdf] { Report(*batch, index, pdf); }, Qt::QueuedConnection);
        };
        std::vector<Result<std::string>> outcomes;
        if (stop.stop_requested()) {
            // Dropped before its turn: nothing of it is started.
            outcomes.assign(batch->job.documents.size(), Error{kErrorFail, docs::kPdfCopyCancelled});
        } else {
            outcomes = m_converter.Convert(batch->job, report, stop.get_token());
        }
        {
            const std::lock_guard lock(m_mutex);
            m_current.reset();
        }
        if (quit.stop_requested()) {
            return;
        }
        // Any document the converter did not tell of is told of now.
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            report(i, outcomes[i]);
        }
        for (std::size_t i = outcomes.size(); i < reported.size(); ++i) {
            report(i, Error{kErrorFail, docs::kPdfCopyCancelled});
        }
    }
}

void PdfCopyQueue::Report(const Batch& batch, std::size_t index, const Result<std::string>& pdf)
{
    --m_outstanding;
    const std::string& document = batch.job.documents[index];
    if (batch.done) {
        batch.done(index, document, pdf);
    } else if (m_done) {
        m_done(document, pdf);
    }
}

} // namespace tessaprint
