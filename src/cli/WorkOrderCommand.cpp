#include "CliCommands.h"

#include "docs/DocumentFrame.h"
#include "util/FileIo.h"
#include "util/QtClock.h"
#include "workorder/WorkOrderDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iostream>
#include <string_view>

namespace tessaprint {

namespace {

// Qt's parser also takes, inside a string, a raw control character or an
// escape JSON does not have ("\x"), and keeps either; a record with one has
// always been refused, so it still is.
bool StringsAreJson(std::string_view text)
{
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!inString) {
            inString = c == '"';
        } else if (c < 0x20) {
            return false;
        } else if (c == '"') {
            inString = false;
        } else if (c == '\\' &&
                   (++i == text.size() || std::string_view("\"\\/bfnrtu").find(text[i]) == std::string_view::npos)) {
            return false;
        }
    }
    return true;
}

// A string of the record; an escaped lone surrogate ("\ud800"), which Qt
// keeps and JSON does not allow, makes the record invalid.
Result<std::string> RecordString(const QJsonValue& value, const std::string& key)
{
    const QString text = value.toString();
    if (!QStringView(text).isValidUtf16()) {
        return Error{kErrorFail, key + " holds a lone surrogate, which is not valid JSON"};
    }
    return text.toStdString();
}

// Fills the record from JSON: the 30 field keys as strings, the three list
// keys as arrays of strings. Anything else is an error, so a misspelt key
// cannot silently leave a field of a signed work order empty.
Result<void> ReadRecord(const QJsonDocument& document, WorkOrderRecord& record)
{
    if (!document.isObject()) {
        return Error{kErrorFail, "the record must be a JSON object"};
    }
    const QJsonObject json = document.object();
    for (auto it = json.begin(); it != json.end(); ++it) {
        const std::string key = it.key().toStdString();
        const QJsonValue value = it.value();
        const auto& keys = WorkOrderRecord::FieldKeys();
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
            if (!value.isString()) {
                return Error{kErrorFail, key + " must be a string"};
            }
            const Result<std::string> text = RecordString(value, key);
            if (!text) {
                return text.error();
            }
            record.SetField(key, text.value());
        } else if (key == WorkOrderRecord::kService || key == WorkOrderRecord::kResults ||
                   key == WorkOrderRecord::kChecks) {
            if (!value.isArray() || value.toArray().size() > WorkOrderRecord::kListSlots) {
                return Error{kErrorFail, key + " must be an array of at most " +
                                             std::to_string(WorkOrderRecord::kListSlots) + " strings"};
            }
            auto& entries = record.List(key);
            std::size_t i = 0;
            for (const QJsonValue& entry : value.toArray()) {
                if (!entry.isString()) {
                    return Error{kErrorFail, key + " must hold strings only"};
                }
                const Result<std::string> text = RecordString(entry, key);
                if (!text) {
                    return text.error();
                }
                entries[i++] = text.value();
            }
        } else {
            return Error{kErrorFail, "unknown key " + key};
        }
    }
    return {};
}

// The record's JSON document, or why it is not one. The text ends at its
// first NUL byte, as it always has (a file padded with NULs still reads).
Result<QJsonDocument> ParseJson(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    QJsonParseError error{};
    QJsonDocument json = QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError) {
        return Error{kErrorFail, error.errorString().toStdString() + " at byte " + std::to_string(error.offset)};
    }
    if (!StringsAreJson(text)) {
        return Error{kErrorFail, "a raw control character or an unknown escape in a string"};
    }
    return json;
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
    const Result<QJsonDocument> json = ParseJson(content.value());
    if (!json) {
        std::cerr << "tessaprint-cli: " << options.record << " is not valid JSON: " << json.error().message << "\n";
        return 2;
    }
    WorkOrderRecord record;
    if (const Result<void> read = ReadRecord(json.value(), record); !read) {
        std::cerr << "tessaprint-cli: " << options.record << ": " << read.error().message << "\n";
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
