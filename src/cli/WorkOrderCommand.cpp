#include "CliCommands.h"

#include "util/FileIo.h"
#include "util/QtClock.h"
#include "workorder/WorkOrderDocument.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace tessaprint {

namespace {

constexpr const char* kUsage = "usage: tessaprint-cli workorder --record FILE.json --reports DIR [--word2007 0|1]\n";

// Fills the record from JSON: the 30 field keys as strings, the three list
// keys as arrays of strings. Anything else is an error, so a misspelt key
// cannot silently leave a field of a signed work order empty.
bool ReadRecord(const nlohmann::json& json, WorkOrderRecord& record, std::string& error)
{
    if (!json.is_object()) {
        error = "the record must be a JSON object";
        return false;
    }
    for (const auto& [key, value] : json.items()) {
        const auto& keys = WorkOrderRecord::FieldKeys();
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
            if (!value.is_string()) {
                error = key + " must be a string";
                return false;
            }
            record.SetField(key, value.get<std::string>());
        } else if (key == WorkOrderRecord::kService || key == WorkOrderRecord::kResults ||
                   key == WorkOrderRecord::kChecks) {
            if (!value.is_array() || value.size() > static_cast<std::size_t>(WorkOrderRecord::kListSlots)) {
                error =
                    key + " must be an array of at most " + std::to_string(WorkOrderRecord::kListSlots) + " strings";
                return false;
            }
            auto& slots = record.List(key);
            std::size_t i = 0;
            for (const auto& entry : value) {
                if (!entry.is_string()) {
                    error = key + " must hold strings only";
                    return false;
                }
                slots[i++] = entry.get<std::string>();
            }
        } else {
            error = "unknown key " + key;
            return false;
        }
    }
    return true;
}

} // namespace

int RunWorkOrderCommand(const std::vector<std::string>& args)
{
    std::string recordFile;
    std::string reports;
    int word2007 = 1;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            std::cerr << "tessaprint-cli: missing value after " << args[i] << "\n" << kUsage;
            return 2;
        }
        if (args[i] == "--record") {
            recordFile = args[i + 1];
        } else if (args[i] == "--reports") {
            reports = args[i + 1];
        } else if (args[i] == "--word2007" && (args[i + 1] == "0" || args[i + 1] == "1")) {
            word2007 = args[i + 1] == "1" ? 1 : 0;
        } else {
            std::cerr << "tessaprint-cli: unknown option " << args[i] << " " << args[i + 1] << "\n" << kUsage;
            return 2;
        }
    }
    if (recordFile.empty() || reports.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    std::string content;
    std::string error;
    if (!ReadWholeFile(recordFile, content, error)) {
        std::cerr << "tessaprint-cli: " << error << "\n";
        return 1;
    }
    WorkOrderRecord record;
    try {
        if (!ReadRecord(nlohmann::json::parse(content), record, error)) {
            std::cerr << "tessaprint-cli: " << recordFile << ": " << error << "\n";
            return 2;
        }
    } catch (const nlohmann::json::exception& e) {
        std::cerr << "tessaprint-cli: " << recordFile << " is not valid JSON: " << e.what() << "\n";
        return 2;
    }
    const QtClock clock;
    const WorkOrderDocumentResult result = WriteWorkOrderDocument(record, reports, word2007, clock.LocalTime());
    if (!result.ok) {
        std::cerr << "tessaprint-cli: " << result.errorBox << "\n";
        return 1;
    }
    std::cout << result.savedPath << "\n";
    return 0;
}

} // namespace tessaprint
