#include "HistoryAccess.h"

#include "app/QtSettingsStore.h"
#include "util/Utf8Path.h"

#include <QDir>

#include <filesystem>

namespace tessaprint {

namespace {

char g_programName[] = "tessaprint-cli";
char* g_programArgv[] = {g_programName, nullptr};

} // namespace

QtForHistory::QtForHistory(int argc, char** argv) : m_app(m_argc, argv != nullptr ? argv : g_programArgv)
{
    (void)argc;
    QCoreApplication::setOrganizationName(QStringLiteral("Zelmor"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessaprint"));
}

Result<history::HistoryDatabase> WhereIsHistory(const std::string& db)
{
    const QtSettingsStore settings;
    if (db.empty()) {
        return history::HistoryDatabaseFromSettings(settings);
    }
    Result<history::HistoryDatabase> where = history::ParseHistoryDatabase(db, QDir::currentPath().toStdString());
    if (!where) {
        return where.error();
    }
    // The password file is the user's setting, also for a database named here.
    const std::string passwordFile = settings.Read(settings::kHistoryPasswordFile);
    if (where.value().engine == history::HistoryDatabase::Engine::Postgres && !passwordFile.empty()) {
        Result<std::string> password = history::ReadPasswordFile(passwordFile);
        if (!password) {
            return password.error();
        }
        where.value().password = password.value();
    }
    return where;
}

namespace {

bool IsMissingFile(const history::HistoryDatabase& where)
{
    if (where.engine != history::HistoryDatabase::Engine::Sqlite) {
        return false;
    }
    std::error_code ec;
    return std::filesystem::status(PathFromUtf8(where.path), ec).type() == std::filesystem::file_type::not_found;
}

} // namespace

Result<std::unique_ptr<history::HistoryStore>> OpenHistory(const std::string& db, HistoryAccess access)
{
    const Result<history::HistoryDatabase> where = WhereIsHistory(db);
    if (!where) {
        return where.error();
    }
    if (access == HistoryAccess::Read && IsMissingFile(where.value())) {
        return Error{kErrorPathNotFound, "no history at " + where.value().path + " (the file does not exist)"};
    }
    return history::OpenHistoryStore(where.value());
}

Result<bool> HistoryExists(const std::string& db)
{
    const Result<history::HistoryDatabase> where = WhereIsHistory(db);
    if (!where) {
        return where.error();
    }
    return !IsMissingFile(where.value());
}

Result<OpenedEquipment> OpenEquipment(const std::string& db, HistoryAccess access)
{
    Result<std::unique_ptr<history::HistoryStore>> store = OpenHistory(db, access);
    if (!store) {
        return store.error();
    }
    const Result<history::EquipmentStore*> equipment = history::EquipmentListOf(*store.value());
    if (!equipment) {
        return equipment.error();
    }
    return OpenedEquipment{std::move(store).value(), equipment.value()};
}

CLI::Option* AddDbOption(CLI::App& command, std::string& db)
{
    return command
        .add_option("--db", db,
                    "an SQLite file or postgresql://user@host:port/database (default: the setting "
                    "History/Database, else the program's own history.sqlite)")
        ->type_name("FILE|URL");
}

} // namespace tessaprint
