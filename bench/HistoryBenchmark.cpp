// The test history's figures: recording the 50-record capture, looking up
// one equipment ID (and a prefix, and the IDs tested last) among 100,000
// records, and the due list's data for 20,000 devices, in SQLite and, when
// scripts/with-postgres.sh runs this, in PostgreSQL.
#include "history/DueList.h"
#include "history/HistoryDatabase.h"
#include "history/LinesHash.h"
#include "history/SqlHistoryStore.h"
#include "link/Replay.h"
#include "util/FileIo.h"
#include "verdict/EquipmentList.h"
#include "verdict/VerdictEngine.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <vector>

namespace tessaprint {
namespace {

using history::HistoryCapture;
using history::SqlHistoryStore;

enum Engine { kSqlite = 0, kPostgres = 1 };

HistoryCapture FiftyRecordCapture()
{
    static const HistoryCapture capture = [] {
        const Result<std::string> printout =
            ReadWholeFile(std::string(TESSAPRINT_TEST_DATA_DIR) + "/quellmax-50-records.txt");
        ResultsTable table;
        ResultsListing listing;
        ReplayTranscript(printout.ok() ? printout.value() : std::string(), table, listing);
        HistoryCapture made = history::MakeHistoryCapture(table, listing);
        made.linesHash = history::LinesHash(listing.lines());
        made.capturedAt = "2026-12-08T14:05:09";
        made.kind = "Quellmax";
        made.archiveName = "Quellmax-2026-12-08-140509.txt";
        return made;
    }();
    return capture;
}

// A fresh database of the engine, kept for the whole run.
class BenchDatabase {
public:
    explicit BenchDatabase(Engine engine)
    {
        if (engine == kSqlite) {
            m_where.path = m_folder.filePath("history.sqlite").toStdString();
            return;
        }
        const char* url = std::getenv("TESSAPRINT_TEST_POSTGRES_URL");
        if (url == nullptr) {
            return;
        }
        m_maintenance = history::ParseHistoryDatabase(url, "/").value();
        m_where = m_maintenance;
        m_where.databaseName = "tessaprint_bench_" + std::to_string(QCoreApplication::applicationPid());
        Exec("CREATE DATABASE " + m_where.databaseName);
        m_dropLater = true;
    }
    ~BenchDatabase()
    {
        if (m_dropLater) {
            Exec("DROP DATABASE IF EXISTS " + m_where.databaseName + " WITH (FORCE)");
        }
    }
    bool usable() const { return !m_where.path.empty() || m_dropLater; }
    const history::HistoryDatabase& where() const { return m_where; }

private:
    void Exec(const std::string& sql)
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "bench-maintenance");
            db.setHostName(QString::fromStdString(m_maintenance.host));
            db.setPort(m_maintenance.port);
            db.setUserName(QString::fromStdString(m_maintenance.user));
            db.setDatabaseName(QString::fromStdString(m_maintenance.databaseName));
            if (db.open()) {
                QSqlQuery(db).exec(QString::fromStdString(sql));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase("bench-maintenance");
    }

    QTemporaryDir m_folder;
    history::HistoryDatabase m_where;
    history::HistoryDatabase m_maintenance;
    bool m_dropLater = false;
};

std::unique_ptr<SqlHistoryStore> OpenOrSkip(const BenchDatabase& database, benchmark::State& state)
{
    if (!database.usable()) {
        state.SkipWithError("TESSAPRINT_TEST_POSTGRES_URL is not set (run under scripts/with-postgres.sh)");
        return nullptr;
    }
    auto store = SqlHistoryStore::Open(database.where());
    if (!store) {
        state.SkipWithError(store.error().message.c_str());
        return nullptr;
    }
    return std::move(store).value();
}

void BM_RecordFiftyRecordCapture(benchmark::State& state)
{
    BenchDatabase database(static_cast<Engine>(state.range(0)));
    auto store = OpenOrSkip(database, state);
    if (!store) {
        return;
    }
    HistoryCapture capture = FiftyRecordCapture();
    const std::string hash = capture.linesHash;
    int n = 0;
    for (auto _ : state) {
        // A new capture each time: Added, never AlreadyThere.
        capture.linesHash = hash + std::to_string(n++);
        const auto outcome = store->Record(capture);
        if (!outcome || outcome.value() != history::RecordOutcome::Added) {
            state.SkipWithError("the capture was not added");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(capture.records.size()));
}
BENCHMARK(BM_RecordFiftyRecordCapture)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMillisecond);

// The filled histories, kept from the first benchmark that needs one until
// main closes them: their connections must go while Qt SQL's connection list
// and the application still exist, not among the statics at exit.
std::map<Engine, std::pair<std::unique_ptr<BenchDatabase>, std::unique_ptr<SqlHistoryStore>>>& FilledHistories()
{
    static std::map<Engine, std::pair<std::unique_ptr<BenchDatabase>, std::unique_ptr<SqlHistoryStore>>> filled;
    return filled;
}

// Each store goes before its database (the pair's later member first): a
// PostgreSQL database is dropped once nothing is connected to it.
void CloseFilledHistories()
{
    FilledHistories().clear();
}

// 2,000 captures of the 50-record printout with their IDs renamed: 20,000
// IDs of 5 visits each, 100,000 records, 1.1 million readings. Filled once.
SqlHistoryStore* FilledStore(Engine engine, benchmark::State& state)
{
    auto& [database, store] = FilledHistories()[engine];
    if (store) {
        return store.get();
    }
    database = std::make_unique<BenchDatabase>(engine);
    store = OpenOrSkip(*database, state);
    if (!store) {
        return nullptr;
    }
    const auto started = std::chrono::steady_clock::now();
    const HistoryCapture original = FiftyRecordCapture();
    for (int c = 0; c < 2000; ++c) {
        HistoryCapture capture = original;
        capture.linesHash = original.linesHash + "-" + std::to_string(c);
        for (auto& record : capture.records) {
            record.equipmentId = "C" + std::to_string(c % 400) + "-" + record.equipmentId;
        }
        if (!store->Record(capture)) {
            state.SkipWithError("filling the history failed");
            store.reset();
            return nullptr;
        }
    }
    std::cerr << (engine == kSqlite ? "SQLite" : "PostgreSQL") << ": 100,000 records filled in "
              << std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count()
              << " s\n";
    return store.get();
}

void BM_LookupOneIdAmong100000Records(benchmark::State& state)
{
    SqlHistoryStore* store = FilledStore(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    const std::string id = "C123-" + FiftyRecordCapture().records[17].equipmentId;
    for (auto _ : state) {
        const auto found = store->Lookup(id);
        if (!found || found.value().size() != 5) {
            state.SkipWithError("the ID's five visits were not found");
            break;
        }
        benchmark::DoNotOptimize(found.value().data());
    }
}
BENCHMARK(BM_LookupOneIdAmong100000Records)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMicrosecond);

void BM_IdsByPrefixAmong100000Records(benchmark::State& state)
{
    SqlHistoryStore* store = FilledStore(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    for (auto _ : state) {
        // "c12" without case: C12-…, C120-… to C129-…: 550 IDs, the first 50.
        const auto ids = store->Ids("c12", 50);
        if (!ids || ids.value().size() != 50) {
            state.SkipWithError("the prefix did not find 50 IDs");
            break;
        }
    }
}
BENCHMARK(BM_IdsByPrefixAmong100000Records)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMicrosecond);

void BM_RecentIdsAmong100000Records(benchmark::State& state)
{
    SqlHistoryStore* store = FilledStore(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    // The History window's Recent list (30 IDs, from the latest capture), and
    // every one of the 20,000 IDs (a walk through all 2,000 captures).
    const int limit = static_cast<int>(state.range(1));
    const std::size_t expected = std::min<std::size_t>(static_cast<std::size_t>(limit), 20000);
    for (auto _ : state) {
        const auto ids = store->RecentIds(limit);
        if (!ids || ids.value().size() != expected) {
            state.SkipWithError("the recent IDs were not all found");
            break;
        }
    }
}
BENCHMARK(BM_RecentIdsAmong100000Records)
    ->ArgsProduct({{kSqlite, kPostgres}, {30, 100000}})
    ->ArgNames({"postgres", "limit"})
    ->Unit(benchmark::kMicrosecond);

// The equipment list of the filled history's 20,000 IDs, each once.
std::vector<verdict::Device> TwentyThousandDevices()
{
    std::vector<verdict::Device> devices;
    const HistoryCapture original = FiftyRecordCapture();
    for (int c = 0; c < 400; ++c) {
        for (const auto& record : original.records) {
            verdict::Device device;
            device.equipmentId = "C" + std::to_string(c) + "-" + record.equipmentId;
            device.description = "Infusion pump";
            device.location = "Ward " + std::to_string(c % 12);
            device.appliedParts = {verdict::AppliedPart::BF};
            device.intervalMonths = c % 2 == 0 ? 12 : 6;
            devices.push_back(std::move(device));
        }
    }
    return devices;
}

// The filled history with its equipment list imported (once).
SqlHistoryStore* StoreWithEquipment(Engine engine, benchmark::State& state)
{
    static std::map<Engine, bool> imported;
    SqlHistoryStore* store = FilledStore(engine, state);
    if (store == nullptr || imported[engine]) {
        return store;
    }
    const auto started = std::chrono::steady_clock::now();
    const auto counts = store->ImportEquipment(TwentyThousandDevices());
    if (!counts || counts.value().added != 20000) {
        state.SkipWithError("the equipment list was not imported");
        return nullptr;
    }
    std::cerr
        << (engine == kSqlite ? "SQLite" : "PostgreSQL") << ": 20,000 devices imported in "
        << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
        << " ms\n";
    imported[engine] = true;
    return store;
}

// What the due list is made of: every device and every ID's latest test.
void BM_DueListDataFor20000DevicesAnd100000Records(benchmark::State& state)
{
    SqlHistoryStore* store = StoreWithEquipment(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    for (auto _ : state) {
        const auto devices = store->Equipment();
        const auto tests = store->LatestTests();
        if (!devices || devices.value().size() != 20000 || !tests || tests.value().size() != 20000 ||
            !tests.value().front().testDay || tests.value().front().packedReadings.empty()) {
            state.SkipWithError("the devices or their latest tests were not all read");
            break;
        }
        benchmark::DoNotOptimize(tests.value().data());
    }
}
BENCHMARK(BM_DueListDataFor20000DevicesAnd100000Records)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMillisecond);

// The whole due list: the data, every latest test judged by the shipped
// profile with its device's class and applied parts, the schedule sorted.
void BM_DueListFor20000DevicesAnd100000Records(benchmark::State& state)
{
    SqlHistoryStore* store = StoreWithEquipment(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    for (auto _ : state) {
        const auto devices = store->Equipment();
        const auto tests = store->LatestTests();
        if (!devices || !tests) {
            state.SkipWithError("the devices or their latest tests were not read");
            break;
        }
        const verdict::VerdictEngine engine(verdict::LimitsLibrary::Shipped(), verdict::EquipmentList(devices.value()));
        const auto entries = history::MakeDueList(devices.value(), tests.value(), &engine, "2027-06-01", 30);
        if (entries.size() != 20000) {
            state.SkipWithError("the due list does not have every device");
            break;
        }
        benchmark::DoNotOptimize(entries.data());
    }
}
BENCHMARK(BM_DueListFor20000DevicesAnd100000Records)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMillisecond);

// The same list imported again: every device read and found unchanged.
void BM_ImportTheSame20000DevicesAgain(benchmark::State& state)
{
    SqlHistoryStore* store = StoreWithEquipment(static_cast<Engine>(state.range(0)), state);
    if (store == nullptr) {
        return;
    }
    const std::vector<verdict::Device> devices = TwentyThousandDevices();
    for (auto _ : state) {
        const auto counts = store->ImportEquipment(devices);
        if (!counts || counts.value().unchanged != 20000) {
            state.SkipWithError("the same list changed something");
            break;
        }
    }
}
BENCHMARK(BM_ImportTheSame20000DevicesAgain)
    ->Arg(kSqlite)
    ->Arg(kPostgres)
    ->ArgName("postgres")
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessaprint

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    tessaprint::CloseFilledHistories();
    benchmark::Shutdown();
    return 0;
}
