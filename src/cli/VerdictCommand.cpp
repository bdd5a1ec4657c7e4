#include "CliCommands.h"
#include "HistoryAccess.h"
#include "ProgramOptions.h"

#include "link/CaptureSettings.h"
#include "results/RecordsOnSelector.h"
#include "text/JsonWriter.h"
#include "verdict/VerdictSources.h"

#include <iostream>
#include <memory>
#include <optional>

namespace tessaprint {

namespace {

// Exit statuses of `verdict` besides 0, 1 and 2: what a script branches on.
constexpr int kSomeReadingFails = 10;
constexpr int kSomeRecordIncomplete = 11;

struct VerdictCommandOptions {
    InstrumentKind kind = InstrumentKind::Quellmax;
    InputFile input;
    std::string item = "all";
    VerdictOptions verdicts{true, {}, {}, {}, {}};
};

void WriteProfile(JsonWriter& json, const std::string& name, const std::string& version)
{
    json.BeginObject();
    json.Key("name");
    json.String(name);
    json.Key("version");
    json.String(version);
    json.EndObject();
}

int RunVerdict(const VerdictCommandOptions& options)
{
    int status = 0;
    const std::optional<std::shared_ptr<const verdict::VerdictEngine>> engine =
        MakeVerdictEngineFor(options.verdicts, status);
    if (!engine) {
        return status;
    }
    ResultsTable table;
    ResultsListing listing;
    listing.SetKeepLines(false);
    if (const Result<void> loaded = LoadResults(options.input, table, listing); !loaded) {
        std::cerr << "tessaprint-cli: " << loaded.error().message << "\n";
        return 1;
    }
    if (listing.SelectorCount() == 0) {
        std::cerr << "tessaprint-cli: " << options.input.path() << " holds no equipment ID\n";
        return 1;
    }
    std::vector<int> records;
    if (options.item == "all") {
        records = RecordsOnSelector(table, listing);
    } else {
        const auto k = ParseWholeNumber(options.item, 0, static_cast<std::uint64_t>(listing.SelectorCount() - 1));
        if (!k) {
            std::cerr << "tessaprint-cli: --item takes 'all' or a selector item from 0 to "
                      << listing.SelectorCount() - 1 << ", not '" << cmdline::ShortValue(options.item) << "'\n";
            return 2;
        }
        const int item = static_cast<int>(*k);
        const int record = table.RecordForSelectorItem(item, listing.SelectorItemText(item));
        if (record >= 0) {
            records.push_back(record);
        }
    }

    const verdict::Profile& profile = (*engine)->defaultProfile();
    bool failed = false;
    bool incomplete = false;
    JsonWriter json(std::cout);
    json.BeginObject();
    json.Key("profile");
    WriteProfile(json, profile.name, profile.version);
    json.Key("records");
    json.BeginArray();
    for (const int record : records) {
        std::vector<verdict::ReadingRow> rows;
        for (int n = 0; n < table.ValueCount(record); ++n) {
            SplitReadingResult split = ResultsTable::SplitReading(table.Value(record, n));
            rows.push_back({std::to_string(n + 1), std::move(split.testName), std::move(split.reading)});
        }
        const std::string id(TrimBlanks(table.EquipmentId(record)));
        const verdict::RecordVerdict judged = (*engine)->JudgeRecord(options.kind, id, rows);
        failed = failed || judged.outcome == verdict::RecordOutcome::Fail;
        incomplete = incomplete || judged.outcome != verdict::RecordOutcome::Pass;
        json.BeginObject();
        json.Key("equipmentId");
        json.String(id);
        json.Key("verdict");
        json.String(verdict::RecordOutcomeWord(judged.outcome));
        // The device's own profile, which the equipment list may name.
        json.Key("profile");
        WriteProfile(json, judged.profileName, judged.profileVersion);
        json.Key("readings");
        json.BeginArray();
        for (std::size_t i = 0; i < rows.size() && i < judged.readings.size(); ++i) {
            const verdict::ReadingVerdict& reading = judged.readings[i];
            json.BeginObject();
            json.Key("item");
            json.String(rows[i].item);
            json.Key("test");
            json.String(rows[i].test);
            json.Key("reading");
            json.String(rows[i].reading);
            json.Key("verdict");
            json.String(verdict::OutcomeWord(reading.outcome));
            json.Key("limit");
            json.String(reading.limit);
            json.Key("rule");
            json.String(reading.ruleId);
            // Why a reading was not judged or not read, and the nearest
            // standard step for an energy without a setting: only when there is one.
            if (!reading.why.empty()) {
                json.Key("why");
                json.String(reading.why);
            }
            if (!reading.hint.empty()) {
                json.Key("hint");
                json.String(reading.hint);
            }
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Flush();
    std::cout << "\n";
    std::cout.flush();
    if (!std::cout) {
        return 1;
    }
    return failed ? kSomeReadingFails : incomplete ? kSomeRecordIncomplete : 0;
}

} // namespace

void AddLimitsCommand(CLI::App& app, int& status)
{
    auto profile = std::make_shared<std::string>(verdict::kDefaultProfile);
    CLI::App* limits = app.add_subcommand("limits", "The limits profiles that ship with the program");
    limits->require_subcommand(1);
    CLI::App* show =
        limits->add_subcommand("show", "Print a shipped limits profile as it is: a file to start a department's from");
    show->add_option("--profile", *profile, "the profile (default: iec62353)")->type_name("NAME");
    show->callback([profile, &status] {
        const Result<std::string> text = verdict::ShippedProfileText(*profile);
        if (!text) {
            std::cerr << "tessaprint-cli: --profile: " << text.error().message << "\n";
            status = 2;
            return;
        }
        std::cout << text.value();
        std::cout.flush();
        status = std::cout ? 0 : 1;
    });
}

void AddVerdictCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<VerdictCommandOptions>();
    CLI::App* command = app.add_subcommand(
        "verdict", "Judge every reading of a transcript or a saved capture against a standard's limits, as JSON; "
                   "exit 0 when every record passes, 10 when a reading fails, 11 when a record is incomplete");
    AddKindOption(*command, options->kind)->required();
    AddInputOptions(*command, options->input);
    command->add_option("--item", options->item, "the selector item from 0, or 'all' (the default)")
        ->check(CLI::Validator(
            [](const std::string& value) {
                return value == "all" || (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos)
                           ? std::string()
                           : "--item takes 'all' or a selector item from 0, not '" + cmdline::ShortValue(value) + "'";
            },
            ""))
        ->type_name("K|all");
    CLI::Option* inventory = command
                                 ->add_option("--inventory", options->verdicts.inventory,
                                              "the equipment list (CSV; default: the list the test history keeps)")
                                 ->type_name("FILE");
    AddDbOption(*command, options->verdicts.db)->excludes(inventory);
    command->add_option("--limits", options->verdicts.limits, "a department's limits file (JSON)")->type_name("FILE");
    command->add_option("--profile", options->verdicts.profile, "the profile for devices the list gives none")
        ->type_name("NAME");
    command->callback([options, &status] { status = RunVerdict(*options); });
}

} // namespace tessaprint
