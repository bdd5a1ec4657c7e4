#pragma once

#include "history/HistoryDatabase.h"
#include "util/Result.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <initializer_list>
#include <string>

class QSqlError;

namespace tessaprint::history {

// The history's tables on one connection: the version a database is at, the
// tables a new one gets, and the numbered migrations that bring an older one
// up, each from one version to the next, in place, every row kept.
//
// A new table or column arrives as one more migration at the end of the list
// in HistorySchema.cpp, with kVersion raised to it: an older database takes
// the steps it lacks, a new one gets the base tables (version kBaseVersion)
// and then every step after them.
class HistorySchema {
public:
    static constexpr int kVersion = 6;
    static constexpr int kBaseVersion = 3;

    // The store's error for a failed statement (it names the database and
    // notes a lost connection).
    using FailureFn = std::function<Error(const std::string& what, const QSqlError& error)>;

    HistorySchema(QSqlDatabase& db, const HistoryDatabase& where, FailureFn failure);

    // The schema's version: 0 for a new database, -1 for a schema_version without one.
    Result<int> ReadVersion();
    // A version this program cannot work with (newer, or none) is an error.
    Result<void> CheckVersion(int version) const;
    // Inside the caller's transaction: brings a database at version `from`
    // (0: new) to kVersion, the version recorded with it.
    Result<void> BringUp(int from);

    // What records.equipment_key holds for an equipment ID: the prefix search's key.
    static std::string EquipmentKey(std::string equipmentId);

    // For the steps: the engine's column types, and statements run at once.
    QSqlDatabase& db() { return m_db; }
    QString IdColumn() const;
    QString TextColumn() const;
    QString BytesColumn() const;
    Result<void> Exec(const QString& sql, const std::string& what);
    Result<void> Exec(std::initializer_list<QString> statements, const std::string& what);
    Error Failure(const std::string& what, const QSqlError& error) const { return m_failure(what, error); }

    bool IsPostgres() const { return m_where.engine == HistoryDatabase::Engine::Postgres; }

private:
    Result<void> CreateBaseTables();

    QSqlDatabase& m_db;
    const HistoryDatabase& m_where;
    FailureFn m_failure;
};

} // namespace tessaprint::history
