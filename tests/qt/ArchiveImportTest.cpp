// One archive file taken into the history by the window's first start and by
// tessaprint-cli: the same capture time either way.
#include "history/HistoryDatabase.h"
#include "history/QtHistoryRecorder.h"
#include "util/FileIo.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <filesystem>

namespace tessaprint {
namespace {

constexpr int kWaitMs = 60'000;

std::unique_ptr<history::HistoryStore> SqliteStore(const std::string& path)
{
    Result<history::HistoryDatabase> where = history::ParseHistoryDatabase(path, "");
    if (!where) {
        return nullptr;
    }
    Result<std::unique_ptr<history::HistoryStore>> opened = history::OpenHistoryStore(where.value());
    return opened ? std::move(opened).value() : nullptr;
}

// The capture time the window's first-start import records.
std::string TimeTheWindowRecords(const std::string& folder, const std::string& db, const std::string& id)
{
    ManualClock clock;
    QtHistoryRecorder recorder([db] { return SqliteStore(db); }, clock, QString());
    bool imported = false;
    recorder.ImportArchive(folder, [&](const QtHistoryRecorder::ImportCounts& counts) {
        EXPECT_EQ(counts.added, 1) << counts.firstError;
        imported = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return imported; }, kWaitMs));
    std::optional<std::string> capturedAt;
    recorder.Lookup(id, [&](Result<std::vector<history::HistoryRecord>> records) {
        capturedAt = records && records.value().size() == 1 ? records.value()[0].capturedAt : std::string("?");
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return capturedAt.has_value(); }, kWaitMs));
    return capturedAt.value_or("");
}

// The capture time `tessaprint-cli history import --archive` records.
std::string TimeTheCommandLineRecords(const std::string& folder, const std::string& db, const std::string& id)
{
    QProcess cli;
    cli.start(QStringLiteral(TESSAPRINT_CLI_PATH),
              {"history", "import", "--db", QString::fromStdString(db), "--archive", QString::fromStdString(folder)});
    EXPECT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardOutput().toStdString()
                                 << cli.readAllStandardError().toStdString();
    cli.start(QStringLiteral(TESSAPRINT_CLI_PATH),
              {"history", "show", QString::fromStdString(id), "--db", QString::fromStdString(db)});
    EXPECT_TRUE(cli.waitForFinished(kWaitMs));
    const QJsonArray records = QJsonDocument::fromJson(cli.readAllStandardOutput()).object()["records"].toArray();
    return records.size() == 1 ? records[0].toObject()["capturedAt"].toString().toStdString() : std::string("?");
}

TEST(ArchiveImportTest, TheWindowAndTheCommandLineGiveAnArchivedCaptureOneTime)
{
    QTemporaryDir work;
    const std::string folder = work.path().toStdString() + "/captures";
    std::filesystem::create_directories(folder);
    const std::string file = folder + "/Kappa 5100-2014-05-01-080000-2.txt";
    ASSERT_TRUE(WriteWholeFile(file, "EquipmentID: DEF-1\r\nDate: 05/01/2014\r\n1.Energy 200 J\r\n"));
    // Copied to this computer long after the capture: the file's time is another day.
    std::filesystem::last_write_time(file,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 400));

    const std::string byWindow = TimeTheWindowRecords(folder, work.path().toStdString() + "/window.sqlite", "DEF-1");
    const std::string byCli = TimeTheCommandLineRecords(folder, work.path().toStdString() + "/cli.sqlite", "DEF-1");
    EXPECT_EQ(byWindow, "2014-05-01T08:00:00");
    EXPECT_EQ(byCli, byWindow);
}

} // namespace
} // namespace tessaprint
