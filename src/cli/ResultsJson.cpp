#include "ResultsJson.h"

#include "text/JsonWriter.h"

namespace tessaprint {

namespace {

// Every line as a JSON string the moment it arrives, kept nowhere.
class LineWriter : public ResultsListing {
public:
    explicit LineWriter(JsonWriter& json) : m_json(json) { SetKeepLines(false); }
    void AppendLine(const std::string& line) override { m_json.String(line); }

private:
    JsonWriter& m_json;
};

// After "lines": the selector, the records, the readings and "complete".
void WriteTheRest(JsonWriter& json, const ResultsTable& table, ResultsListing& listing, std::optional<bool> complete)
{
    json.Key("selector");
    json.BeginArray();
    for (const auto& item : listing.selectorItems()) {
        json.String(item);
    }
    json.EndArray();

    // Records 0 … the one being filled; none before the first line.
    json.Key("records");
    json.BeginArray();
    if (listing.lineCount() > 0) {
        for (int r = 0; r <= table.recordIndex(); ++r) {
            json.BeginObject();
            json.Key("equipmentId");
            json.String(table.EquipmentId(r));
            json.Key("date");
            json.String(table.Date(r));
            json.Key("values");
            json.BeginArray();
            for (int n = 0, count = table.ValueCount(r); n < count; ++n) {
                json.String(table.Value(r, n));
            }
            json.EndArray();
            json.EndObject();
        }
    }
    json.EndArray();

    json.Key("readings");
    json.BeginArray();
    for (int k = 0; k < listing.SelectorCount(); ++k) {
        json.BeginArray();
        for (const auto& row : listing.ReadingsForItem(table, k)) {
            json.BeginObject();
            json.Key("item");
            json.Number(std::stoll(row.item));
            json.Key("test");
            json.String(row.testName);
            json.Key("reading");
            json.String(row.reading);
            json.EndObject();
        }
        json.EndArray();
    }
    json.EndArray();
    if (complete) {
        json.Key("complete");
        json.Bool(*complete);
    }
    json.EndObject();
}

} // namespace

void WriteResultsJson(std::ostream& out, const ResultsTable& table, ResultsListing& listing,
                      std::optional<bool> complete)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Key("lines");
    json.BeginArray();
    for (const auto& line : listing.lines()) {
        json.String(line);
    }
    json.EndArray();
    WriteTheRest(json, table, listing, complete);
    out << '\n';
}

void WriteResultsJson(std::ostream& out, const std::function<void(ResultsTable&, ResultsListing&)>& replay)
{
    JsonWriter json(out);
    json.BeginObject();
    json.Key("lines");
    json.BeginArray();
    {
        ResultsTable scratch;
        LineWriter lines(json);
        replay(scratch, lines);
    }
    json.EndArray();
    ResultsTable table;
    ResultsListing listing;
    listing.SetKeepLines(false);
    replay(table, listing);
    WriteTheRest(json, table, listing, std::nullopt);
    out << '\n';
}

} // namespace tessaprint
