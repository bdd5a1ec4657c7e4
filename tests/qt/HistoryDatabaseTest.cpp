// Where the history is: the setting "History"/"Database" read as a file or a
// PostgreSQL address, and the password kept out of both.
#include "history/HistoryDatabase.h"

#include "util/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tessaprint {
namespace {

using history::HistoryDatabase;
using history::ParseHistoryDatabase;

TEST(HistoryDatabaseTest, EmptyIsTheProgramsOwnFileAndPathsAreFiles)
{
    const auto own = ParseHistoryDatabase("", "/data/Zelmor/Tessaprint");
    ASSERT_TRUE(own);
    EXPECT_EQ(own.value().engine, HistoryDatabase::Engine::Sqlite);
    EXPECT_EQ(own.value().path, "/data/Zelmor/Tessaprint/history.sqlite");
    EXPECT_TRUE(own.value().createFolder);

    const auto absolute = ParseHistoryDatabase("/srv/shared/../history/tests.db", "/data");
    ASSERT_TRUE(absolute);
    EXPECT_EQ(absolute.value().path, "/srv/history/tests.db");
    EXPECT_FALSE(absolute.value().createFolder); // a folder the user named must be there
    EXPECT_EQ(absolute.value().Describe(), "SQLite database /srv/history/tests.db");
    EXPECT_EQ(ParseHistoryDatabase("sub/h.sqlite", "/data").value().path, "/data/sub/h.sqlite");
    // A colon without "//" is a file name (C:\… on Windows), not an address.
    EXPECT_EQ(ParseHistoryDatabase("odd:name.db", "/data").value().path, "/data/odd:name.db");
}

TEST(HistoryDatabaseTest, PostgresAddressesWithTheirPartsAndDefaults)
{
    const auto full = ParseHistoryDatabase("postgresql://alice@db.example.org:6543/tessa", "/");
    ASSERT_TRUE(full) << full.error().message;
    EXPECT_EQ(full.value().engine, HistoryDatabase::Engine::Postgres);
    EXPECT_EQ(full.value().user, "alice");
    EXPECT_EQ(full.value().host, "db.example.org");
    EXPECT_EQ(full.value().port, 6543);
    EXPECT_EQ(full.value().databaseName, "tessa");
    EXPECT_EQ(full.value().Describe(), "PostgreSQL database tessa on db.example.org:6543 as alice");

    const auto plain = ParseHistoryDatabase("POSTGRES://db/history", "/");
    ASSERT_TRUE(plain) << plain.error().message;
    EXPECT_EQ(plain.value().port, 5432);
    EXPECT_EQ(plain.value().user, "");

    const auto socket = ParseHistoryDatabase("postgresql://bob@/tessa?host=/run/postgresql", "/");
    ASSERT_TRUE(socket) << socket.error().message;
    EXPECT_EQ(socket.value().host, "/run/postgresql");
    EXPECT_EQ(socket.value().Describe(), "PostgreSQL database tessa on /run/postgresql (port 5432) as bob");
    EXPECT_EQ(ParseHistoryDatabase("postgresql:///tessa?host=%2Ftmp%2Fpg%20sock", "/").value().host, "/tmp/pg sock");

    const auto v6 = ParseHistoryDatabase("postgresql://carol%40lab@[::1]:5433/t%C3%A9st", "/");
    ASSERT_TRUE(v6) << v6.error().message;
    EXPECT_EQ(v6.value().host, "::1");
    EXPECT_EQ(v6.value().port, 5433);
    EXPECT_EQ(v6.value().user, "carol@lab");
    EXPECT_EQ(v6.value().databaseName, "tést");

    // The server's name as written, and a '#' is part of the name it is in.
    const auto hash = ParseHistoryDatabase("postgresql://DB.Example/t#1", "/");
    ASSERT_TRUE(hash) << hash.error().message;
    EXPECT_EQ(hash.value().host, "DB.Example");
    EXPECT_EQ(hash.value().databaseName, "t#1");
}

TEST(HistoryDatabaseTest, UnusableValuesSayWhatIsWrong)
{
    const std::pair<const char*, const char*> cases[] = {
        {"postgresql://alice:secret@db/tessa", "password file"},
        {"postgresql://db/tessa?password=secret", "password file"},
        {"postgresql://db", "names no database"},
        {"postgresql://db/", "names no database"},
        {"postgresql:///tessa", "names no server"},
        {"postgresql://db:99999/tessa", "port \"99999\""},
        {"postgresql://db:/tessa", "port after"},
        {"postgresql://db:54x/tessa", "port \"54x\""},
        {"postgresql://[::1/tessa", "closing ']'"},
        {"postgresql://db/a/../b", "cannot hold '/'"},
        {"postgresql://db/%2e%2e%2Fetc", "cannot hold '/'"},
        {"postgresql://db/ab%zz", "names no database"},
        {"postgresql://db/ab%00c", "names no database"},
        {"postgresql://db/tessa?sslmode=disable", "\"sslmode\" is not taken"},
        {"postgresql://db/tessa?host=", "no usable value"},
        {"postgresql://alice:@db/tessa", "password file"},
        {"postgresql://@db/tessa", "user name"},
        {"postgresql://a%zz@db/tessa", "user name"},
        {"postgresql://db/tessa?host=/s%zz", "\"host=/s%zz\" has no usable value"},
        {"postgresql://db/tessa?host", "\"host\" has no usable value"},
        {"postgresql://db/tessa?host=/s&", "\"\" is not taken"},
        {"mysql://db/tessa", "not a database Tessaprint knows"},
        {"sqlite:///tmp/x.db", "not a database Tessaprint knows"},
        {"/tmp/", "is a folder"},
        {"line\nbreak.db", "control character"},
    };
    for (const auto& [value, says] : cases) {
        const auto parsed = ParseHistoryDatabase(value, "/data");
        ASSERT_FALSE(parsed) << value;
        EXPECT_NE(parsed.error().message.find(says), std::string::npos) << value << ": " << parsed.error().message;
        EXPECT_EQ(parsed.error().message.find("secret"), std::string::npos) << value;
    }
    QTemporaryDir folder;
    EXPECT_FALSE(ParseHistoryDatabase(folder.path().toStdString(), "/"));
}

TEST(HistoryDatabaseTest, ThePasswordComesFromItsFileNeverFromTheSettings)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("pgpass");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("first line secret\r\nsecond line\n");
    }
    MemorySettingsStore settings;
    settings.Write(settings::kHistoryDatabase, "postgresql://alice@db/tessa");
    settings.Write(settings::kHistoryPasswordFile, file.toStdString());
    const int writesBefore = settings.writes();
    const auto where = history::HistoryDatabaseFromSettings(settings);
    ASSERT_TRUE(where) << where.error().message;
    EXPECT_EQ(where.value().password, "first line secret");
    EXPECT_EQ(where.value().Describe().find("secret"), std::string::npos);
    EXPECT_EQ(settings.writes(), writesBefore);
    EXPECT_FALSE(settings.Contains("History", "Password"));

    // Without the file setting libpq looks for itself (PGPASSFILE, ~/.pgpass).
    MemorySettingsStore noFile;
    noFile.Write(settings::kHistoryDatabase, "postgresql://alice@db/tessa");
    EXPECT_EQ(history::HistoryDatabaseFromSettings(noFile).value().password, "");

    settings.Write(settings::kHistoryPasswordFile, folder.filePath("missing").toStdString());
    const auto missing = history::HistoryDatabaseFromSettings(settings);
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("cannot read the password file " + folder.filePath("missing").toStdString()),
              std::string::npos)
        << missing.error().message;
    settings.Write(settings::kHistoryPasswordFile, folder.path().toStdString());
    EXPECT_FALSE(history::HistoryDatabaseFromSettings(settings));

    // SQLite has no password: the file is not even read.
    settings.Write(settings::kHistoryDatabase, "");
    const auto sqlite = history::HistoryDatabaseFromSettings(settings);
    ASSERT_TRUE(sqlite);
    EXPECT_EQ(sqlite.value().path,
              QDir(QString::fromStdString(history::HistoryDataFolder())).filePath("history.sqlite").toStdString());
}

} // namespace
} // namespace tessaprint
