#pragma once

#include "history/EquipmentStore.h"
#include "history/HistoryDatabase.h"
#include "history/HistoryStore.h"
#include "util/Result.h"

#include <CLI/CLI.hpp>

#include <QCoreApplication>

#include <memory>
#include <string>

namespace tessaprint {

// Qt SQL loads its drivers as plugins, which takes an application object;
// the names make the default database the window's own.
class QtForHistory {
public:
    // Without argv: the program's name alone (Qt finds its plugins by the
    // executable's own path, not by argv). Qt keeps the count it is given, so
    // the object holds its own.
    explicit QtForHistory(int argc = 0, char** argv = nullptr);

private:
    int m_argc = 1;
    QCoreApplication m_app;
};

// The database --db names (a file or postgresql:// address; the password
// from the user's password file setting), else the one the settings name.
Result<history::HistoryDatabase> WhereIsHistory(const std::string& db);

// Opening an SQLite file that is not there makes it: only what records may
// do that. A read of a mistyped name says so instead of showing an empty
// history.
enum class HistoryAccess { Read, Write };
Result<std::unique_ptr<history::HistoryStore>> OpenHistory(const std::string& db, HistoryAccess access);
// Whether the database named is there to be read: for a command that reads
// it only when it exists (the verdict commands' stored equipment list).
Result<bool> HistoryExists(const std::string& db);

// An opened history and its equipment list, which lives as long as the store.
struct OpenedEquipment {
    std::unique_ptr<history::HistoryStore> store;
    history::EquipmentStore* equipment = nullptr;
};
Result<OpenedEquipment> OpenEquipment(const std::string& db, HistoryAccess access);

// --db FILE|URL.
CLI::Option* AddDbOption(CLI::App& command, std::string& db);

} // namespace tessaprint
