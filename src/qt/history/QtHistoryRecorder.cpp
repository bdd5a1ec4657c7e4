#include "history/QtHistoryRecorder.h"

#include "history/CaptureIdentity.h"
#include "history/LinesHash.h"
#include "history/SavedCapture.h"
#include "results/CaptureArchive.h"
#include "results/InstrumentKind.h"
#include "results/ResultsCsv.h"
#include "text/IsoLocalTime.h"
#include "text/Plural.h"
#include "util/FileIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace tessaprint {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QJsonValue& value)
{
    return value.toString().toStdString();
}

QJsonObject CaptureToJson(const history::HistoryCapture& capture)
{
    QJsonArray records;
    for (const history::HistoryRecord& record : capture.records) {
        QJsonArray readings;
        for (const history::HistoryReading& reading : record.readings) {
            QJsonObject json{{"item", reading.item},
                             {"value", Q(reading.value)},
                             {"test", Q(reading.test)},
                             {"reading", Q(reading.reading)}};
            // The verdict it got when the capture was made waits with it.
            if (!reading.verdict.empty()) {
                json["verdict"] = Q(reading.verdict);
                json["limit"] = Q(reading.limit);
                json["rule"] = Q(reading.rule);
            }
            readings.append(json);
        }
        QJsonObject json{{"equipmentId", Q(record.equipmentId)},
                         {"testDate", Q(record.testDate)},
                         {"position", record.position},
                         {"readings", readings}};
        if (record.testDay) {
            json["testDay"] = Q(*record.testDay);
        }
        if (!record.verdictProfile.empty()) {
            json["verdictProfile"] = Q(record.verdictProfile);
            json["verdictProfileVersion"] = Q(record.verdictProfileVersion);
        }
        records.append(json);
    }
    return QJsonObject{{"captureId", Q(capture.captureId)},
                       {"capturedAt", Q(capture.capturedAt)},
                       {"kind", Q(capture.kind)},
                       {"port", Q(capture.port)},
                       {"archiveName", Q(capture.archiveName)},
                       {"linesHash", Q(capture.linesHash)},
                       {"records", records}};
}

std::optional<history::HistoryCapture> CaptureFromJson(const QJsonValue& value)
{
    const QJsonObject json = value.toObject();
    if (!json["linesHash"].isString() || !json["records"].isArray()) {
        return std::nullopt;
    }
    history::HistoryCapture capture;
    capture.capturedAt = S(json["capturedAt"]);
    capture.kind = S(json["kind"]);
    capture.port = S(json["port"]);
    capture.archiveName = S(json["archiveName"]);
    capture.linesHash = S(json["linesHash"]);
    // A queue file from before identities: the identity its capture was
    // given when the history was brought up to date.
    capture.captureId = json["captureId"].isString() && !json["captureId"].toString().isEmpty()
                            ? S(json["captureId"])
                            : history::CaptureIdentity(capture);
    for (const QJsonValue& recordValue : json["records"].toArray()) {
        const QJsonObject recordJson = recordValue.toObject();
        history::HistoryRecord record;
        record.equipmentId = S(recordJson["equipmentId"]);
        record.testDate = S(recordJson["testDate"]);
        if (recordJson["testDay"].isString()) {
            record.testDay = S(recordJson["testDay"]);
        }
        record.position = recordJson["position"].toInt();
        record.verdictProfile = S(recordJson["verdictProfile"]);
        record.verdictProfileVersion = S(recordJson["verdictProfileVersion"]);
        for (const QJsonValue& readingValue : recordJson["readings"].toArray()) {
            const QJsonObject readingJson = readingValue.toObject();
            record.readings.push_back({readingJson["item"].toInt(), S(readingJson["value"]), S(readingJson["test"]),
                                       S(readingJson["reading"]), S(readingJson["verdict"]), S(readingJson["limit"]),
                                       S(readingJson["rule"])});
        }
        capture.records.push_back(std::move(record));
    }
    return capture;
}

// "Quellmax-2026-12-08-142501" (and "-2" …): the kind and the time the
// archive's name carries.
void TakeArchiveName(const QFileInfo& file, history::HistoryCaptureInfo& capture)
{
    if (const auto name = ReadCaptureArchiveName(file.fileName().toStdString());
        name && KindFromUnitType(name->kindText)) {
        capture.kind = name->kindText;
    }
    if (const auto capturedAt = ArchivedCaptureTime(file.filePath().toStdString())) {
        capture.capturedAt = *capturedAt;
    }
}

} // namespace

// Lives on the recorder's thread and owns the store there.
class QtHistoryRecorder::Worker : public QObject {
public:
    explicit Worker(StoreFactory factory) : m_factory(std::move(factory)) {}

    Result<history::HistoryStore*> Store()
    {
        if (!m_store && m_factory) {
            m_store = m_factory();
            m_factory = nullptr; // made once: a store that cannot connect says so on each call
        }
        if (!m_store) {
            return Error{kErrorFail, "No history store is set up."};
        }
        return m_store.get();
    }
    void Close() { m_store.reset(); }

private:
    StoreFactory m_factory;
    std::unique_ptr<history::HistoryStore> m_store;
};

QtHistoryRecorder::QtHistoryRecorder(StoreFactory factory, Clock& clock, QString queueFile, StatusHandler status,
                                     QObject* parent)
    : QObject(parent), m_queueFile(std::move(queueFile)), m_worker(new Worker(std::move(factory))), m_clock(clock),
      m_retry(clock.CreateTimer()), m_status(std::move(status))
{
    m_thread.setObjectName(QStringLiteral("history"));
    m_worker->moveToThread(&m_thread);
    m_retry->SetHandler([this] { Drain(); });
    m_thread.start();
    LoadQueue();
    // What a previous run left is told about once it is recorded.
    m_failing = !m_queue.empty();
    Drain();
}

QtHistoryRecorder::~QtHistoryRecorder()
{
    m_retry->Stop();
    // The store goes on its own thread, after the jobs before it; then the thread ends.
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker] {
            worker->Close();
            delete worker;
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread.wait();
}

void QtHistoryRecorder::Post(std::function<void(Result<history::HistoryStore*>)> job)
{
    Worker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, job = std::move(job)] { job(worker->Store()); }, Qt::QueuedConnection);
}

Result<history::EquipmentStore*> QtHistoryRecorder::EquipmentOf(const Result<history::HistoryStore*>& store)
{
    if (!store) {
        return store.error();
    }
    return history::EquipmentListOf(*store.value());
}

void QtHistoryRecorder::Submit(history::HistoryCapture capture, std::vector<std::string> lines)
{
    capture.linesHash = history::LinesHash(lines);
    if (capture.captureId.empty()) {
        // An opened file: its identity comes from its lines, as an import's does.
        capture.captureId = history::CaptureIdentity(capture);
    }
    m_queue.push_back(std::move(capture));
    SaveQueue();
    if (m_failing) {
        Status(WaitingText());
    }
    Drain();
}

void QtHistoryRecorder::Drain()
{
    if (m_inFlight || m_queue.empty() || m_retry->IsActive()) {
        return;
    }
    m_inFlight = true;
    Post([this, capture = m_queue.front()](Result<history::HistoryStore*> store) {
        Result<history::RecordOutcome> outcome =
            store ? store.value()->Record(capture) : Result<history::RecordOutcome>(store.error());
        QMetaObject::invokeMethod(
            this, [this, outcome = std::move(outcome)] { Recorded(outcome); }, Qt::QueuedConnection);
    });
}

void QtHistoryRecorder::Recorded(const Result<history::RecordOutcome>& outcome)
{
    m_inFlight = false;
    if (!outcome && outcome.error().code != kErrorRefused) {
        // Kept, and tried again later: the server may be down or the network gone.
        m_failing = true;
        Status(WaitingText());
        m_retry->Start(kRetryMs);
        return;
    }
    const history::HistoryCapture done = std::move(m_queue.front());
    m_queue.pop_front();
    if (!outcome) {
        // Refused for what it holds, it would be refused at every try: set
        // aside, never thrown away, and the captures after it go on.
        QString where;
        const std::string name = done.archiveName.empty() ? std::string("a capture") : done.archiveName;
        if (SetAside(done, outcome.error().message, where)) {
            Status("The history refused " + name + " (" + outcome.error().message + "); it was set aside in " +
                   where.toStdString() + ".");
        } else {
            m_refusedUnsaved.push_back(done);
            Status("The history refused " + name + " (" + outcome.error().message + "); it could not be set aside in " +
                   where.toStdString() + " and stays in " + m_queueFile.toStdString() + ".");
        }
    } else if (m_failing) {
        ++m_recordedSinceFailure;
    }
    SaveQueue();
    if (outcome && outcome.value() == history::RecordOutcome::Added) {
        emit captureRecorded();
    }
    if (m_queue.empty() && m_failing) {
        Status("History: " +
               Plural(static_cast<std::uint64_t>(m_recordedSinceFailure), "waiting capture", "waiting captures") +
               " recorded.");
        m_failing = false;
        m_recordedSinceFailure = 0;
    }
    Drain();
}

QString QtHistoryRecorder::refusedFolder() const
{
    if (m_queueFile.isEmpty()) {
        return QString();
    }
    const QFileInfo queue(m_queueFile);
    return queue.absoluteDir().filePath(queue.completeBaseName() + QStringLiteral("-refused"));
}

bool QtHistoryRecorder::SetAside(const history::HistoryCapture& capture, const std::string& reason, QString& where)
{
    where = refusedFolder();
    if (where.isEmpty() || !QDir().mkpath(where)) {
        return false;
    }
    // Named by the capture's identity, kept to the characters a UUID has.
    QString name;
    for (const QChar c : Q(capture.captureId).left(64)) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80) {
            name += c;
        } else if (c == QLatin1Char('-')) {
            name += c;
        }
    }
    if (name.isEmpty()) {
        name = QStringLiteral("capture");
    }
    const QDir folder(where);
    QString base = name;
    for (int n = 2; QFileInfo::exists(folder.filePath(base + QStringLiteral(".json"))); ++n) {
        base = name + QStringLiteral("-%1").arg(n);
    }
    const auto when = m_clock.LocalTime();
    const std::string note = "Refused by the test history" + (when ? " on " + IsoLocalTime(*when) : std::string()) +
                             ": " + reason + "\nCapture: " + capture.archiveName + ", captured " + capture.capturedAt +
                             (capture.port.empty() ? std::string() : " on " + capture.port) + "\n";
    QSaveFile json(folder.filePath(base + QStringLiteral(".json")));
    QSaveFile why(folder.filePath(base + QStringLiteral(".reason.txt")));
    // The reason first: a capture file without its reason would say nothing.
    return why.open(QIODevice::WriteOnly) && why.write(note.data(), static_cast<qint64>(note.size())) >= 0 &&
           why.commit() && json.open(QIODevice::WriteOnly) &&
           json.write(QJsonDocument(CaptureToJson(capture)).toJson(QJsonDocument::Indented)) >= 0 && json.commit();
}

std::string QtHistoryRecorder::WaitingText() const
{
    const std::size_t waiting = m_queue.size();
    return "History server not reachable: " +
           (waiting == 1 ? std::string("1 capture waits and is") : std::to_string(waiting) + " captures wait and are") +
           " recorded when it is back.";
}

void QtHistoryRecorder::Status(const std::string& text)
{
    if (m_status) {
        m_status(text);
    }
}

void QtHistoryRecorder::SaveQueue()
{
    if (m_queueFile.isEmpty()) {
        return;
    }
    if (m_queue.empty() && m_refusedUnsaved.empty()) {
        QFile::remove(m_queueFile);
        return;
    }
    QJsonArray captures;
    for (const history::HistoryCapture& capture : m_queue) {
        captures.append(CaptureToJson(capture));
    }
    for (const history::HistoryCapture& capture : m_refusedUnsaved) {
        captures.append(CaptureToJson(capture));
    }
    QDir().mkpath(QFileInfo(m_queueFile).absolutePath());
    QSaveFile file(m_queueFile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{"waitingCaptures", captures}}).toJson(QJsonDocument::Compact)) < 0 ||
        !file.commit()) {
        // They are still kept in memory for as long as the program runs.
        Status("The history's waiting captures could not be saved to " + m_queueFile.toStdString() + ": " +
               file.errorString().toStdString());
    }
}

void QtHistoryRecorder::LoadQueue()
{
    if (m_queueFile.isEmpty() || !QFileInfo::exists(m_queueFile)) {
        return;
    }
    QFile file(m_queueFile);
    QJsonParseError error{};
    const QJsonDocument json =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll(), &error) : QJsonDocument();
    file.close();
    bool whole = json.isObject() && json.object()["waitingCaptures"].isArray();
    if (whole) {
        for (const QJsonValue& value : json.object()["waitingCaptures"].toArray()) {
            if (auto capture = CaptureFromJson(value)) {
                m_queue.push_back(std::move(*capture));
            } else {
                whole = false;
            }
        }
    }
    if (!whole) {
        // Set aside, never thrown away: the archive has the captures, and a person can look.
        const QString aside = m_queueFile + QStringLiteral(".unreadable");
        QFile::remove(aside);
        QFile::rename(m_queueFile, aside);
        Status("The history's waiting captures could not all be read; the file was kept as " + aside.toStdString() +
               ".");
        SaveQueue();
    }
}

void QtHistoryRecorder::Lookup(const std::string& equipmentId, LookupDone done)
{
    Post([this, equipmentId, done = std::move(done)](Result<history::HistoryStore*> store) {
        Result<std::vector<history::HistoryRecord>> records =
            store ? store.value()->Lookup(equipmentId) : Result<std::vector<history::HistoryRecord>>(store.error());
        QMetaObject::invokeMethod(
            this, [done, records = std::move(records)] { done(records); }, Qt::QueuedConnection);
    });
}

void QtHistoryRecorder::Ids(const std::string& prefix, int limit, IdsDone done)
{
    Post([this, prefix, limit, done = std::move(done)](Result<history::HistoryStore*> store) {
        Result<std::vector<std::string>> ids =
            store ? store.value()->Ids(prefix, limit) : Result<std::vector<std::string>>(store.error());
        QMetaObject::invokeMethod(
            this, [done, ids = std::move(ids)] { done(ids); }, Qt::QueuedConnection);
    });
}

void QtHistoryRecorder::RecentIds(int limit, IdsDone done)
{
    Post([this, limit, done = std::move(done)](Result<history::HistoryStore*> store) {
        Result<std::vector<std::string>> ids =
            store ? store.value()->RecentIds(limit) : Result<std::vector<std::string>>(store.error());
        QMetaObject::invokeMethod(
            this, [done, ids = std::move(ids)] { done(ids); }, Qt::QueuedConnection);
    });
}

void QtHistoryRecorder::ImportArchive(const std::string& folder, ImportDone done)
{
    Post([this, folder, done = std::move(done)](Result<history::HistoryStore*> store) {
        ImportCounts counts;
        const QFileInfoList files =
            QDir(Q(folder)).entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Readable, QDir::Name);
        for (qsizetype i = 0; i < files.size(); ++i) {
            const QFileInfo& file = files[i];
            if (!store) {
                counts.failed = static_cast<int>(files.size());
                counts.firstError = store.error().message;
                break;
            }
            // Counted first, then recorded a record at a time: a large file
            // is never held whole.
            Result<history::SavedCapture> read = history::SavedCapture::Read(file.filePath().toStdString(), false);
            if (!read) {
                ++counts.unreadable;
                continue;
            }
            history::HistoryCaptureHeader& capture = read.value().header();
            if (capture.recordCount == 0) {
                continue;
            }
            TakeArchiveName(file, capture);
            const Result<history::RecordOutcome> outcome =
                store.value()->RecordInParts(capture, read.value().Records());
            if (!outcome && outcome.error().code == kErrorRefused) {
                // This file only: the archive keeps it, and the others go in.
                counts.refused.push_back(file.fileName().toStdString() + ": " + outcome.error().message);
            } else if (!outcome) {
                // A server that is not there would fail every file, each after its own wait.
                counts.failed = static_cast<int>(files.size() - i);
                counts.firstError = outcome.error().message;
                break;
            } else if (outcome.value() == history::RecordOutcome::Added) {
                ++counts.added;
            } else {
                ++counts.alreadyThere;
            }
        }
        QMetaObject::invokeMethod(
            this, [done, counts] { done(counts); }, Qt::QueuedConnection);
    });
}

} // namespace tessaprint
