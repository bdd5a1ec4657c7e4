#include "history/HistoryJson.h"

#include "text/JsonWriter.h"

namespace tessaprint::history {

void WriteHistoryJson(std::ostream& out, const std::string& equipmentId, const std::vector<HistoryRecord>& records)
{
    {
        JsonWriter json(out);
        json.BeginObject();
        json.Key("equipmentId");
        json.String(equipmentId);
        json.Key("records");
        json.BeginArray();
        for (const HistoryRecord& record : records) {
            json.BeginObject();
            json.Key("testDate");
            json.String(record.testDate);
            json.Key("capturedAt");
            json.String(record.capturedAt);
            json.Key("kind");
            json.String(record.kind);
            // Only a record recorded with verdicts has these: a record of
            // before prints as it always did.
            if (!record.verdictProfile.empty()) {
                json.Key("verdictProfile");
                json.BeginObject();
                json.Key("name");
                json.String(record.verdictProfile);
                json.Key("version");
                json.String(record.verdictProfileVersion);
                json.EndObject();
            }
            json.Key("readings");
            json.BeginArray();
            for (const HistoryReading& reading : record.readings) {
                json.BeginObject();
                json.Key("item");
                json.Number(reading.item);
                json.Key("test");
                json.String(reading.test);
                json.Key("reading");
                json.String(reading.reading);
                json.Key("value");
                json.String(reading.value);
                if (!reading.verdict.empty()) {
                    json.Key("verdict");
                    json.String(reading.verdict);
                    json.Key("limit");
                    json.String(reading.limit);
                    json.Key("rule");
                    json.String(reading.rule);
                }
                json.EndObject();
            }
            json.EndArray();
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    out << "\n";
}

} // namespace tessaprint::history
