#pragma once

#include "history/EquipmentStore.h"
#include "history/HistoryDatabase.h"
#include "history/HistorySchema.h"
#include "history/HistoryStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

class QSqlError;

namespace tessaprint::history {

// The test history in an SQL database through Qt SQL: SQLite ("QSQLITE") or
// PostgreSQL ("QPSQL"), the same statements for both. Each store has a
// connection of its own, and Qt SQL connections belong to the thread that
// made them: use a store on the thread that opened it only (another thread
// opens a store of its own).
//
// The tables (see HistorySchema): captures (one row per lines_hash, which is
// UNIQUE: the database itself keeps a capture from being recorded twice, also
// by two programs at once; capture_uid, the capture's identity, by which a
// capture recorded again grown is known), records (with test_day and the
// lower-case equipment_key for the prefix search), readings, and the
// department's equipment list (equipment, one row per ID). An older version
// is brought up to date when opened, step by numbered step, in place; a newer
// one is refused untouched.
class SqlHistoryStore : public HistoryStore, public EquipmentStore {
public:
    static constexpr int kSchemaVersion = HistorySchema::kVersion;

    // Connects, and creates or brings up to date the schema. A server that
    // cannot be reached gives kErrorUnreachable. Record answers
    // kErrorCaptureRefused for a capture the database refuses (its data, not
    // the database's state: trying again would give the same answer).
    static Result<std::unique_ptr<SqlHistoryStore>> Open(const HistoryDatabase& where);
    ~SqlHistoryStore() override;
    SqlHistoryStore(const SqlHistoryStore&) = delete;
    SqlHistoryStore& operator=(const SqlHistoryStore&) = delete;

    Result<RecordOutcome> RecordInParts(const HistoryCaptureHeader& header,
                                        const HistoryRecordSource& records) override;
    Result<std::vector<HistoryRecord>> Lookup(const std::string& equipmentId) override;
    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override;
    Result<std::vector<std::string>> RecentIds(int limit) override;

    // EquipmentStore. An import takes the write lock first (SQLite: BEGIN
    // IMMEDIATE; PostgreSQL: the equipment table's EXCLUSIVE lock), so two
    // imports at once run one after the other and the later one's devices
    // win for the IDs both lists hold.
    Result<EquipmentImportCounts> ImportEquipment(const std::vector<verdict::Device>& devices) override;
    Result<std::vector<verdict::Device>> Equipment() override;
    Result<void> PutDevice(const verdict::Device& device) override;
    Result<bool> RemoveDevice(const std::string& equipmentId) override;
    Result<std::vector<LatestTest>> LatestTests() override;

    const HistoryDatabase& where() const { return m_where; }

private:
    explicit SqlHistoryStore(HistoryDatabase where);

    Result<void> Connect();
    // SQLite: switches the file to WAL, also while other programs open it.
    Result<void> UseWriteAheadLog();
    // Connects again after the connection was lost.
    Result<void> EnsureConnected();
    // The schema's work on this connection, its failures reported as the store's.
    HistorySchema Schema();
    Result<void> PrepareSchema();
    // Creates or upgrades the schema in one transaction, one program at a time.
    Result<void> SetUpSchema();
    // A transaction that writes: on SQLite it takes the write lock at once.
    Result<void> BeginWrite();
    Result<RecordOutcome> RecordOnce(const HistoryCaptureHeader& header, const HistoryRecordSource& records);
    // Inside the transaction of a new capture: removes the earlier, smaller
    // parts of the same capture (by identity), filling stored with what they
    // stored of their verdicts; false when a larger part is there.
    Result<bool> ReplaceEarlierPart(const HistoryCaptureHeader& header, const QString& identity, qlonglong captureId,
                                    StoredVerdicts& stored);
    // What a part about to be replaced stored of its verdicts.
    Result<void> ReadStoredVerdicts(qlonglong part, StoredVerdicts& earlier, const std::string& what);
    // Inside the transaction: inserts the readings waiting in m_pendingReadings.
    Result<void> InsertPendingReadings(const std::string& what);
    // A statement of a capture failed: tells whether another try may work.
    Error CaptureStatementFailed(const std::string& what, const QSqlError& error);
    // Fills found (index: record id -> place in found) with the readings of recordIds.
    Result<void> ReadReadings(const std::vector<qlonglong>& recordIds,
                              const std::unordered_map<qlonglong, std::size_t>& index,
                              std::vector<HistoryRecord>& found, const std::string& what);
    // Runs once() up to kAttempts times, on a connection opened again when it
    // was lost, while it fails with kErrorUnreachable or mayRetry(error).
    template <typename T, typename Once, typename MayRetry> Result<T> Retried(Once once, MayRetry mayRetry);
    template <typename T, typename Once> Result<T> Retried(Once once);
    // One try of Lookup, of RecentIds (a lost connection fails it as a whole).
    Result<std::vector<HistoryRecord>> LookupOnce(const QString& id);
    Result<std::vector<std::string>> RecentIdsOnce(int limit);
    Result<EquipmentImportCounts> ImportEquipmentOnce(const std::vector<verdict::DeviceFields>& devices);
    // Inside a write: adds or replaces these devices, many to a statement.
    Result<void> UpsertDevices(const std::vector<const verdict::DeviceFields*>& devices, const std::string& what);
    Result<std::vector<LatestTest>> LatestTestsOnce();
    // A write's statement failed: tells whether another try may work.
    Error WriteFailed(const std::string& what, const QSqlError& error);
    // A prepared statement for sql, kept for the connection's life.
    Result<QSqlQuery*> Prepared(const QString& sql);
    Result<void> ExecDirect(const QString& sql, const std::string& what);
    void Rollback();
    // The error for a failure of the driver: names the database, carries the
    // driver's text, kErrorUnreachable when the server is out of reach (the
    // connection is then opened again on the next call).
    Error Failure(const std::string& what, const QSqlError& error);

    bool IsPostgres() const { return m_where.engine == HistoryDatabase::Engine::Postgres; }

    HistoryDatabase m_where;
    QString m_connectionName;
    QSqlDatabase m_db;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
    bool m_connectionLost = false;
    // The last statement lost a race with another writer: worth another try.
    bool m_lastRetryable = false;
    // The last statement failed on what the capture holds.
    bool m_lastRefused = false;
    // Readings of the capture being recorded, not yet inserted: they go in
    // many rows to a statement, across records.
    struct PendingReading {
        qlonglong recordId;
        int item;
        QString value;
        QString test;
        QString reading;
        QString verdict;
        QString limit;
        QString rule;
    };
    std::vector<PendingReading> m_pendingReadings;
};

} // namespace tessaprint::history
