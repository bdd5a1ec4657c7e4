#include "CliCommands.h"
#include "HistoryAccess.h"

#include "util/FileIo.h"
#include "verdict/EquipmentList.h"

#include <iostream>

namespace tessaprint {

namespace {

struct InventoryOptions {
    std::string db;
    std::string file;   // import
    std::string output; // export; empty or "-": stdout
};

// The reader names a fault "<name>:<line>: <reason>"; read without a name,
// it is said as "line <N>: <reason>".
std::string LineFault(const std::string& message)
{
    std::size_t digits = 1;
    while (digits < message.size() && message[digits] >= '0' && message[digits] <= '9') {
        ++digits;
    }
    if (message.empty() || message[0] != ':' || digits == 1 || message.compare(digits, 2, ": ") != 0) {
        return message;
    }
    return "line " + message.substr(1, digits - 1) + message.substr(digits);
}

int RunImport(const InventoryOptions& options)
{
    // The whole file is read and checked before the history is touched: a
    // bad line leaves the stored list as it was.
    const Result<std::string> content = ReadWholeFile(options.file);
    if (!content) {
        std::cerr << "tessaprint-cli: " << content.error().message << "\n";
        return 1;
    }
    const Result<std::vector<verdict::Device>> devices = verdict::ReadEquipmentListText(content.value(), {});
    if (!devices) {
        std::cerr << "tessaprint-cli: " << options.file << ": " << LineFault(devices.error().message)
                  << "; nothing was imported\n";
        return 1;
    }
    // Like a history import, this may make the database: a department's list
    // often comes before its first capture.
    Result<OpenedEquipment> opened = OpenEquipment(options.db, HistoryAccess::Write);
    if (!opened) {
        std::cerr << "tessaprint-cli: " << opened.error().message << "\n";
        return 1;
    }
    history::EquipmentStore& equipment = *opened.value().equipment;
    const Result<history::EquipmentImportCounts> counts = equipment.ImportEquipment(devices.value());
    if (!counts) {
        std::cerr << "tessaprint-cli: " << counts.error().message << "; nothing was imported\n";
        return 1;
    }
    std::cout << "added: " << counts.value().added << "\nreplaced: " << counts.value().replaced
              << "\nunchanged: " << counts.value().unchanged << "\n";
    std::cout.flush();
    return std::cout ? 0 : 1;
}

int RunExport(const InventoryOptions& options)
{
    if (const Result<void> writable = CheckOutputFile(options.output); !writable) {
        std::cerr << "tessaprint-cli: " << writable.error().message << "\n";
        return 1;
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
    const std::string csv = verdict::WriteEquipmentList(std::move(devices).value());
    const Result<void> written = WriteOutputFile(options.output.empty() ? kStdoutPath : options.output, csv);
    if (!written) {
        std::cerr << "tessaprint-cli: " << written.error().message << "\n";
        return 1;
    }
    return 0;
}

} // namespace

void AddInventoryCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<InventoryOptions>();
    CLI::App* inventory = app.add_subcommand("inventory", "The department's equipment list, kept in the test history");
    inventory->require_subcommand(1);

    CLI::App* importCommand = inventory->add_subcommand(
        "import", "Add or replace the devices of an equipment list CSV by ID; a bad line refuses the whole file");
    importCommand->add_option("FILE", options->file, "the equipment list (CSV)")->required();
    AddDbOption(*importCommand, options->db);
    importCommand->callback([options, &status] {
        QtForHistory qt;
        status = RunImport(*options);
    });

    CLI::App* exportCommand =
        inventory->add_subcommand("export", "Write the stored list as an equipment list CSV, sorted by ID");
    exportCommand->add_option("--output", options->output, "the CSV file; '-' or none: stdout")->type_name("FILE");
    AddDbOption(*exportCommand, options->db);
    exportCommand->callback([options, &status] {
        QtForHistory qt;
        status = RunExport(*options);
    });
}

} // namespace tessaprint
