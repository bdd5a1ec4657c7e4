#include "CliCommands.h"

#include "docs/DocumentFrame.h"
#include "util/FileIo.h"
#include "util/QtClock.h"
#include "workorder/WorkOrderDocument.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace tessaprint {

namespace {

// Fills the record from JSON: the 30 field keys as strings, the three list
// keys as arrays of strings. Anything else is an error, so a misspelt key
// cannot silently leave a field of a signed work order empty.
Result<void> ReadRecord(const nlohmann::json& json, WorkOrderRecord& record)
{
    if (!json.is_object()) {
        return Error{kErrorFail, "the record must be a JSON object"};
    }
    for (const auto& [key, value] : json.items()) {
        const auto& keys = WorkOrderRecord::FieldKeys();
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
            if (!value.is_string()) {
                return Error{kErrorFail, key + " must be a string"};
            }
            record.SetField(key, value.get<std::string>());
        } else if (key == WorkOrderRecord::kService || key == WorkOrderRecord::kResults ||
                   key == WorkOrderRecord::kChecks) {
            if (!value.is_array() || value.size() > static_cast<std::size_t>(WorkOrderRecord::kListSlots)) {
                return Error{kErrorFail, key + " must be an array of at most " +
                                             std::to_string(WorkOrderRecord::kListSlots) + " strings"};
            }
            auto& slots = record.List(key);
            std::size_t i = 0;
            for (const auto& entry : value) {
                if (!entry.is_string()) {
                    return Error{kErrorFail, key + " must hold strings only"};
                }
                slots[i++] = entry.get<std::string>();
            }
        } else {
            return Error{kErrorFail, "unknown key " + key};
        }
    }
    return {};
}

struct WorkOrderOptions {
    std::string record;
    std::string reports;
    int word2007 = 1;
    PdfCopyOptions pdf;
};

int RunWorkOrder(const WorkOrderOptions& options)
{
    const Result<std::string> content = ReadWholeFile(options.record);
    if (!content) {
        std::cerr << "tessaprint-cli: " << content.error().message << "\n";
        return 1;
    }
    WorkOrderRecord record;
    try {
        if (const Result<void> read = ReadRecord(nlohmann::json::parse(content.value()), record); !read) {
            std::cerr << "tessaprint-cli: " << options.record << ": " << read.error().message << "\n";
            return 2;
        }
    } catch (const nlohmann::json::exception& e) {
        std::cerr << "tessaprint-cli: " << options.record << " is not valid JSON: " << e.what() << "\n";
        return 2;
    }
    const QtClock clock;
    const Result<std::string> written =
        WriteWorkOrderDocument(record, CommandLinePath(options.reports), options.word2007, clock.LocalTime());
    if (!written) {
        std::cerr << "tessaprint-cli: " << docs::ComErrorText(written.error()) << "\n";
        return 1;
    }
    std::cout << written.value() << "\n";
    if (options.pdf.pdf && !WritePdfCopy(options.pdf, written.value())) {
        return 1;
    }
    return 0;
}

} // namespace

void AddWorkOrderCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<WorkOrderOptions>();
    CLI::App* command = app.add_subcommand("workorder", "Write the work order document of a record given as JSON");
    command
        ->add_option("--record", options->record,
                     "the work order as JSON: the field keys as strings, the list keys as arrays")
        ->required()
        ->type_name("FILE.json");
    command->add_option("--reports", options->reports, "the reports folder")->required()->type_name("DIR");
    AddWord2007Option(*command, options->word2007);
    AddPdfCopyOptions(*command, options->pdf);
    command->callback([options, &status] { status = RunWorkOrder(*options); });
}

} // namespace tessaprint
