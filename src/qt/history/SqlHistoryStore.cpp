#include "history/SqlHistoryStore.h"

#include "history/PackedReadings.h"

#include "history/CaptureIdentity.h"
#include "history/HistorySchema.h"
#include "history/SqlErrorClassification.h"
#include "results/RecordsOnSelector.h"
#include "text/LowerCase.h"
#include "text/Trim.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <set>
#include <thread>
#include <unordered_map>

namespace tessaprint::history {

namespace {

// Readings go in as multi-row INSERTs of this many rows (eight values each):
// a 50-record capture takes a handful of statements, not hundreds.
constexpr int kReadingsPerInsert = 100;
// The readings of at most this many records are asked for in one statement.
constexpr std::size_t kRecordsPerLookup = 100;
// A transaction that lost a race (a serialization failure, a deadlock, a
// database locked by another program) or its connection is tried again.
constexpr int kAttempts = 3;
constexpr int kSchemaAttempts = 5;
// How long SQLite waits for another program's lock (PRAGMA busy_timeout).
constexpr std::chrono::milliseconds kBusyTimeout{5000};
// The advisory lock PostgreSQL programs set up a history's tables under, one at a time.
constexpr qlonglong kSchemaLockKey = 0x7E55A9A1;

std::atomic<int> g_connectionCount{0};

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The smallest text after every text that begins with prefix, in code point
// order (which is byte order of UTF-8, the order both engines compare in
// here); nothing when there is none (an empty prefix).
std::optional<QString> PrefixEnd(const QString& prefix)
{
    QList<uint> points = prefix.toUcs4();
    while (!points.isEmpty() && points.last() >= 0x10FFFF) {
        points.removeLast();
    }
    if (points.isEmpty()) {
        return std::nullopt;
    }
    uint& last = points.last();
    last = last + 1 == 0xD800 ? 0xE000 : last + 1;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()), points.size());
}

QVariant NullableText(const std::optional<std::string>& text)
{
    return text ? QVariant(Text(*text)) : QVariant(QMetaType::fromType<QString>());
}

// Every text goes in as the history stores it.
QString Stored(const std::string& text)
{
    return QString::fromStdString(StoredText(text));
}

// The devices go in as multi-row upserts of this many rows (nine values each).
constexpr int kDevicesPerUpsert = 100;

constexpr const char* kEquipmentColumns =
    "equipment_id, description, location, class, applied_parts, interval_months, cord, profile, settings";

QString DevicesUpsert(int rows)
{
    QString sql = QStringLiteral("INSERT INTO equipment (%1) VALUES ").arg(QLatin1String(kEquipmentColumns));
    for (int i = 0; i < rows; ++i) {
        sql += i == 0 ? QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?)") : QStringLiteral(", (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    }
    return sql + QStringLiteral(" ON CONFLICT (equipment_id) DO UPDATE SET description = excluded.description, "
                                "location = excluded.location, class = excluded.class, applied_parts = "
                                "excluded.applied_parts, interval_months = excluded.interval_months, cord = "
                                "excluded.cord, profile = excluded.profile, settings = excluded.settings");
}

// A record's readings as records.readings_packed keeps them.
QByteArray PackedReadingsOf(const std::vector<HistoryReading>& readings)
{
    const std::string packed = PackReadings(readings);
    return QByteArray(packed.data(), static_cast<qsizetype>(packed.size()));
}

// A device's columns as the table keeps them: the ID trimmed.
verdict::DeviceFields StoredFields(const verdict::Device& device)
{
    verdict::DeviceFields fields = verdict::FieldsOfDevice(device);
    fields[0] = std::string(TrimBlanks(fields[0]));
    return fields;
}

// A row of SELECT kEquipmentColumns, from column `first` on.
verdict::DeviceFields FieldsOfRow(const QSqlQuery& query, int first = 0)
{
    verdict::DeviceFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = query.value(first + static_cast<int>(i)).toString().toStdString();
    }
    return fields;
}

QString ReadingsInsert(int rows)
{
    QString sql = QStringLiteral(
        "INSERT INTO readings (record_id, item, value, test, reading, verdict, verdict_limit, verdict_rule) VALUES ");
    for (int i = 0; i < rows; ++i) {
        sql += i == 0 ? QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)") : QStringLiteral(", (?, ?, ?, ?, ?, ?, ?, ?)");
    }
    return sql;
}

// "?, ?, ?": the placeholders of an IN list of count values.
QString Placeholders(std::size_t count)
{
    QString marks;
    for (std::size_t i = 0; i < count; ++i) {
        marks += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
    }
    return marks;
}

} // namespace

SqlHistoryStore::SqlHistoryStore(HistoryDatabase where)
    : m_where(std::move(where)),
      m_connectionName(QStringLiteral("tessaprint-history-%1").arg(g_connectionCount.fetch_add(1)))
{
}

SqlHistoryStore::~SqlHistoryStore()
{
    // Every query and handle of the connection goes before the connection does.
    m_prepared.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

Result<std::unique_ptr<SqlHistoryStore>> SqlHistoryStore::Open(const HistoryDatabase& where)
{
    std::unique_ptr<SqlHistoryStore> store(new SqlHistoryStore(where));
    if (Result<void> connected = store->Connect(); !connected) {
        return connected.error();
    }
    if (Result<void> schema = store->PrepareSchema(); !schema) {
        return schema.error();
    }
    return store;
}

Result<void> SqlHistoryStore::Connect()
{
    const QString driver = IsPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!m_db.isValid()) {
        m_db = QSqlDatabase::addDatabase(driver, m_connectionName);
    }
    if (!m_db.isValid()) {
        return Error{kErrorFail, "cannot open the " + m_where.Describe() + ": the Qt SQL driver " +
                                     driver.toStdString() + " is not installed (Debian: " +
                                     (IsPostgres() ? "libqt6sql6-psql" : "libqt6sql6-sqlite") + ")"};
    }
    if (IsPostgres()) {
        m_db.setHostName(Text(m_where.host));
        m_db.setPort(m_where.port);
        m_db.setUserName(Text(m_where.user));
        m_db.setDatabaseName(Text(m_where.databaseName));
        m_db.setPassword(Text(m_where.password));
        // A server that does not answer fails in seconds, and a connection
        // whose server vanished is noticed by the keepalives.
        m_db.setConnectOptions(QStringLiteral("connect_timeout=5;application_name=tessaprint;keepalives=1;"
                                              "keepalives_idle=30;keepalives_interval=10;keepalives_count=3"));
    } else {
        const QFileInfo file(Text(m_where.path));
        if (m_where.createFolder && !QDir().mkpath(file.absolutePath())) {
            return Error{kErrorPathNotFound,
                         "cannot create the folder " + file.absolutePath().toStdString() + " for the history"};
        }
        if (!file.absoluteDir().exists()) {
            return Error{kErrorPathNotFound, "cannot open the " + m_where.Describe() + ": the folder " +
                                                 file.absolutePath().toStdString() + " does not exist"};
        }
        m_db.setDatabaseName(Text(m_where.path));
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeout.count()));
    }
    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        Error failure = Failure("cannot open it", error);
        if (IsPostgres()) {
            failure.code = IsRefusedConnection(error) ? kErrorFail : kErrorUnreachable;
        }
        return failure;
    }
    m_connectionLost = false;
    if (!IsPostgres()) {
        // A writer waits up to 5 s for another, and the records of a capture
        // never point nowhere.
        for (const char* pragma : {"PRAGMA busy_timeout=5000", "PRAGMA foreign_keys=ON"}) {
            if (Result<void> done = ExecDirect(QLatin1String(pragma), "cannot set it up"); !done) {
                return done;
            }
        }
        return UseWriteAheadLog();
    }
    return {};
}

Result<void> SqlHistoryStore::UseWriteAheadLog()
{
    // Readers never wait for the writer. Switching a file to WAL takes its
    // read lock up to a write lock, and on that step SQLite does not wait for
    // another program (its busy handler is not called): two programs setting
    // up a new file at once, one would fail at once. So the mode is read
    // first (nothing to switch once one program did it), and a switch that
    // found the file busy is tried again after a short pause, for as long as
    // the busy timeout. It cannot be done inside a transaction, nor needs one.
    const auto deadline = std::chrono::steady_clock::now() + kBusyTimeout;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        // A read first: it lets the connection see a file that is in WAL already.
        bool done = query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) && query.next();
        query.finish();
        if (done) {
            done = query.exec(QStringLiteral("PRAGMA journal_mode")) && query.next();
            const bool wal = done && query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
            query.finish();
            if (wal) {
                return {};
            }
            if (done) {
                // Answers the mode it is in: "wal", or the old one where the
                // file cannot have a log (the file works on without one).
                done = query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
                query.finish();
                if (done) {
                    return {};
                }
            }
        }
        const QSqlError error = query.lastError();
        if (!IsSqliteBusy(error) || std::chrono::steady_clock::now() >= deadline) {
            return Failure("cannot set it up", error);
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

Result<void> SqlHistoryStore::EnsureConnected()
{
    if (!m_connectionLost && m_db.isOpen()) {
        return {};
    }
    m_prepared.clear();
    m_db.close();
    return Connect();
}

template <typename T, typename Once, typename MayRetry> Result<T> SqlHistoryStore::Retried(Once once, MayRetry mayRetry)
{
    Result<T> outcome = Error{kErrorFail, ""};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // A connection that cannot be opened again ends the tries at once.
        if (Result<void> connected = EnsureConnected(); !connected) {
            return connected.error();
        }
        outcome = once();
        if (outcome || (outcome.error().code != kErrorUnreachable && !mayRetry(outcome.error()))) {
            return outcome;
        }
    }
    return outcome;
}

template <typename T, typename Once> Result<T> SqlHistoryStore::Retried(Once once)
{
    return Retried<T>(once, [](const Error&) { return false; });
}

Error SqlHistoryStore::Failure(const std::string& what, const QSqlError& error)
{
    const bool unreachable = IsUnreachable(m_where.engine, error);
    if (IsPostgres()) {
        // The connection is opened again on the next call.
        m_connectionLost = m_connectionLost || unreachable;
    }
    std::string driverText = error.text().trimmed().toStdString();
    if (driverText.empty()) {
        driverText = "no reason given";
    }
    return Error{unreachable ? kErrorUnreachable : kErrorFail, m_where.Describe() + ": " + what + ": " + driverText};
}

Result<void> SqlHistoryStore::ExecDirect(const QString& sql, const std::string& what)
{
    QSqlQuery query(m_db);
    if (!query.exec(sql)) {
        return Failure(what, query.lastError());
    }
    query.finish();
    return {};
}

Result<QSqlQuery*> SqlHistoryStore::Prepared(const QString& sql)
{
    auto found = m_prepared.find(sql);
    if (found != m_prepared.end()) {
        return found->second.get();
    }
    auto query = std::make_unique<QSqlQuery>(m_db);
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        return Failure("cannot prepare a statement", query->lastError());
    }
    return m_prepared.emplace(sql, std::move(query)).first->second.get();
}

void SqlHistoryStore::Rollback()
{
    for (auto& [sql, query] : m_prepared) {
        query->finish();
    }
    m_db.rollback();
}

HistorySchema SqlHistoryStore::Schema()
{
    return HistorySchema(m_db, m_where,
                         [this](const std::string& what, const QSqlError& error) { return Failure(what, error); });
}

Result<void> SqlHistoryStore::PrepareSchema()
{
    // Most openings find the schema as this program knows it: one read, no lock.
    HistorySchema schema = Schema();
    const Result<int> found = schema.ReadVersion();
    if (!found) {
        return found.error();
    }
    if (found.value() == kSchemaVersion) {
        return {};
    }
    if (Result<void> known = schema.CheckVersion(found.value()); !known) {
        return known;
    }
    Error last{kErrorFail, m_where.Describe() + ": cannot set up the history's tables"};
    for (int attempt = 0; attempt < kSchemaAttempts; ++attempt) {
        Result<void> done = SetUpSchema();
        if (done) {
            return {};
        }
        last = done.error();
        // A server away, or a file another program kept locked past the busy
        // timeout, would only make the next try wait as long again.
        if (last.code == kErrorUnreachable) {
            break;
        }
    }
    return last;
}

Result<void> SqlHistoryStore::SetUpSchema()
{
    // One program at a time sets up a database: SQLite's write lock, taken at
    // BEGIN IMMEDIATE (where SQLite waits its busy timeout for it), or an
    // advisory lock of PostgreSQL held to the transaction's end. Whoever
    // comes second finds the work done.
    if (Result<void> begun = BeginWrite(); !begun) {
        return begun;
    }
    const auto fail = [this](const Error& error) -> Result<void> {
        Rollback();
        return error;
    };
    if (IsPostgres()) {
        if (Result<void> locked = ExecDirect(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey),
                                             "cannot set up the history's tables");
            !locked) {
            return fail(locked.error());
        }
    }
    HistorySchema schema = Schema();
    const Result<int> version = schema.ReadVersion();
    if (!version) {
        return fail(version.error());
    }
    if (version.value() == kSchemaVersion) {
        Rollback();
        return {};
    }
    if (Result<void> known = schema.CheckVersion(version.value()); !known) {
        return fail(known.error());
    }
    // Every step in this transaction: a database is at one version or the next.
    if (Result<void> done = schema.BringUp(version.value()); !done) {
        return fail(done.error());
    }
    if (!m_db.commit()) {
        return fail(Failure("cannot set up the history's tables", m_db.lastError()));
    }
    return {};
}

Result<void> SqlHistoryStore::BeginWrite()
{
    if (IsPostgres()) {
        if (!m_db.transaction()) {
            return Failure("cannot start a transaction", m_db.lastError());
        }
        return {};
    }
    // The write lock at once, where SQLite waits its busy timeout for another
    // writer: a transaction that took it later, after reading, would be
    // refused it without a wait.
    return ExecDirect(QStringLiteral("BEGIN IMMEDIATE"), "cannot start a transaction");
}

Result<RecordOutcome> SqlHistoryStore::RecordInParts(const HistoryCaptureHeader& header,
                                                     const HistoryRecordSource& records)
{
    // A lost race or connection is tried again, the records given again from
    // the first; on the next try the UNIQUE lines_hash finds a capture the
    // other writer (or a commit whose answer was lost) put there.
    m_lastRefused = false;
    Result<RecordOutcome> outcome = Retried<RecordOutcome>([&] { return RecordOnce(header, records); },
                                                           [this](const Error&) { return m_lastRetryable; });
    if (!outcome && m_lastRefused) {
        // The database will never take this capture as it is: trying it
        // again would hold up every capture after it.
        Error refused = outcome.error();
        refused.code = kErrorCaptureRefused;
        refused.message += " (the database refuses this capture)";
        return refused;
    }
    return outcome;
}

Result<bool> SqlHistoryStore::ReplaceEarlierPart(const HistoryCaptureHeader& header, const QString& identity,
                                                 qlonglong captureId, StoredVerdicts& stored)
{
    // A printout that paused past the quiet time is recorded when its first
    // part is ready and again when the rest came: the same capture (its
    // identity), grown. The larger part stays, so no reading is listed twice.
    // Another capture of the same port, second and archive name (another
    // bench's) is a capture of its own.
    const std::string what = "cannot record the capture " + header.archiveName;
    Result<QSqlQuery*> earlier = Prepared(QStringLiteral(
        "SELECT c.id, (SELECT COUNT(*) FROM readings r JOIN records d ON r.record_id = d.id WHERE d.capture_id = c.id) "
        "FROM captures c WHERE c.capture_uid = ? AND c.id <> ?"));
    if (!earlier) {
        return earlier.error();
    }
    QSqlQuery& query = *earlier.value();
    query.bindValue(0, identity);
    query.bindValue(1, captureId);
    if (!query.exec()) {
        return Failure(what, query.lastError());
    }
    const qlonglong readings = header.readingCount;
    std::vector<qlonglong> parts;
    while (query.next()) {
        if (query.value(1).toLongLong() > readings) {
            query.finish();
            return false;
        }
        parts.push_back(query.value(0).toLongLong());
    }
    query.finish();
    for (const qlonglong part : parts) {
        if (Result<void> read = ReadStoredVerdicts(part, stored, what); !read) {
            return read.error();
        }
        for (const QString& sql : {QStringLiteral("DELETE FROM readings WHERE record_id IN "
                                                  "(SELECT id FROM records WHERE capture_id = ?)"),
                                   QStringLiteral("DELETE FROM records WHERE capture_id = ?"),
                                   QStringLiteral("DELETE FROM captures WHERE id = ?")}) {
            Result<QSqlQuery*> remove = Prepared(sql);
            if (!remove) {
                return remove.error();
            }
            remove.value()->bindValue(0, part);
            if (!remove.value()->exec()) {
                return Failure(what, remove.value()->lastError());
            }
            remove.value()->finish();
        }
    }
    return true;
}

Result<void> SqlHistoryStore::ReadStoredVerdicts(qlonglong part, StoredVerdicts& earlier, const std::string& what)
{
    // The part's records (a live capture's, a few dozen), and the readings
    // of those recorded with verdicts: a record recorded without has none to keep.
    std::unordered_map<qlonglong, int> positions;
    {
        Result<QSqlQuery*> records = Prepared(
            QStringLiteral("SELECT id, position, equipment_id, verdict_profile, verdict_profile_version FROM records "
                           "WHERE capture_id = ?"));
        if (!records) {
            return records.error();
        }
        QSqlQuery& query = *records.value();
        query.bindValue(0, part);
        if (!query.exec()) {
            return Failure(what, query.lastError());
        }
        while (query.next()) {
            const int position = query.value(1).toInt();
            HistoryRecord& record = earlier[position];
            record.position = position;
            record.equipmentId = query.value(2).toString().toStdString();
            record.verdictProfile = query.value(3).toString().toStdString();
            record.verdictProfileVersion = query.value(4).toString().toStdString();
            positions.emplace(query.value(0).toLongLong(), position);
        }
        query.finish();
    }
    Result<QSqlQuery*> readings = Prepared(QStringLiteral(
        "SELECT r.record_id, r.item, r.value, r.verdict, r.verdict_limit, r.verdict_rule FROM readings r "
        "JOIN records d ON r.record_id = d.id WHERE d.capture_id = ? AND d.verdict_profile <> ''"));
    if (!readings) {
        return readings.error();
    }
    QSqlQuery& query = *readings.value();
    query.bindValue(0, part);
    if (!query.exec()) {
        return Failure(what, query.lastError());
    }
    while (query.next()) {
        HistoryReading reading;
        reading.item = query.value(1).toInt();
        reading.value = query.value(2).toString().toStdString();
        reading.verdict = query.value(3).toString().toStdString();
        reading.limit = query.value(4).toString().toStdString();
        reading.rule = query.value(5).toString().toStdString();
        earlier[positions.at(query.value(0).toLongLong())].readings.push_back(std::move(reading));
    }
    query.finish();
    return {};
}

Error SqlHistoryStore::CaptureStatementFailed(const std::string& what, const QSqlError& error)
{
    // Another writer won the race, or the database refuses what the capture holds.
    m_lastRetryable = IsLostRace(m_where.engine, error);
    m_lastRefused = IsRefusal(m_where.engine, error);
    return Failure(what, error);
}

Result<void> SqlHistoryStore::InsertPendingReadings(const std::string& what)
{
    if (m_pendingReadings.empty()) {
        return {};
    }
    const int rows = static_cast<int>(m_pendingReadings.size());
    Result<QSqlQuery*> insertReadings = Prepared(ReadingsInsert(rows));
    if (!insertReadings) {
        return insertReadings.error();
    }
    QSqlQuery& readingsQuery = *insertReadings.value();
    for (int row = 0; row < rows; ++row) {
        const PendingReading& pending = m_pendingReadings[static_cast<std::size_t>(row)];
        const int at = row * 8;
        readingsQuery.bindValue(at, pending.recordId);
        readingsQuery.bindValue(at + 1, pending.item);
        readingsQuery.bindValue(at + 2, pending.value);
        readingsQuery.bindValue(at + 3, pending.test);
        readingsQuery.bindValue(at + 4, pending.reading);
        readingsQuery.bindValue(at + 5, pending.verdict);
        readingsQuery.bindValue(at + 6, pending.limit);
        readingsQuery.bindValue(at + 7, pending.rule);
    }
    m_pendingReadings.clear();
    if (!readingsQuery.exec()) {
        return CaptureStatementFailed(what, readingsQuery.lastError());
    }
    readingsQuery.finish();
    return {};
}

Result<RecordOutcome> SqlHistoryStore::RecordOnce(const HistoryCaptureHeader& header,
                                                  const HistoryRecordSource& records)
{
    m_lastRetryable = false;
    m_lastRefused = false;
    m_pendingReadings.clear();
    if (Result<void> begun = BeginWrite(); !begun) {
        return begun.error();
    }
    const std::string what = "cannot record the capture " + header.archiveName;
    const auto fail = [this](const Error& error) -> Result<RecordOutcome> {
        m_pendingReadings.clear();
        Rollback();
        return error;
    };

    const QString identity = Stored(CaptureIdentity(header));
    Result<QSqlQuery*> insertCapture = Prepared(QStringLiteral(
        "INSERT INTO captures (captured_at, kind, port, archive_name, lines_hash, recorded_at, capture_uid) "
        "VALUES (?, ?, ?, ?, ?, CAST(CURRENT_TIMESTAMP AS TEXT), ?) "
        "ON CONFLICT (lines_hash) DO NOTHING RETURNING id"));
    if (!insertCapture) {
        return fail(insertCapture.error());
    }
    QSqlQuery& captureQuery = *insertCapture.value();
    captureQuery.bindValue(0, Stored(header.capturedAt));
    captureQuery.bindValue(1, Stored(header.kind));
    captureQuery.bindValue(2, Stored(header.port));
    captureQuery.bindValue(3, Stored(header.archiveName));
    captureQuery.bindValue(4, Stored(header.linesHash));
    captureQuery.bindValue(5, identity);
    if (!captureQuery.exec()) {
        return fail(CaptureStatementFailed(what, captureQuery.lastError()));
    }
    if (!captureQuery.next()) {
        // The hash is there: this capture was recorded before.
        Rollback();
        return RecordOutcome::AlreadyThere;
    }
    const qlonglong captureId = captureQuery.value(0).toLongLong();
    captureQuery.finish();
    StoredVerdicts earlier;
    if (Result<bool> grown = ReplaceEarlierPart(header, identity, captureId, earlier); !grown) {
        return fail(grown.error());
    } else if (!grown.value()) {
        // A larger part of this very capture is there already.
        Rollback();
        return RecordOutcome::AlreadyThere;
    }

    Result<QSqlQuery*> insertRecord = Prepared(
        QStringLiteral("INSERT INTO records (capture_id, position, equipment_id, test_date, test_day, equipment_key, "
                       "verdict_profile, verdict_profile_version, readings_packed) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "RETURNING id"));
    if (!insertRecord) {
        return fail(insertRecord.error());
    }
    // Each record goes in as it comes; its readings wait for a full statement.
    const auto take = [&](const HistoryRecord& given) -> Result<void> {
        const HistoryRecord* kept = &given;
        HistoryRecord grown;
        if (!earlier.empty()) {
            grown = given;
            KeepStoredVerdicts(earlier, grown);
            kept = &grown;
        }
        const HistoryRecord& record = *kept;
        QSqlQuery& recordQuery = *insertRecord.value();
        recordQuery.bindValue(0, captureId);
        recordQuery.bindValue(1, record.position);
        recordQuery.bindValue(2, Stored(record.equipmentId));
        recordQuery.bindValue(3, Stored(record.testDate));
        recordQuery.bindValue(4, NullableText(record.testDay));
        recordQuery.bindValue(5, Stored(HistorySchema::EquipmentKey(record.equipmentId)));
        recordQuery.bindValue(6, Stored(record.verdictProfile));
        recordQuery.bindValue(7, Stored(record.verdictProfileVersion));
        recordQuery.bindValue(8, PackedReadingsOf(record.readings));
        if (!recordQuery.exec() || !recordQuery.next()) {
            return CaptureStatementFailed(what, recordQuery.lastError());
        }
        const qlonglong recordId = recordQuery.value(0).toLongLong();
        recordQuery.finish();
        for (const HistoryReading& reading : record.readings) {
            m_pendingReadings.push_back({recordId, reading.item, Stored(reading.value), Stored(reading.test),
                                         Stored(reading.reading), Stored(reading.verdict), Stored(reading.limit),
                                         Stored(reading.rule)});
            if (static_cast<int>(m_pendingReadings.size()) == kReadingsPerInsert) {
                if (Result<void> inserted = InsertPendingReadings(what); !inserted) {
                    return inserted;
                }
            }
        }
        return {};
    };
    if (Result<void> taken = TakeCountedRecords(header, records, take); !taken) {
        return fail(taken.error());
    }
    if (Result<void> inserted = InsertPendingReadings(what); !inserted) {
        return fail(inserted.error());
    }
    if (!m_db.commit()) {
        return fail(CaptureStatementFailed(what, m_db.lastError()));
    }
    return RecordOutcome::Added;
}

Result<std::vector<HistoryRecord>> SqlHistoryStore::Lookup(const std::string& equipmentId)
{
    const QString id = Stored(std::string(TrimBlanks(equipmentId)));
    return Retried<std::vector<HistoryRecord>>([&] { return LookupOnce(id); });
}

Result<std::vector<HistoryRecord>> SqlHistoryStore::LookupOnce(const QString& id)
{
    const std::string what = "cannot look up " + id.toStdString();
    Result<QSqlQuery*> records = Prepared(
        QStringLiteral("SELECT r.id, r.equipment_id, r.test_date, r.test_day, r.position, c.captured_at, c.kind, "
                       "r.verdict_profile, r.verdict_profile_version "
                       "FROM records r JOIN captures c ON c.id = r.capture_id WHERE r.equipment_id = ? "
                       "ORDER BY COALESCE(r.test_day, SUBSTR(c.captured_at, 1, 10)), c.captured_at, c.id, r.position"));
    if (!records) {
        return records.error();
    }
    std::vector<HistoryRecord> found;
    std::unordered_map<qlonglong, std::size_t> index;
    QSqlQuery& recordQuery = *records.value();
    recordQuery.bindValue(0, id);
    if (!recordQuery.exec()) {
        return Failure(what, recordQuery.lastError());
    }
    while (recordQuery.next()) {
        HistoryRecord record;
        record.equipmentId = recordQuery.value(1).toString().toStdString();
        record.testDate = recordQuery.value(2).toString().toStdString();
        if (!recordQuery.value(3).isNull()) {
            record.testDay = recordQuery.value(3).toString().toStdString();
        }
        record.position = recordQuery.value(4).toInt();
        record.capturedAt = recordQuery.value(5).toString().toStdString();
        record.kind = recordQuery.value(6).toString().toStdString();
        record.verdictProfile = recordQuery.value(7).toString().toStdString();
        record.verdictProfileVersion = recordQuery.value(8).toString().toStdString();
        index.emplace(recordQuery.value(0).toLongLong(), found.size());
        found.push_back(std::move(record));
    }
    recordQuery.finish();
    // The readings by their records' keys: the primary key's index serves
    // this whatever the server knows of the tables' sizes (a join could
    // be planned as a scan of every reading on a server that has not
    // analysed its tables yet).
    std::vector<qlonglong> recordIds;
    recordIds.reserve(found.size());
    for (const auto& [recordId, at] : index) {
        recordIds.push_back(recordId);
    }
    std::sort(recordIds.begin(), recordIds.end());
    if (Result<void> read = ReadReadings(recordIds, index, found, what); !read) {
        return read.error();
    }
    return found;
}

Result<void> SqlHistoryStore::ReadReadings(const std::vector<qlonglong>& recordIds,
                                           const std::unordered_map<qlonglong, std::size_t>& index,
                                           std::vector<HistoryRecord>& found, const std::string& what)
{
    for (std::size_t start = 0; start < recordIds.size(); start += kRecordsPerLookup) {
        const std::size_t count = std::min<std::size_t>(kRecordsPerLookup, recordIds.size() - start);
        QString sql =
            QStringLiteral("SELECT record_id, item, value, test, reading, verdict, verdict_limit, verdict_rule "
                           "FROM readings WHERE record_id IN (");
        sql += Placeholders(count) + QStringLiteral(") ORDER BY record_id, item");
        Result<QSqlQuery*> prepared = Prepared(sql);
        if (!prepared) {
            return prepared.error();
        }
        QSqlQuery& query = *prepared.value();
        for (std::size_t i = 0; i < count; ++i) {
            query.bindValue(static_cast<int>(i), recordIds[start + i]);
        }
        if (!query.exec()) {
            return Failure(what, query.lastError());
        }
        while (query.next()) {
            HistoryRecord& record = found[index.at(query.value(0).toLongLong())];
            record.readings.push_back({query.value(1).toInt(), query.value(2).toString().toStdString(),
                                       query.value(3).toString().toStdString(), query.value(4).toString().toStdString(),
                                       query.value(5).toString().toStdString(), query.value(6).toString().toStdString(),
                                       query.value(7).toString().toStdString()});
        }
        query.finish();
    }
    return {};
}

Result<std::vector<std::string>> SqlHistoryStore::Ids(const std::string& prefix, int limit)
{
    if (limit <= 0) {
        return std::vector<std::string>{};
    }
    // Through QString, so the range's ends are valid UTF-8 whatever came in.
    const QString from = Stored(HistorySchema::EquipmentKey(prefix));
    const std::optional<QString> to = PrefixEnd(from);
    return Retried<std::vector<std::string>>([&]() -> Result<std::vector<std::string>> {
        Result<QSqlQuery*> prepared =
            Prepared(to ? QStringLiteral("SELECT DISTINCT equipment_id FROM records WHERE equipment_key >= ? AND "
                                         "equipment_key < ? ORDER BY equipment_id LIMIT ?")
                        : QStringLiteral("SELECT DISTINCT equipment_id FROM records WHERE equipment_key >= ? "
                                         "ORDER BY equipment_id LIMIT ?"));
        if (!prepared) {
            return prepared.error();
        }
        QSqlQuery& query = *prepared.value();
        int at = 0;
        query.bindValue(at++, from);
        if (to) {
            query.bindValue(at++, *to);
        }
        query.bindValue(at, limit);
        if (!query.exec()) {
            return Failure("cannot list the equipment IDs", query.lastError());
        }
        std::vector<std::string> ids;
        while (query.next()) {
            ids.push_back(query.value(0).toString().toStdString());
        }
        query.finish();
        return ids;
    });
}

Result<std::vector<std::string>> SqlHistoryStore::RecentIds(int limit)
{
    if (limit <= 0) {
        return std::vector<std::string>{};
    }
    return Retried<std::vector<std::string>>([&] { return RecentIdsOnce(limit); });
}

Result<std::vector<std::string>> SqlHistoryStore::RecentIdsOnce(int limit)
{
    // The captures newest first, each ID taken at its first (so latest)
    // capture. The captures come in windows that double in size, so a
    // history of few IDs in many captures takes a few statements, not one a
    // capture; a window that comes back smaller than asked is the history's
    // end. Their records are asked for by capture_id, a few captures a
    // statement: the index answers that whatever the server knows of the
    // tables' sizes (one join of the window with the records took 13 ms on
    // PostgreSQL among 100,000 records, this way under 1 ms).
    constexpr int kFirstWindow = 32;
    constexpr int kLargestWindow = 4096;
    constexpr std::size_t kLargestGroup = 8;
    std::vector<std::string> ids;
    std::set<std::string> seen;
    QString lastAt;
    qlonglong lastId = 0;
    for (int window = kFirstWindow, asked = 0;; window = std::min(window * 2, kLargestWindow), ++asked) {
        Result<QSqlQuery*> prepared =
            Prepared(asked == 0 ? QStringLiteral("SELECT id, captured_at FROM captures ORDER BY captured_at DESC, "
                                                 "id DESC LIMIT ?")
                                : QStringLiteral("SELECT id, captured_at FROM captures WHERE captured_at < ? OR "
                                                 "(captured_at = ? AND id < ?) ORDER BY captured_at DESC, id DESC "
                                                 "LIMIT ?"));
        if (!prepared) {
            return prepared.error();
        }
        QSqlQuery& captures = *prepared.value();
        int at = 0;
        if (asked > 0) {
            captures.bindValue(at++, lastAt);
            captures.bindValue(at++, lastAt);
            captures.bindValue(at++, lastId);
        }
        captures.bindValue(at, window);
        if (!captures.exec()) {
            return Failure("cannot list the recent equipment IDs", captures.lastError());
        }
        std::vector<qlonglong> newestFirst;
        while (captures.next()) {
            newestFirst.push_back(captures.value(0).toLongLong());
            lastAt = captures.value(1).toString();
        }
        captures.finish();
        if (newestFirst.empty()) {
            return ids;
        }
        lastId = newestFirst.back();
        if (lastAt.isNull()) {
            lastAt = QStringLiteral(""); // bound as '', not as NULL
        }
        // One capture first (it mostly holds every ID asked for), then groups that grow.
        for (std::size_t from = 0, group = 1; from < newestFirst.size();
             from += group, group = std::min(group * 2, kLargestGroup)) {
            const std::size_t count = std::min(group, newestFirst.size() - from);
            QString sql =
                QStringLiteral("SELECT capture_id, position, equipment_id FROM records WHERE capture_id IN (");
            sql += Placeholders(count) + QStringLiteral(")");
            Result<QSqlQuery*> recordsPrepared = Prepared(sql);
            if (!recordsPrepared) {
                return recordsPrepared.error();
            }
            QSqlQuery& records = *recordsPrepared.value();
            for (std::size_t i = 0; i < count; ++i) {
                records.bindValue(static_cast<int>(i), newestFirst[from + i]);
            }
            if (!records.exec()) {
                return Failure("cannot list the recent equipment IDs", records.lastError());
            }
            // capture -> (position, ID), put in the walk's order here.
            std::map<qlonglong, std::vector<std::pair<int, std::string>>> byCapture;
            while (records.next()) {
                byCapture[records.value(0).toLongLong()].emplace_back(records.value(1).toInt(),
                                                                      records.value(2).toString().toStdString());
            }
            records.finish();
            for (std::size_t i = 0; i < count; ++i) {
                std::vector<std::pair<int, std::string>>& printed = byCapture[newestFirst[from + i]];
                std::sort(printed.begin(), printed.end());
                for (auto& [position, id] : printed) {
                    if (!id.empty() && seen.insert(id).second) {
                        ids.push_back(std::move(id));
                        if (static_cast<int>(ids.size()) == limit) {
                            return ids;
                        }
                    }
                }
            }
        }
        if (static_cast<int>(newestFirst.size()) < window) {
            return ids;
        }
    }
}

Error SqlHistoryStore::WriteFailed(const std::string& what, const QSqlError& error)
{
    m_lastRetryable = IsLostRace(m_where.engine, error);
    return Failure(what, error);
}

Result<EquipmentImportCounts> SqlHistoryStore::ImportEquipment(const std::vector<verdict::Device>& devices)
{
    std::vector<verdict::DeviceFields> fields;
    fields.reserve(devices.size());
    for (const verdict::Device& device : devices) {
        fields.push_back(StoredFields(device));
    }
    return Retried<EquipmentImportCounts>([&] { return ImportEquipmentOnce(fields); },
                                          [this](const Error&) { return m_lastRetryable; });
}

Result<EquipmentImportCounts> SqlHistoryStore::ImportEquipmentOnce(const std::vector<verdict::DeviceFields>& devices)
{
    m_lastRetryable = false;
    const std::string what = "cannot import the equipment list";
    if (Result<void> begun = BeginWrite(); !begun) {
        return begun.error();
    }
    const auto fail = [this](const Error& error) -> Result<EquipmentImportCounts> {
        Rollback();
        return error;
    };
    // Another import waits here until this one is committed, and then reads
    // the list as this one left it.
    if (IsPostgres()) {
        QSqlQuery lock(m_db);
        if (!lock.exec(QStringLiteral("LOCK TABLE equipment IN EXCLUSIVE MODE"))) {
            return fail(WriteFailed(what, lock.lastError()));
        }
    }
    std::map<std::string, verdict::DeviceFields> stored;
    {
        Result<QSqlQuery*> select =
            Prepared(QStringLiteral("SELECT %1 FROM equipment").arg(QLatin1String(kEquipmentColumns)));
        if (!select) {
            return fail(select.error());
        }
        QSqlQuery& query = *select.value();
        if (!query.exec()) {
            return fail(WriteFailed(what, query.lastError()));
        }
        while (query.next()) {
            verdict::DeviceFields row = FieldsOfRow(query);
            std::string id = row[0];
            stored.emplace(std::move(id), std::move(row));
        }
        query.finish();
    }
    EquipmentImportCounts counts;
    std::vector<const verdict::DeviceFields*> changed;
    for (const verdict::DeviceFields& device : devices) {
        const auto found = stored.find(device[0]);
        if (found == stored.end()) {
            ++counts.added;
        } else if (found->second != device) {
            ++counts.replaced;
        } else {
            ++counts.unchanged;
            continue;
        }
        changed.push_back(&device);
    }
    if (changed.empty()) {
        Rollback();
        return counts;
    }
    if (Result<void> upserted = UpsertDevices(changed, what); !upserted) {
        return fail(upserted.error());
    }
    if (!m_db.commit()) {
        return fail(WriteFailed(what, m_db.lastError()));
    }
    return counts;
}

Result<void> SqlHistoryStore::UpsertDevices(const std::vector<const verdict::DeviceFields*>& devices,
                                            const std::string& what)
{
    for (std::size_t start = 0; start < devices.size(); start += kDevicesPerUpsert) {
        const std::size_t count = std::min<std::size_t>(kDevicesPerUpsert, devices.size() - start);
        Result<QSqlQuery*> prepared = Prepared(DevicesUpsert(static_cast<int>(count)));
        if (!prepared) {
            return prepared.error();
        }
        QSqlQuery& query = *prepared.value();
        for (std::size_t row = 0; row < count; ++row) {
            const verdict::DeviceFields& fields = *devices[start + row];
            const int at = static_cast<int>(row * fields.size());
            for (std::size_t i = 0; i < fields.size(); ++i) {
                // The interval is a number in the table; the list checked it.
                query.bindValue(at + static_cast<int>(i),
                                i == 5 ? QVariant(std::stoi(fields[i])) : QVariant(Text(fields[i])));
            }
        }
        if (!query.exec()) {
            return WriteFailed(what, query.lastError());
        }
        query.finish();
    }
    return {};
}

Result<std::vector<verdict::Device>> SqlHistoryStore::Equipment()
{
    return Retried<std::vector<verdict::Device>>([&]() -> Result<std::vector<verdict::Device>> {
        const std::string what = "cannot read the equipment list";
        Result<QSqlQuery*> select = Prepared(
            QStringLiteral("SELECT %1 FROM equipment ORDER BY equipment_id").arg(QLatin1String(kEquipmentColumns)));
        if (!select) {
            return select.error();
        }
        QSqlQuery& query = *select.value();
        if (!query.exec()) {
            return Failure(what, query.lastError());
        }
        std::vector<verdict::Device> devices;
        while (query.next()) {
            const verdict::DeviceFields fields = FieldsOfRow(query);
            Result<verdict::Device> device = verdict::DeviceFromFields(fields);
            if (!device) {
                query.finish();
                return Error{kErrorFail, m_where.Describe() + ": " + what + ": the device " + fields[0] + ": " +
                                             device.error().message};
            }
            devices.push_back(std::move(device).value());
        }
        query.finish();
        return devices;
    });
}

Result<void> SqlHistoryStore::PutDevice(const verdict::Device& device)
{
    const verdict::DeviceFields fields = StoredFields(device);
    if (fields[0].empty()) {
        return Error{kErrorFail, "a device without an equipment ID cannot be kept in the list"};
    }
    return Retried<void>(
        [&]() -> Result<void> {
            m_lastRetryable = false;
            const std::string what = "cannot keep the device " + fields[0];
            if (Result<void> begun = BeginWrite(); !begun) {
                return begun;
            }
            if (Result<void> upserted = UpsertDevices({&fields}, what); !upserted) {
                Rollback();
                return upserted;
            }
            if (!m_db.commit()) {
                const Error failed = WriteFailed(what, m_db.lastError());
                Rollback();
                return failed;
            }
            return {};
        },
        [this](const Error&) { return m_lastRetryable; });
}

Result<bool> SqlHistoryStore::RemoveDevice(const std::string& equipmentId)
{
    const QString id = Text(std::string(TrimBlanks(equipmentId)));
    return Retried<bool>(
        [&]() -> Result<bool> {
            m_lastRetryable = false;
            Result<QSqlQuery*> remove = Prepared(QStringLiteral("DELETE FROM equipment WHERE equipment_id = ?"));
            if (!remove) {
                return remove.error();
            }
            QSqlQuery& query = *remove.value();
            query.bindValue(0, id);
            if (!query.exec()) {
                return WriteFailed("cannot remove the device " + id.toStdString(), query.lastError());
            }
            const bool removed = query.numRowsAffected() > 0;
            query.finish();
            return removed;
        },
        [this](const Error&) { return m_lastRetryable; });
}

Result<std::vector<LatestTest>> SqlHistoryStore::LatestTests()
{
    return Retried<std::vector<LatestTest>>([&] { return LatestTestsOnce(); });
}

Result<std::vector<LatestTest>> SqlHistoryStore::LatestTestsOnce()
{
    const std::string what = "cannot read the latest tests";
    // Per ID its latest test day and of that day the record recorded last:
    // the latest capture time, then the capture's id and the record's place
    // in it; its readings come packed in the same row. PostgreSQL sorts the
    // records once (a lookup per ID took four times as long there); SQLite
    // asks the index on (equipment_id, test_day) per ID (one sort of every
    // record took ten times as long there).
    Result<QSqlQuery*> latest = Prepared(
        IsPostgres()
            ? QStringLiteral("SELECT DISTINCT ON (r.equipment_id) r.equipment_id, r.test_day, c.kind, "
                             "r.readings_packed FROM records r JOIN captures c ON c.id = r.capture_id WHERE "
                             "r.equipment_id <> '' ORDER BY r.equipment_id, (r.test_day IS NULL), r.test_day DESC, "
                             "c.captured_at DESC, c.id DESC, r.position DESC")
            : QStringLiteral("SELECT m.equipment_id, m.day, c.kind, r.readings_packed "
                             "FROM (SELECT l.equipment_id, l.day, (SELECT r.id FROM records r JOIN captures c ON "
                             "c.id = r.capture_id WHERE r.equipment_id = l.equipment_id AND r.test_day = l.day "
                             "ORDER BY c.captured_at DESC, c.id DESC, r.position DESC LIMIT 1) AS record_id "
                             "FROM (SELECT equipment_id, MAX(test_day) AS day FROM records WHERE equipment_id <> '' "
                             "GROUP BY equipment_id) l) m "
                             "LEFT JOIN records r ON r.id = m.record_id LEFT JOIN captures c ON c.id = r.capture_id"));
    if (!latest) {
        return latest.error();
    }
    QSqlQuery& query = *latest.value();
    if (!query.exec()) {
        return Failure(what, query.lastError());
    }
    std::vector<LatestTest> tests;
    while (query.next()) {
        LatestTest test;
        test.equipmentId = query.value(0).toString().toStdString();
        if (!query.value(1).isNull() && !query.value(2).isNull()) {
            test.testDay = query.value(1).toString().toStdString();
            test.kind = query.value(2).toString().toStdString();
            const QByteArray packed = query.value(3).toByteArray();
            test.packedReadings.assign(packed.constData(), static_cast<std::size_t>(packed.size()));
        }
        tests.push_back(std::move(test));
    }
    query.finish();
    // SQLite's grouping walks the index in ID order: a sort is only a guard.
    const auto byId = [](const LatestTest& a, const LatestTest& b) { return a.equipmentId < b.equipmentId; };
    if (!std::is_sorted(tests.begin(), tests.end(), byId)) {
        std::sort(tests.begin(), tests.end(), byId);
    }
    return tests;
}

} // namespace tessaprint::history
