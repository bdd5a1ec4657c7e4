#pragma once

#include "history/HistoryDatabase.h"
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
// Schema version 2: captures (one row per lines_hash, which is UNIQUE: the
// database itself keeps a capture from being recorded twice, also by two
// programs at once), records (with test_day and the lower-case
// equipment_key for the prefix search) and readings. Version 1 (without
// test_day, equipment_key and their index) is brought up to 2 when opened;
// a newer version is refused untouched.
class SqlHistoryStore : public HistoryStore {
public:
    static constexpr int kSchemaVersion = 2;

    // Connects, and creates or brings up to date the schema. A server that
    // cannot be reached gives kErrorUnreachable.
    static Result<std::unique_ptr<SqlHistoryStore>> Open(const HistoryDatabase& where);
    ~SqlHistoryStore() override;
    SqlHistoryStore(const SqlHistoryStore&) = delete;
    SqlHistoryStore& operator=(const SqlHistoryStore&) = delete;

    Result<RecordOutcome> Record(const HistoryCapture& capture) override;
    Result<std::vector<HistoryRecord>> Lookup(const std::string& equipmentId) override;
    Result<std::vector<std::string>> Ids(const std::string& prefix, int limit) override;

    const HistoryDatabase& where() const { return m_where; }
    // The connection's name in QSqlDatabase (tests inspect the tables through it).
    const QString& connectionName() const { return m_connectionName; }

private:
    explicit SqlHistoryStore(HistoryDatabase where);

    Result<void> Connect();
    // Connects again after the connection was lost.
    Result<void> EnsureConnected();
    Result<void> PrepareSchema();
    Result<bool> CreateSchema();
    Result<bool> MigrateFromVersion1();
    Result<RecordOutcome> RecordOnce(const HistoryCapture& capture);
    // Inside the transaction of a new capture: removes the earlier, smaller
    // parts of the same live capture; false when a larger part is there.
    Result<bool> ReplaceEarlierPart(const HistoryCapture& capture, qlonglong captureId);
    // Fills found (index: record id -> place in found) with the readings of recordIds.
    Result<void> ReadReadings(const std::vector<qlonglong>& recordIds,
                              const std::unordered_map<qlonglong, std::size_t>& index,
                              std::vector<HistoryRecord>& found, const std::string& what);
    // A prepared statement for sql, kept for the connection's life.
    Result<QSqlQuery*> Prepared(const QString& sql);
    Result<void> Exec(QSqlQuery& query, const std::string& what);
    Result<void> ExecDirect(const QString& sql, const std::string& what);
    void Rollback();
    // The error for a failure of the driver: names the database, carries the
    // driver's text, kErrorUnreachable when the server is out of reach (the
    // connection is then opened again on the next call).
    Error Failure(const std::string& what, const QSqlError& error);

    bool IsPostgres() const { return m_where.engine == HistoryDatabase::Engine::Postgres; }
    QString IdColumn() const;
    QString TextColumn() const;

    HistoryDatabase m_where;
    QString m_connectionName;
    QSqlDatabase m_db;
    std::map<QString, std::unique_ptr<QSqlQuery>> m_prepared;
    bool m_connectionLost = false;
    // The last statement lost a race with another writer: worth another try.
    bool m_lastRetryable = false;
};

} // namespace tessaprint::history
