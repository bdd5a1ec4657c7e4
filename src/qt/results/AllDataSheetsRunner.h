#pragma once

#include "docs/AllDataSheets.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace tessaprint {

// Runs "All Data Sheets" (docs::WriteAllDataSheets) on a thread of its own,
// so the window stays responsive and the port keeps receiving meanwhile. The
// signals come on the thread that made the runner (the window's), in order.
class AllDataSheetsRunner : public QObject {
    Q_OBJECT
public:
    explicit AllDataSheetsRunner(QObject* parent = nullptr);
    // Stops a run that is still going on (see Stop).
    ~AllDataSheetsRunner() override;

    // Starts writing the documents of input; false, with nothing started,
    // while a run is going on. Only clock.LocalTime() is used, from the
    // runner's thread.
    bool Start(docs::AllDataSheetsInput input, docs::WordProcessorFactory wordProcessor, const Clock& clock);
    // Asks the run to end before its next document; finished() follows.
    void Cancel();
    // Cancels and waits for the thread (it ends between documents); the
    // run's signals that have not come yet never come, finished() neither.
    void Stop();
    // From Start until finished() (or Stop).
    bool IsRunning() const { return m_running; }
    // What the last finished run did.
    const docs::AllDataSheetsResult& result() const { return m_result; }

signals:
    // Before each document: "Writing index of total: equipmentId".
    void progress(int index, int total, const QString& equipmentId);
    // A document was written: where (the moment to make a copy of it in another format).
    void documentWritten(const QString& path);
    void finished();

private:
    // Runs what on this object's thread, unless the run it belongs to was stopped by then.
    void Post(std::uint64_t run, std::function<void()> what);
    void Finish();

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    std::uint64_t m_run = 0;                              // changes with each start and stop
    std::unique_ptr<docs::AllDataSheetsResult> m_pending; // the thread's, until it ends
    docs::AllDataSheetsResult m_result;
};

} // namespace tessaprint
