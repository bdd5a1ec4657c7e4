#include "verdict/EquipmentList.h"

#include "text/DecimalText.h"
#include "text/Trim.h"
#include "util/FileIo.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace tessaprint::verdict {

std::optional<AppliedPart> Device::StrictestAppliedPart() const
{
    if (appliedParts.empty()) {
        return std::nullopt;
    }
    return *std::max_element(appliedParts.begin(), appliedParts.end());
}

EquipmentList::EquipmentList(std::vector<Device> devices) : m_devices(std::move(devices))
{
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        m_byId.emplace(m_devices[i].equipmentId, i);
    }
}

const Device* EquipmentList::Find(std::string_view equipmentId) const
{
    const auto found = m_byId.find(TrimBlanks(equipmentId));
    return found == m_byId.end() ? nullptr : &m_devices[found->second];
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kColumns = std::tuple_size_v<DeviceFields>;

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// One row of the file and the line it starts on (a quoted field may hold a
// line break, so a row can go over several lines).
struct CsvRow {
    std::vector<std::string> fields;
    int line = 0;
};

// RFC 4180: fields separated by commas, rows by CR LF or LF; a field in
// quotes may hold commas, line breaks and doubled quotes.
Result<std::vector<CsvRow>> SplitCsv(std::string_view csv, std::string_view fileName)
{
    std::vector<CsvRow> rows;
    int line = 1;
    std::size_t at = 0;
    while (at < csv.size()) {
        CsvRow row;
        row.line = line;
        std::string field;
        bool quoted = false;
        bool rowDone = false;
        while (!rowDone) {
            if (at >= csv.size()) {
                rowDone = true;
            } else if (quoted) {
                const char c = csv[at++];
                if (c == '"') {
                    if (at < csv.size() && csv[at] == '"') {
                        field += '"';
                        ++at;
                    } else {
                        quoted = false;
                        if (at < csv.size() && csv[at] != ',' && csv[at] != '\r' && csv[at] != '\n') {
                            return Error{kErrorFail, std::string(fileName) + ":" + std::to_string(line) +
                                                         ": text after a closing quote"};
                        }
                    }
                } else {
                    if (c == '\n') {
                        ++line;
                    }
                    field += c;
                }
            } else {
                const char c = csv[at++];
                if (c == ',') {
                    row.fields.push_back(std::move(field));
                    field.clear();
                } else if (c == '\n' || (c == '\r' && at < csv.size() && csv[at] == '\n')) {
                    at += c == '\r' ? 1 : 0;
                    ++line;
                    rowDone = true;
                } else if (c == '"' && field.empty()) {
                    quoted = true;
                } else if (c == '"') {
                    return Error{kErrorFail, std::string(fileName) + ":" + std::to_string(line) +
                                                 ": a quote inside a field that does not start with one"};
                } else {
                    field += c;
                }
            }
        }
        if (quoted) {
            return Error{kErrorFail, std::string(fileName) + ":" + std::to_string(row.line) + ": a quote never closed"};
        }
        row.fields.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool IsBlankRow(const CsvRow& row)
{
    return row.fields.size() == 1 && TrimBlanks(row.fields.front()).empty();
}

} // namespace

Result<Device> ReadDeviceFields(const std::vector<std::string>& fields, std::size_t* badField)
{
    const auto fault = [badField](std::size_t at, std::string what) {
        if (badField) {
            *badField = at;
        }
        return Error{kErrorFail, std::move(what)};
    };
    if (fields.size() != kColumns) {
        return fault(std::min(fields.size(), kColumns - 1),
                     std::to_string(fields.size()) + " fields where " + std::to_string(kColumns) + " are expected");
    }
    const auto field = [&](std::size_t i) { return TrimBlanks(fields[i]); };
    Device device;
    device.equipmentId = std::string(field(0));
    if (device.equipmentId.empty()) {
        return fault(0, "no equipment ID");
    }
    device.description = fields[1];
    device.location = fields[2];
    const std::optional<DeviceClass> deviceClass = DeviceClassFromName(field(3));
    if (!deviceClass) {
        return fault(3, "class " + Quoted(field(3)) + " is not I, II or IP");
    }
    device.deviceClass = *deviceClass;
    if (!field(4).empty()) {
        std::string_view parts = field(4);
        while (true) {
            const std::size_t semicolon = parts.find(';');
            const std::string_view name = TrimBlanks(parts.substr(0, semicolon));
            const std::optional<AppliedPart> part = AppliedPartFromName(name);
            if (!part) {
                return fault(4, "applied part " + Quoted(name) + " is not B, BF or CF");
            }
            device.appliedParts.push_back(*part);
            if (semicolon == std::string_view::npos) {
                break;
            }
            parts.remove_prefix(semicolon + 1);
        }
    }
    const std::string_view interval = field(5);
    int months = 0;
    const auto [end, error] = std::from_chars(interval.data(), interval.data() + interval.size(), months);
    if (interval.empty() || error != std::errc() || end != interval.data() + interval.size() || months < 1 ||
        months > 120) {
        return fault(5, "interval " + Quoted(interval) + " is not a whole number of months from 1 to 120");
    }
    device.intervalMonths = months;
    if (!field(6).empty()) {
        const std::optional<Cord> cord = CordFromName(field(6));
        if (!cord) {
            return fault(6, "cord " + Quoted(field(6)) + " is not with-cord or without-cord");
        }
        device.cord = cord;
    }
    device.profile = std::string(field(7));
    Result<std::map<std::string, std::vector<double>>> settings = ReadSettingsField(field(8));
    if (!settings) {
        return fault(8, settings.error().message);
    }
    device.settings = std::move(settings).value();
    return device;
}

namespace {

// The row's fields checked; the error says what is wrong without the line,
// which the caller puts before it.
Result<Device> DeviceFromRow(const CsvRow& row)
{
    Result<Device> device = ReadDeviceFields(row.fields);
    if (device) {
        device.value().line = row.line;
    }
    return device;
}

// A number as short as it can be written and still read back as the same
// double, with a point and never an exponent: 200, 0.5, 2.25.
std::string ShortestDecimal(double value)
{
    std::array<char, 400> text{};
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return error == std::errc() ? std::string(text.data(), end) : std::string();
}

// A field of the written list: quoted when it holds a comma, a quote or a
// line break, or blanks at an end (which the reader would trim otherwise).
// No apostrophe before a text a spreadsheet might take for a formula: the
// list is read back by this program, and "-5" must stay "-5".
std::string ListField(std::string_view text)
{
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (TrimBlanks(text).size() != text.size()));
    if (!quote) {
        return std::string(text);
    }
    std::string field = "\"";
    for (const char c : text) {
        field += c;
        if (c == '"') {
            field += '"';
        }
    }
    return field + "\"";
}

} // namespace

Result<std::vector<Device>> ReadEquipmentListText(std::string_view csv, std::string_view fileName)
{
    if (csv.substr(0, kBom.size()) == kBom) {
        csv.remove_prefix(kBom.size());
    }
    Result<std::vector<CsvRow>> rows = SplitCsv(csv, fileName);
    if (!rows) {
        return rows.error();
    }
    const auto fault = [&](int line, const std::string& what) {
        return Error{kErrorFail, std::string(fileName) + ":" + std::to_string(line) + ": " + what};
    };
    std::vector<CsvRow>& all = rows.value();
    std::string header;
    if (!all.empty()) {
        for (const std::string& name : all.front().fields) {
            header += (header.empty() ? "" : ",") + std::string(TrimBlanks(name));
        }
    }
    if (header != kEquipmentListHeader) {
        return fault(1, "the first line must be the header " + std::string(kEquipmentListHeader));
    }
    std::vector<Device> devices;
    std::map<std::string, int, std::less<>> lineOfId;
    for (std::size_t i = 1; i < all.size(); ++i) {
        if (IsBlankRow(all[i])) {
            continue;
        }
        Result<Device> device = DeviceFromRow(all[i]);
        if (!device) {
            return fault(all[i].line, device.error().message);
        }
        const auto [earlier, added] = lineOfId.emplace(device.value().equipmentId, all[i].line);
        if (!added) {
            return fault(all[i].line, "equipment ID " + Quoted(device.value().equipmentId) + " already on line " +
                                          std::to_string(earlier->second));
        }
        devices.push_back(std::move(device).value());
    }
    return devices;
}

Result<std::vector<Device>> ReadEquipmentListFile(const std::string& path)
{
    const Result<std::string> content = ReadWholeFile(path);
    if (!content) {
        return content.error();
    }
    return ReadEquipmentListText(content.value(), path);
}

std::string WriteEquipmentList(std::vector<Device> devices)
{
    std::sort(devices.begin(), devices.end(),
              [](const Device& a, const Device& b) { return a.equipmentId < b.equipmentId; });
    std::string csv = std::string(kBom) + std::string(kEquipmentListHeader) + "\r\n";
    for (const Device& device : devices) {
        const DeviceFields fields = FieldsOfDevice(device);
        for (std::size_t i = 0; i < kColumns; ++i) {
            csv += (i == 0 ? "" : ",") + ListField(fields[i]);
        }
        csv += "\r\n";
    }
    return csv;
}

DeviceFields FieldsOfDevice(const Device& device)
{
    std::string parts;
    for (const AppliedPart part : device.appliedParts) {
        parts += (parts.empty() ? "" : ";") + std::string(AppliedPartName(part));
    }
    return {device.equipmentId,
            device.description,
            device.location,
            std::string(DeviceClassName(device.deviceClass)),
            parts,
            std::to_string(device.intervalMonths),
            device.cord ? std::string(CordName(*device.cord)) : std::string(),
            device.profile,
            WriteSettingsField(device.settings)};
}

Result<Device> DeviceFromFields(const DeviceFields& fields)
{
    return DeviceFromRow(CsvRow{std::vector<std::string>(fields.begin(), fields.end()), 0});
}

Result<std::map<std::string, std::vector<double>>> ReadSettingsField(std::string_view text)
{
    std::map<std::string, std::vector<double>> settings;
    text = TrimBlanks(text);
    if (text.empty()) {
        return settings;
    }
    while (true) {
        const std::size_t bar = text.find('|');
        const std::string_view pair = text.substr(0, bar);
        const std::size_t equals = pair.find('=');
        const std::string test(TrimBlanks(pair.substr(0, equals)));
        if (equals == std::string_view::npos || test.empty()) {
            return Error{kErrorFail, "settings " + Quoted(pair) + " is not Test=value;value..."};
        }
        std::vector<double> values;
        std::string_view rest = pair.substr(equals + 1);
        while (true) {
            const std::size_t semicolon = rest.find(';');
            const std::string_view number = TrimBlanks(rest.substr(0, semicolon));
            const std::optional<double> value = ReadDecimal(number);
            if (!value) {
                return Error{kErrorFail, "setting " + Quoted(number) + " of " + test +
                                             " is not a number written with a point, such as 2.5"};
            }
            values.push_back(*value);
            if (semicolon == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(semicolon + 1);
        }
        if (!settings.emplace(test, std::move(values)).second) {
            return Error{kErrorFail, "settings for " + test + " twice"};
        }
        if (bar == std::string_view::npos) {
            break;
        }
        text.remove_prefix(bar + 1);
    }
    return settings;
}

std::string WriteSettingsField(const std::map<std::string, std::vector<double>>& settings)
{
    std::string text;
    for (const auto& [test, values] : settings) {
        text += (text.empty() ? "" : "|") + test + "=";
        for (std::size_t i = 0; i < values.size(); ++i) {
            text += (i == 0 ? "" : ";") + ShortestDecimal(values[i]);
        }
    }
    return text;
}

} // namespace tessaprint::verdict
