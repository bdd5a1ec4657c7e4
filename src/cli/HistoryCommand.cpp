#include "CliCommands.h"
#include "HistoryAccess.h"
#include "ProgramOptions.h"

#include "history/HistoryJson.h"
#include "history/SavedCapture.h"
#include "results/CaptureArchive.h"
#include "results/RecordsOnSelector.h"
#include "results/ResultsCsv.h"
#include "text/IsoLocalTime.h"
#include "text/Trim.h"
#include "util/FileIo.h"
#include "util/Utf8Path.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>

namespace tessaprint {

namespace {

struct HistoryOptions {
    std::string db;
    // import
    std::vector<std::string> transcripts;
    std::vector<std::string> captures;
    std::vector<std::string> archives;
    InstrumentKind kindValue = InstrumentKind::Quellmax;
    std::optional<InstrumentKind> kind;
    // show, ids
    std::string equipmentId;
    std::string prefix;
    int limit = INT_MAX;
    int recent = 0; // ids --recent N: the N tested last, newest first
};

// Each line goes out at once: a log that is cut off (the program killed, the
// machine down) still names every capture that was committed.
void Say(const std::string& line)
{
    std::cout << line << std::endl;
}

// The kind an archive file's name starts with ("Kappa 5100-2026-12-08-142501.txt").
std::optional<InstrumentKind> KindFromArchiveName(const std::string& name)
{
    for (const InstrumentKind kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        const std::string prefix = UnitTypeText(kind) + "-";
        if (name.compare(0, prefix.size(), prefix) == 0) {
            return kind;
        }
    }
    return std::nullopt;
}

struct ImportFile {
    std::string path;
    bool transcript = false;
    std::optional<InstrumentKind> kind;
};

// Records the files one by one, each on its own: a file that fails (even for
// want of memory) is said so and the next one is still taken.
class Importer {
public:
    Importer(const HistoryOptions& options, std::unique_ptr<history::HistoryStore> store)
        : m_options(options), m_store(std::move(store))
    {
    }

    // False when the file failed; the line printed says what happened.
    bool Import(const ImportFile& file)
    {
        bool recording = false;
        try {
            return ImportOne(file, recording);
        } catch (const std::bad_alloc&) {
            // What the file took is given back as the exception unwinds. A
            // store cut off inside its transaction is dropped, which rolls the
            // transaction back, and opened afresh for the next file.
            if (recording) {
                m_store.reset();
            }
            std::cout << "failed: " << file.path << ": out of memory" << std::endl;
            return false;
        }
    }

private:
    bool ImportOne(const ImportFile& file, bool& recording)
    {
        // A first reading counts what the store decides by; the records come
        // from a second one, one at a time, into the store's transaction.
        Result<history::SavedCapture> read = history::SavedCapture::Read(file.path, file.transcript);
        if (!read) {
            Say("failed: " + file.path + ": " + read.error().message);
            return false;
        }
        history::HistoryCaptureHeader& capture = read.value().header();
        // The window records no capture without an equipment ID: nothing in it
        // could ever be looked up. Not a failure of the import.
        if (capture.recordCount == 0) {
            Say("skipped: " + file.path + " (no equipment ID)");
            return true;
        }
        // The same file gets the same time as in the window's archive import.
        if (const auto capturedAt = ArchivedCaptureTime(file.path)) {
            capture.capturedAt = *capturedAt;
        }
        capture.kind = file.kind ? UnitTypeText(*file.kind) : std::string();
        if (!m_store) {
            Result<std::unique_ptr<history::HistoryStore>> opened = OpenHistory(m_options.db, HistoryAccess::Write);
            if (!opened) {
                Say("failed: " + file.path + ": " + opened.error().message);
                return false;
            }
            m_store = std::move(opened).value();
        }
        recording = true;
        const Result<history::RecordOutcome> outcome = m_store->RecordInParts(capture, read.value().Records());
        recording = false;
        if (!outcome) {
            Say("failed: " + file.path + ": " + outcome.error().message);
            return false;
        }
        if (outcome.value() == history::RecordOutcome::Added) {
            Say("added: " + file.path + " (" + std::to_string(capture.recordCount) + " records)");
        } else {
            Say("already there: " + file.path);
        }
        return true;
    }

    const HistoryOptions& m_options;
    std::unique_ptr<history::HistoryStore> m_store;
};

int RunImport(const HistoryOptions& options)
{
    if (!options.kind && (!options.transcripts.empty() || !options.captures.empty())) {
        std::cerr << "tessaprint-cli: --transcript and --capture need --kind (quellmax, kappa or pactrx)\n";
        return 2;
    }
    if (options.transcripts.empty() && options.captures.empty() && options.archives.empty()) {
        std::cerr << "tessaprint-cli: give at least one --transcript, --capture or --archive\n";
        return 2;
    }
    std::vector<ImportFile> files;
    for (const std::string& path : options.transcripts) {
        files.push_back({path, true, options.kind});
    }
    for (const std::string& path : options.captures) {
        files.push_back({path, false, options.kind});
    }
    bool failed = false;
    for (const std::string& folder : options.archives) {
        std::error_code ec;
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder), ec)) {
            const std::string name = PathToUtf8(entry.path().filename());
            std::error_code typeEc;
            if (entry.is_regular_file(typeEc) && name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
                names.push_back(name);
            }
        }
        if (ec) {
            Say("failed: " + folder + ": cannot read the folder: " + ec.message());
            failed = true;
            continue;
        }
        // Archive names carry the time: in name order is in capture order.
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            const auto kind = KindFromArchiveName(name);
            files.push_back({PathToUtf8(PathFromUtf8(folder) / PathFromUtf8(name)), false, kind ? kind : options.kind});
        }
    }
    Result<std::unique_ptr<history::HistoryStore>> store = OpenHistory(options.db, HistoryAccess::Write);
    if (!store) {
        std::cerr << "tessaprint-cli: " << store.error().message << "\n";
        return 1;
    }
    Importer importer(options, std::move(store).value());
    for (const ImportFile& file : files) {
        failed = !importer.Import(file) || failed;
    }
    // A log that could not be written is no record of what was done.
    return failed || !std::cout ? 1 : 0;
}

int RunShow(const HistoryOptions& options)
{
    Result<std::unique_ptr<history::HistoryStore>> store = OpenHistory(options.db, HistoryAccess::Read);
    if (!store) {
        std::cerr << "tessaprint-cli: " << store.error().message << "\n";
        return 1;
    }
    const Result<std::vector<history::HistoryRecord>> records = store.value()->Lookup(options.equipmentId);
    if (!records) {
        std::cerr << "tessaprint-cli: " << records.error().message << "\n";
        return 1;
    }
    history::WriteHistoryJson(std::cout, std::string(TrimBlanks(options.equipmentId)), records.value());
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int RunIds(const HistoryOptions& options)
{
    Result<std::unique_ptr<history::HistoryStore>> store = OpenHistory(options.db, HistoryAccess::Read);
    if (!store) {
        std::cerr << "tessaprint-cli: " << store.error().message << "\n";
        return 1;
    }
    const Result<std::vector<std::string>> ids = options.recent > 0 ? store.value()->RecentIds(options.recent)
                                                                    : store.value()->Ids(options.prefix, options.limit);
    if (!ids) {
        std::cerr << "tessaprint-cli: " << ids.error().message << "\n";
        return 1;
    }
    for (const std::string& id : ids.value()) {
        std::cout << id << "\n";
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace

void AddHistoryCommand(CLI::App& app, int& status, int argc, char** argv)
{
    auto options = std::make_shared<HistoryOptions>();
    CLI::App* history = app.add_subcommand("history", "Record captures in the test history and read it back");
    history->require_subcommand(1);

    CLI::App* importCommand =
        history->add_subcommand("import", "Record transcripts, capture files or a capture archive");
    CLI::Option* kind = AddKindOption(*importCommand, options->kindValue);
    importCommand->add_option("--transcript", options->transcripts, "raw bytes as the instrument sent them")
        ->type_name("FILE");
    importCommand->add_option("--capture", options->captures, "a saved line list")->type_name("FILE");
    importCommand
        ->add_option("--archive", options->archives,
                     "every *.txt capture in the folder (the window's captures/; the kind from the file name)")
        ->type_name("DIR");
    AddDbOption(*importCommand, options->db);
    importCommand->callback([options, kind, &status, argc, argv] {
        if (kind->count() > 0) {
            options->kind = options->kindValue;
        }
        QtForHistory qt(argc, argv);
        status = RunImport(*options);
    });

    CLI::App* show = history->add_subcommand("show", "Print every record of an equipment ID as JSON, oldest first");
    show->add_option("ID", options->equipmentId, "the equipment ID")->required();
    AddDbOption(*show, options->db);
    show->callback([options, &status, argc, argv] {
        QtForHistory qt(argc, argv);
        status = RunShow(*options);
    });

    CLI::App* ids = history->add_subcommand("ids", "List the equipment IDs in the history, one per line");
    CLI::Option* prefix =
        ids->add_option("--prefix", options->prefix, "only IDs that begin with this (upper or lower case alike)");
    CLI::Option* limit = ids->add_option("--limit", options->limit, "at most this many")
                             ->transform(cmdline::WholeNumber(1, INT_MAX))
                             ->type_name("N");
    ids->add_option("--recent", options->recent,
                    "instead: the N IDs tested last, newest first (by their latest capture time)")
        ->transform(cmdline::WholeNumber(1, INT_MAX))
        ->type_name("N")
        ->excludes(prefix)
        ->excludes(limit);
    AddDbOption(*ids, options->db);
    ids->callback([options, &status, argc, argv] {
        QtForHistory qt(argc, argv);
        status = RunIds(*options);
    });
}

} // namespace tessaprint
