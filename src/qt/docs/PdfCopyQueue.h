#pragma once

#include "docs/PdfBatchConverter.h"
#include "docs/PdfConverter.h"
#include "util/ProcessRunner.h"

#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

namespace tessaprint {

// PDF copies made on a thread of their own, so the window never waits for the
// office program: a batch at a time, each batch in as few office runs as the
// converter can, with profiles kept below profileRoot. Each document's
// outcome is reported on the thread the queue belongs to (the window's) as
// its PDF appears, in the order asked. Cancel ends the run under way and
// drops the batches waiting; what they had not made is reported as
// cancelled. When the queue goes (the program quits), the run under way is
// ended and nothing more is reported; the documents are all there.
class PdfCopyQueue : public QObject {
public:
    using DoneHandler = std::function<void(const std::string& document, const Result<std::string>& pdf)>;
    // A batch's own: the document's place in the batch as well.
    using BatchDoneHandler =
        std::function<void(std::size_t index, const std::string& document, const Result<std::string>& pdf)>;
    using Ticket = std::uint64_t;

    PdfCopyQueue(std::unique_ptr<ProcessRunner> runner, std::string tempFolder, std::string profileRoot,
                 QObject* parent = nullptr);
    ~PdfCopyQueue() override;

    // Told of copies asked for with Request.
    void SetDoneHandler(DoneHandler handler) { m_done = std::move(handler); }
    // One copy: a batch of one, reported through the done handler.
    void Request(const docs::PdfJob& job);
    // A batch, reported through done (the done handler when unset); the
    // ticket names it to Cancel.
    Ticket RequestBatch(const docs::PdfBatchJob& job, BatchDoneHandler done = {});
    // Ends the run of that batch (every batch when none is named) if it is
    // under way, or drops it if it waits.
    void Cancel(std::optional<Ticket> ticket = std::nullopt);
    // Copies asked for and not reported yet.
    int Outstanding() const { return m_outstanding; }

private:
    struct Batch {
        Ticket ticket = 0;
        docs::PdfBatchJob job;
        BatchDoneHandler done;
        bool cancelled = false;
    };

    void Work(std::stop_token quit);
    // On the window's thread, in the order the worker tells them.
    void Report(const Batch& batch, std::size_t index, const Result<std::string>& pdf);

    std::unique_ptr<ProcessRunner> m_runner;
    docs::PdfBatchConverter m_converter;
    DoneHandler m_done;
    int m_outstanding = 0;
    Ticket m_lastTicket = 0;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<std::shared_ptr<Batch>> m_batches;
    // The batch being converted and what stops its run; both under m_mutex.
    std::shared_ptr<Batch> m_current;
    std::stop_source m_cancelCurrent;
    // Last: it is stopped and joined before anything it uses goes.
    std::jthread m_worker;
};

} // namespace tessaprint
