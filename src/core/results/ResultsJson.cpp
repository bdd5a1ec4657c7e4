#include "results/ResultsJson.h"

#include "text/JsonWriter.h"

namespace tessaprint {

namespace {

// Every line is counted and written as a JSON string the moment it arrives,
// and kept nowhere; the selector and the readings are kept as usual.
class LineWriter : public ResultsListing {
public:
    explicit LineWriter(JsonWriter& json) : m_json(json) { SetKeepLines(false); }
    void AppendLine(const std::string& line) override
    {
        ResultsListing::AppendLine(line);
        m_json.String(line);
    }

private:
    JsonWriter& m_json;
};

// The selector with item k chosen, as the reading list is filled for it.
class ChosenItem : public EquipmentIdSelector {
public:
    ChosenItem(const ResultsListing& listing, int item) : m_listing(listing), m_item(item) {}
    void SetSelectorCaption(const std::string&) override {}
    void AddSelectorItem(const std::string&) override {}
    void SetSelectorCurrent(int) override {}
    int SelectorCurrent() const override { return m_item; }
    int SelectorCount() const override { return m_listing.SelectorCount(); }
    std::string SelectorItemText(int index) const override { return m_listing.SelectorItemText(index); }

private:
    const ResultsListing& m_listing;
    int m_item;
};

// Each reading row goes out as a JSON object as it is listed (in row order).
class RowWriter : public ReadingListView {
public:
    explicit RowWriter(JsonWriter& json) : m_json(json) {}
    void InsertReadingRow(int, const std::string& item, const std::string& testName,
                          const std::string& reading) override
    {
        m_json.BeginObject();
        m_json.Key("item");
        m_json.Number(std::stoll(item));
        m_json.Key("test");
        m_json.String(testName);
        m_json.Key("reading");
        m_json.String(reading);
        m_json.EndObject();
    }
    void EnableDataSheet() override {}

private:
    JsonWriter& m_json;
};

// After "lines": the selector, the records, the readings and "complete".
void WriteTheRest(JsonWriter& json, const ResultsTable& table, const ResultsListing& listing,
                  std::optional<bool> complete)
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
    RowWriter rows(json);
    for (int k = 0; k < listing.SelectorCount(); ++k) {
        json.BeginArray();
        table.FillReadingList(ChosenItem(listing, k), rows);
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
    // One pass: the lines go out as they are read while the table fills.
    ResultsTable table;
    LineWriter listing(json);
    replay(table, listing);
    json.EndArray();
    WriteTheRest(json, table, listing, std::nullopt);
    out << '\n';
}

} // namespace tessaprint
