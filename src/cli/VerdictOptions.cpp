#include "CliCommands.h"

#include "ProgramOptions.h"
#include "verdict/VerdictSources.h"

#include <iostream>

namespace tessaprint {

CLI::Option* AddVerdictOptions(CLI::App& command, VerdictOptions& options)
{
    CLI::Option* verdicts = command.add_flag(
        "--verdicts", options.verdicts, "judge every reading against the limits of a standard (default: iec62353)");
    command.add_option("--inventory", options.inventory, "the equipment list for --verdicts (CSV)")
        ->type_name("FILE")
        ->needs(verdicts);
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
    // The files first: a profile named on the command line is a bad argument
    // only once it is known which profiles there are.
    Result<verdict::VerdictEngine> engine =
        verdict::MakeVerdictEngine({CommandLinePath(options.limits), {}, CommandLinePath(options.inventory)});
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
