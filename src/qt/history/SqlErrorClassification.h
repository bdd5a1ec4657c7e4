#pragma once

#include "history/HistoryDatabase.h"

class QSqlError;

namespace tessaprint::history {

// What a failed statement's error says about the database and about trying
// again, for SQLite and for PostgreSQL.

// SQLITE_BUSY or SQLITE_LOCKED: another program holds the file.
bool IsSqliteBusy(const QSqlError& error);

// The server is out of reach (PostgreSQL: lost, shutting down or starting,
// too many connections), or another program holds the SQLite file past the
// wait: the same statement may work later.
bool IsUnreachable(HistoryDatabase::Engine engine, const QSqlError& error);

// A PostgreSQL connection that failed because the server answered and
// refused the user, the password or the database (trying again gives the
// same answer), not because it could not be reached.
bool IsRefusedConnection(const QSqlError& error);

// Another writer won the race for the same rows: another try may work.
bool IsLostRace(HistoryDatabase::Engine engine, const QSqlError& error);

// A failure that comes from what a capture holds (a data exception, a
// constraint), so the same capture would fail again.
bool IsRefusal(HistoryDatabase::Engine engine, const QSqlError& error);

} // namespace tessaprint::history
