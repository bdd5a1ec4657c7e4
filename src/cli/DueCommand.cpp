#include "CliCommands.h"
#include "HistoryAccess.h"
#include "ProgramOptions.h"

#include "history/DueList.h"
#include "text/IsoLocalTime.h"
#include "util/QtClock.h"

#include <iostream>

namespace tessaprint {

namespace {

struct DueOptions {
    std::string db;
    std::string on; // empty: today
    int within = 30;
    VerdictOptions verdicts{true, {}, {}, {}, {}};
};

int RunDue(const DueOptions& options)
{
    std::string on = options.on;
    if (on.empty()) {
        const QtClock clock;
        const std::optional<std::tm> now = clock.LocalTime();
        if (!now) {
            std::cerr << "tessaprint-cli: the system does not tell today's date; give --on YYYY-MM-DD\n";
            return 1;
        }
        on = IsoLocalTime(*now).substr(0, 10);
    }
    Result<OpenedEquipment> opened = OpenEquipment(options.db, HistoryAccess::Read);
    if (!opened) {
        std::cerr << "tessaprint-cli: " << opened.error().message << "\n";
        return 1;
    }
    history::EquipmentStore& equipment = *opened.value().equipment;
    Result<std::vector<verdict::Device>> devices = equipment.Equipment();
    if (!devices) {
        std::cerr << "tessaprint-cli: " << devices.error().message << "\n";
        return 1;
    }
    const Result<std::vector<history::LatestTest>> tests = equipment.LatestTests();
    if (!tests) {
        std::cerr << "tessaprint-cli: " << tests.error().message << "\n";
        return 1;
    }
    // "failed" is the last test judged as the verdicts judge it, by each
    // device's profile from the stored list.
    int status = 0;
    const std::optional<std::shared_ptr<const verdict::VerdictEngine>> engine =
        MakeVerdictEngineWith(options.verdicts, devices.value(), status);
    if (!engine) {
        return status;
    }
    const std::vector<history::DueEntry> entries =
        history::MakeDueList(devices.value(), tests.value(), engine->get(), on, options.within);
    history::WriteDueJson(std::cout, on, entries);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

} // namespace

void AddDueCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<DueOptions>();
    CLI::App* command = app.add_subcommand(
        "due", "The test schedule as JSON: each device of the stored equipment list with its last test, its due day "
               "and its status (failed, overdue, due soon, ok, never tested, unknown date, not in the list)");
    AddDbOption(*command, options->db);
    command->add_option("--on", options->on, "the day the schedule is for (default: today)")
        ->check(CLI::Validator(
            [](const std::string& value) {
                return history::AddMonths(value, 0)
                           ? std::string()
                           : "--on takes a day YYYY-MM-DD, not '" + cmdline::ShortValue(value) + "'";
            },
            ""))
        ->type_name("YYYY-MM-DD");
    command
        ->add_option("--within", options->within,
                     "due soon: due on the day or at most this many days after it (default: 30)")
        ->transform(cmdline::WholeNumber(0, 36600))
        ->type_name("DAYS");
    command->add_option("--limits", options->verdicts.limits, "a department's limits file for \"failed\" (JSON)")
        ->type_name("FILE");
    command->add_option("--profile", options->verdicts.profile, "the profile for devices the list gives none")
        ->type_name("NAME");
    command->callback([options, &status] {
        QtForHistory qt;
        status = RunDue(*options);
    });
}

} // namespace tessaprint
