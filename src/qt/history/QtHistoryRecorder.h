#pragma once

#include "app/HistorySink.h"
#include "history/EquipmentStore.h"
#include "util/Clock.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaprint {

// Records captures in the test history and answers questions about it, on a
// thread of its own: the store (a database connection, which belongs to the
// thread that made it) is made there by the factory on first use, and every
// call to it runs there, so a slow or vanished server never holds up the
// window. Answers come back on the thread that made the recorder.
//
// A capture the store does not take is kept: in memory and in the queue file
// (the captures themselves as JSON, so nothing depends on the archive still
// being where it was or on parsing it again), and tried again every 30
// seconds and at the next start. The status bar is told when the history
// cannot be reached and when the waiting captures are recorded. A capture the
// store refuses for what it holds (kErrorCaptureRefused) would be refused
// again: it is set aside in the refused folder beside the queue file, with a
// file that says why, and the captures after it go on.
class QtHistoryRecorder : public QObject, public HistorySink {
    Q_OBJECT
public:
    using StoreFactory = std::function<std::unique_ptr<history::HistoryStore>()>;
    using IdsDone = std::function<void(Result<std::vector<std::string>>)>;
    struct ImportCounts {
        int added = 0;
        int alreadyThere = 0;
        int unreadable = 0; // files that could not be read
        int failed = 0;     // captures not tried: the store could not be reached
        std::string firstError;
        // Files whose captures the store refused ("name: why"); the files after them go on.
        std::vector<std::string> refused;
    };
    using ImportDone = std::function<void(const ImportCounts&)>;

    static constexpr int kRetryMs = 30'000;
    // What a store answers for a capture it can never take (as opposed to a
    // server it cannot reach). Such a capture is set aside, not kept waiting.
    static constexpr std::uint32_t kErrorRefused = history::kErrorCaptureRefused;

    using StatusHandler = std::function<void(const std::string&)>;

    // queueFile: where waiting captures are kept; read at once, so captures a
    // previous run left are tried first. status: where status bar messages go.
    QtHistoryRecorder(StoreFactory factory, Clock& clock, QString queueFile, StatusHandler status = {},
                      QObject* parent = nullptr);
    ~QtHistoryRecorder() override;

    // HistorySink
    void Submit(history::HistoryCapture capture, std::vector<std::string> lines) override;
    void Lookup(const std::string& equipmentId, LookupDone done) override;

    // IDs that begin with prefix (case-insensitive), sorted, at most limit.
    void Ids(const std::string& prefix, int limit, IdsDone done);
    // The IDs tested most recently, newest first, at most limit (HistoryStore::RecentIds).
    void RecentIds(int limit, IdsDone done);
    // Records every capture file (*.txt) of the folder, each as the window
    // would have recorded it (the kind and time from the archive's file name,
    // else the file's time). A file the store refuses is counted and the rest
    // go on; a store that cannot be reached ends the import.
    void ImportArchive(const std::string& folder, ImportDone done);

    // Runs job on the history's thread with the store's equipment list;
    // done gets its answer on this thread. A store that keeps no list
    // answers with an error that says so.
    template <typename T>
    void WithEquipment(std::function<Result<T>(history::EquipmentStore&)> job, std::function<void(Result<T>)> done)
    {
        Post([this, job = std::move(job), done = std::move(done)](Result<history::HistoryStore*> store) {
            Result<history::EquipmentStore*> equipment = EquipmentOf(store);
            Result<T> answer = equipment ? job(*equipment.value()) : Result<T>(equipment.error());
            QMetaObject::invokeMethod(
                this, [done, answer = std::move(answer)] { done(answer); }, Qt::QueuedConnection);
        });
    }

    // Captures not recorded yet, the one being recorded included.
    int WaitingCount() const { return static_cast<int>(m_queue.size()); }
    const QString& queueFile() const { return m_queueFile; }
    // Where refused captures are set aside: "history-queue-refused" beside
    // "history-queue.json", each as <identity>.json (a queue entry) and
    // <identity>.reason.txt.
    QString refusedFolder() const;

signals:
    // A capture was added to the history (not one that was there already).
    void captureRecorded();

private:
    class Worker;

    static Result<history::EquipmentStore*> EquipmentOf(const Result<history::HistoryStore*>& store);
    // Runs job on the worker thread.
    void Post(std::function<void(Result<history::HistoryStore*>)> job);
    void Drain();
    void Recorded(const Result<history::RecordOutcome>& outcome);
    // Writes the refused capture to the refused folder; false when it cannot.
    bool SetAside(const history::HistoryCapture& capture, const std::string& reason, QString& where);
    void SaveQueue();
    void LoadQueue();
    void Status(const std::string& text);
    std::string WaitingText() const;

    QString m_queueFile;
    QThread m_thread;
    Worker* m_worker; // lives on m_thread, deleted there
    std::deque<history::HistoryCapture> m_queue;
    // Refused captures the refused folder could not take: kept in the queue
    // file (tried again at the next start), not tried again in this run.
    std::vector<history::HistoryCapture> m_refusedUnsaved;
    Clock& m_clock;
    std::unique_ptr<Timer> m_retry;
    bool m_inFlight = false;
    bool m_failing = false;
    int m_recordedSinceFailure = 0;
    StatusHandler m_status;
};

} // namespace tessaprint
