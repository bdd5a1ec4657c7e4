#include "results/AllDataSheetsRunner.h"

#include <QMetaObject>

#include <exception>
#include <utility>

namespace tessaprint {

AllDataSheetsRunner::AllDataSheetsRunner(QObject* parent) : QObject(parent)
{
}

AllDataSheetsRunner::~AllDataSheetsRunner()
{
    Stop();
}

bool AllDataSheetsRunner::Start(docs::AllDataSheetsInput input, docs::WordProcessorFactory wordProcessor,
                                const Clock& clock)
{
    if (m_running) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_cancel = false;
    m_running = true;
    const std::uint64_t run = ++m_run;
    m_pending = std::make_unique<docs::AllDataSheetsResult>();
    m_thread = std::thread([this, run, &clock, pending = m_pending.get(), input = std::move(input),
                            wordProcessor = std::move(wordProcessor)]() mutable {
        docs::AllDataSheetsCallbacks callbacks;
        callbacks.beforeDocument = [this, run](int index, int total, const std::string& equipmentId) {
            Post(run,
                 [this, index, total, id = QString::fromStdString(equipmentId)] { emit progress(index, total, id); });
            return !m_cancel.load();
        };
        callbacks.documentWritten = [this, run](const std::string& path) {
            Post(run, [this, written = QString::fromStdString(path)] { emit documentWritten(written); });
        };
        // The run itself throws nothing; what could is keeping its result
        // (memory). That must not end the program from this thread, and it is
        // an error, never a cancel. What was written is on disk all the same.
        const auto stopped = [&](const char* why) {
            pending->total = input.listing.SelectorCount();
            pending->folder = input.reportsFolder;
            pending->error = why;
        };
        try {
            *pending = docs::WriteAllDataSheets(input, wordProcessor, clock, callbacks);
        } catch (const std::exception& error) {
            stopped(error.what());
        } catch (...) {
            stopped("an error of an unknown kind");
        }
        Post(run, [this] { Finish(); });
    });
    return true;
}

void AllDataSheetsRunner::Cancel()
{
    m_cancel = true;
}

void AllDataSheetsRunner::Stop()
{
    m_cancel = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    ++m_run;
    m_pending.reset();
    m_running = false;
}

void AllDataSheetsRunner::Post(std::uint64_t run, std::function<void()> what)
{
    QMetaObject::invokeMethod(
        this,
        [this, run, what = std::move(what)] {
            if (run == m_run) {
                what();
            }
        },
        Qt::QueuedConnection);
}

void AllDataSheetsRunner::Finish()
{
    // The thread posted this last: it is ending, if not gone already.
    m_thread.join();
    m_result = std::move(*m_pending);
    m_pending.reset();
    m_running = false;
    emit finished();
}

} // namespace tessaprint
