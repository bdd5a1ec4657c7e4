#include "CliCommands.h"

#include "verdict/VerdictSources.h"

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

Result<std::shared_ptr<const verdict::VerdictEngine>> MakeVerdictEngineFor(const VerdictOptions& options)
{
    if (!options.verdicts) {
        return std::shared_ptr<const verdict::VerdictEngine>();
    }
    Result<verdict::VerdictEngine> engine = verdict::MakeVerdictEngine(
        {CommandLinePath(options.limits), options.profile, CommandLinePath(options.inventory)});
    if (!engine) {
        return engine.error();
    }
    return std::shared_ptr<const verdict::VerdictEngine>(
        std::make_shared<verdict::VerdictEngine>(std::move(engine).value()));
}

} // namespace tessaprint
