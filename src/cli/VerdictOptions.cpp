#include "CliCommands.h"

#include "HistoryAccess.h"
#include "ProgramOptions.h"
#include "verdict/VerdictSources.h"

#include <iostream>

namespace tessaprint {

namespace {

// The list the history keeps: none when the default history is not there
// yet. A database named with --db that is not there, or one that cannot be
// read, is an error: verdicts without the list would judge every device as
// one the department never described.
Result<std::optional<std::vector<verdict::Device>>> StoredEquipment(const std::string& db)
{
    // Qt SQL and the settings need an application object; a command that
    // has one already keeps it.
    std::optional<QtForHistory> qt;
    if (QCoreApplication::instance() == nullptr) {
        qt.emplace();
    }
    if (db.empty()) {
        const Result<bool> exists = HistoryExists(db);
        if (!exists) {
            return exists.error();
        }
        if (!exists.value()) {
            return std::optional<std::vector<verdict::Device>>();
        }
    }
    Result<OpenedEquipment> opened = OpenEquipment(db, HistoryAccess::Read);
    if (!opened) {
        return opened.error();
    }
    Result<std::vector<verdict::Device>> devices = opened.value().equipment->Equipment();
    if (!devices) {
        return devices.error();
    }
    return std::optional<std::vector<verdict::Device>>(std::move(devices).value());
}

} // namespace

CLI::Option* AddVerdictOptions(CLI::App& command, VerdictOptions& options)
{
    CLI::Option* verdicts = command.add_flag(
        "--verdicts", options.verdicts, "judge every reading against the limits of a standard (default: iec62353)");
    CLI::Option* inventory =
        command
            .add_option("--inventory", options.inventory,
                        "the equipment list for --verdicts (CSV; default: the list the test history keeps)")
            ->type_name("FILE")
            ->needs(verdicts);
    AddDbOption(command, options.db)->needs(verdicts)->excludes(inventory);
    command.add_option("--limits", options.limits, "a limits file of the department's own for --verdicts (JSON)")
        ->type_name("FILE")
        ->needs(verdicts);
    command.add_option("--profile", options.profile, "the profile --verdicts judges by (default: iec62353)")
        ->type_name("NAME")
        ->needs(verdicts);
    return verdicts;
}

std::optional<std::shared_ptr<const verdict::VerdictEngine>> MakeVerdictEngineFor(const VerdictOptions& options,
                                                                                  int& exitStatus)
{
    if (!options.verdicts) {
        return std::shared_ptr<const verdict::VerdictEngine>();
    }
    if (!options.inventory.empty()) {
        return MakeVerdictEngineWith(options, std::nullopt, exitStatus);
    }
    Result<std::optional<std::vector<verdict::Device>>> stored = StoredEquipment(options.db);
    if (!stored) {
        std::cerr << "tessaprint-cli: the equipment list of the test history: " << stored.error().message << "\n";
        exitStatus = 1;
        return std::nullopt;
    }
    return MakeVerdictEngineWith(options, std::move(stored).value(), exitStatus);
}

std::optional<std::shared_ptr<const verdict::VerdictEngine>>
MakeVerdictEngineWith(const VerdictOptions& options, std::optional<std::vector<verdict::Device>> equipment,
                      int& exitStatus)
{
    // The files first: a profile named on the command line is a bad argument
    // only once it is known which profiles there are.
    const verdict::VerdictSources sources{CommandLinePath(options.limits), {}, CommandLinePath(options.inventory)};
    Result<verdict::VerdictEngine> engine =
        equipment ? verdict::MakeVerdictEngine(sources, std::move(*equipment), kStoredEquipmentName)
                  : verdict::MakeVerdictEngine(sources);
    if (!engine) {
        std::cerr << "tessaprint-cli: " << engine.error().message << "\n";
        exitStatus = 1;
        return std::nullopt;
    }
    if (options.profile.empty()) {
        return std::shared_ptr<const verdict::VerdictEngine>(
            std::make_shared<verdict::VerdictEngine>(std::move(engine).value()));
    }
    const verdict::LimitsLibrary& library = engine.value().library();
    if (library.Find(options.profile) == nullptr) {
        std::string names;
        for (const verdict::Profile& profile : library.profiles()) {
            names += (names.empty() ? "" : ", ") + profile.name;
        }
        std::cerr << "tessaprint-cli: --profile: unknown profile \"" << cmdline::ShortValue(options.profile)
                  << "\"; the profiles are " << names << "\n";
        exitStatus = 2;
        return std::nullopt;
    }
    return std::shared_ptr<const verdict::VerdictEngine>(
        std::make_shared<verdict::VerdictEngine>(library, engine.value().equipment(), options.profile));
}

} // namespace tessaprint
