#pragma once

#include "history/HistoryStore.h"
#include "util/Result.h"
#include "util/SettingsStore.h"

#include <memory>
#include <string>

namespace tessaprint::history {

// Where the test history is kept: an SQLite file or a PostgreSQL database.
struct HistoryDatabase {
    enum class Engine { Sqlite, Postgres };

    Engine engine = Engine::Sqlite;
    // SQLite: the file, and whether its folder may be created (only the
    // program's own default place is made; a path the user gave must exist).
    std::string path;
    bool createFolder = false;
    // PostgreSQL: a host name, an address or a socket folder ("/run/postgresql").
    std::string host;
    int port = 5432;
    std::string user; // empty: libpq's default, the system user's name
    std::string databaseName;
    // From the password file; empty lets libpq look in PGPASSFILE or ~/.pgpass.
    std::string password;

    // For messages, never with the password: "SQLite database /home/a/history.sqlite",
    // "PostgreSQL database tessa on db.example:5432 as alice".
    std::string Describe() const;
};

// Reads a "History"/"Database" value:
// - empty: the SQLite file history.sqlite in baseFolder, created with its folder;
// - postgresql://[user@]host[:port]/dbname (also postgres://; the host may be
//   left out for ?host=/socket/folder), parts %-encoded as in any URL;
// - any other value without "scheme://": an SQLite file, relative to baseFolder.
// A password in the address, an unknown scheme or option, a missing server or
// database name are errors that say what is wrong.
Result<HistoryDatabase> ParseHistoryDatabase(const std::string& value, const std::string& baseFolder);

// The first line of a password file (at most 4 kB, without its line end).
Result<std::string> ReadPasswordFile(const std::string& path);

// The program's folder for its own data (QStandardPaths::AppDataLocation):
// the default history lives there.
std::string HistoryDataFolder();

// The database the settings name ("History"/"Database"; relative paths below
// HistoryDataFolder()), with the password from "History"/"PasswordFile" when
// that is set. The settings never hold a password themselves.
Result<HistoryDatabase> HistoryDatabaseFromSettings(const SettingsStore& settings);

// Opens the store on the database (see SqlHistoryStore: the store belongs to
// the calling thread).
Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const HistoryDatabase& where);
Result<std::unique_ptr<HistoryStore>> OpenHistoryStore(const SettingsStore& settings);

} // namespace tessaprint::history
