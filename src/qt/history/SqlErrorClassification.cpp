#include "history/SqlErrorClassification.h"

#include <QSqlError>

#include <initializer_list>

namespace tessaprint::history {

namespace {

bool ContainsAny(const QString& text, std::initializer_list<const char*> phrases)
{
    for (const char* phrase : phrases) {
        if (text.contains(QLatin1String(phrase), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

// SQLite's result code without its extended part (SQLITE_BUSY_SNAPSHOT is SQLITE_BUSY).
int SqlitePrimaryCode(const QSqlError& error)
{
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number ? code & 0xFF : -1;
}

} // namespace

bool IsSqliteBusy(const QSqlError& error)
{
    const int code = SqlitePrimaryCode(error);
    return code == 5 || code == 6;
}

bool IsUnreachable(HistoryDatabase::Engine engine, const QSqlError& error)
{
    if (engine == HistoryDatabase::Engine::Postgres) {
        // A server's own error always has an SQLSTATE; libpq's about a lost
        // connection has none. Class 08 is a connection exception, 57P0x a
        // server shutting down or starting, 53300 too many connections.
        const QString state = error.nativeErrorCode();
        return error.type() == QSqlError::ConnectionError || state.isEmpty() || state.startsWith("08") ||
               state.startsWith("57P0") || state == "53300";
    }
    // SQLITE_BUSY, SQLITE_LOCKED: another program holds the file past the wait.
    return IsSqliteBusy(error);
}

bool IsRefusedConnection(const QSqlError& error)
{
    // libpq says nothing but words here: the server answered when it
    // refused the user, the password or the database; anything else
    // (refused, timed out, no socket, shutting down) may work later.
    return ContainsAny(error.text(), {"authentication", "does not exist", "permission denied", "pg_hba.conf",
                                      "password", "not permitted"});
}

bool IsLostRace(HistoryDatabase::Engine engine, const QSqlError& error)
{
    // A serialization failure, a deadlock, a unique violation.
    const QString state = error.nativeErrorCode();
    return engine == HistoryDatabase::Engine::Postgres && (state == "40001" || state == "40P01" || state == "23505");
}

bool IsRefusal(HistoryDatabase::Engine engine, const QSqlError& error)
{
    if (engine == HistoryDatabase::Engine::Postgres) {
        // Data exceptions (22), integrity constraint violations (23), and
        // statements the server cannot take (42), but for a missing
        // privilege, which is the database's doing and not the capture's.
        const QString state = error.nativeErrorCode();
        return (state.startsWith("22") || state.startsWith("23") || state.startsWith("42")) && state != "42501";
    }
    switch (SqlitePrimaryCode(error)) {
    case 18: // SQLITE_TOOBIG
    case 19: // SQLITE_CONSTRAINT
    case 20: // SQLITE_MISMATCH
    case 25: // SQLITE_RANGE
        return true;
    default:
        return false;
    }
}

} // namespace tessaprint::history
