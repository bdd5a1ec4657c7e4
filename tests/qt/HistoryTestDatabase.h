#pragma once

// Databases for the history's tests: a fresh SQLite file, or a fresh database
// on the PostgreSQL server named by TESSAPRINT_TEST_POSTGRES_URL (which
// scripts/with-postgres.sh starts); plain connections to look at the tables.

#include "history/HistoryDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <atomic>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace tessaprint::test {

inline std::string PostgresUrl()
{
    const char* url = std::getenv("TESSAPRINT_TEST_POSTGRES_URL");
    return url ? url : "";
}

// A connection of the test's own, beside the store's.
class RawConnection {
public:
    explicit RawConnection(const history::HistoryDatabase& where)
        : m_name(QStringLiteral("test-raw-%1").arg(Counter().fetch_add(1)))
    {
        const bool postgres = where.engine == history::HistoryDatabase::Engine::Postgres;
        QSqlDatabase db = QSqlDatabase::addDatabase(postgres ? "QPSQL" : "QSQLITE", m_name);
        if (postgres) {
            db.setHostName(QString::fromStdString(where.host));
            db.setPort(where.port);
            db.setUserName(QString::fromStdString(where.user));
            db.setDatabaseName(QString::fromStdString(where.databaseName));
        } else {
            db.setDatabaseName(QString::fromStdString(where.path));
        }
        m_open = db.open();
        m_error = db.lastError().text().toStdString();
    }
    ~RawConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool open() const { return m_open; }
    const std::string& error() const { return m_error; }

    // Runs sql; false with error() set when it fails.
    bool Exec(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        const bool ok = query.exec(sql);
        m_error = query.lastError().text().toStdString();
        return ok;
    }
    // The first column of the first row, as a number; -1 when the query fails.
    long long Number(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql) || !query.next()) {
            m_error = query.lastError().text().toStdString();
            return -1;
        }
        return query.value(0).toLongLong();
    }

private:
    static std::atomic<int>& Counter()
    {
        static std::atomic<int> counter{0};
        return counter;
    }
    QString m_name;
    bool m_open = false;
    std::string m_error;
};

// A database nobody used before, removed afterwards.
class FreshDatabase {
public:
    // SQLite, or PostgreSQL when postgres (only when PostgresUrl() is set).
    explicit FreshDatabase(bool postgres)
    {
        if (!postgres) {
            m_where.path = m_folder.filePath(QStringLiteral("history.sqlite")).toStdString();
            return;
        }
        auto server = history::ParseHistoryDatabase(PostgresUrl(), "/");
        m_maintenance = server.value();
        m_where = server.value();
        static std::atomic<int> counter{0};
        m_where.databaseName = "tessaprint_t" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
        RawConnection maintenance(m_maintenance);
        if (!maintenance.Exec(QString::fromStdString("CREATE DATABASE " + m_where.databaseName))) {
            m_error = maintenance.error();
        }
    }
    ~FreshDatabase()
    {
        if (m_where.engine == history::HistoryDatabase::Engine::Postgres) {
            RawConnection maintenance(m_maintenance);
            maintenance.Exec(
                QString::fromStdString("DROP DATABASE IF EXISTS " + m_where.databaseName + " WITH (FORCE)"));
        }
    }
    FreshDatabase(const FreshDatabase&) = delete;
    FreshDatabase& operator=(const FreshDatabase&) = delete;

    const history::HistoryDatabase& where() const { return m_where; }
    const std::string& error() const { return m_error; }
    bool IsPostgres() const { return m_where.engine == history::HistoryDatabase::Engine::Postgres; }

private:
    QTemporaryDir m_folder;
    history::HistoryDatabase m_where;
    history::HistoryDatabase m_maintenance;
    std::string m_error;
};

} // namespace tessaprint::test
