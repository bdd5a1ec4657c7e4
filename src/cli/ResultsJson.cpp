#include "ResultsJson.h"

#include <nlohmann/json.hpp>

namespace tessaprint {

std::string ResultsToJson(const ResultsTable& table, ResultsListing& listing)
{
    using json = nlohmann::ordered_json;
    json out;
    out["lines"] = listing.lines();
    out["selector"] = listing.selectorItems();

    // Records 0 … the one being filled; none before the first line.
    json records = json::array();
    if (!listing.lines().empty()) {
        for (int r = 0; r <= table.recordIndex(); ++r) {
            json values = json::array();
            for (int n = 0, count = table.ValueCount(r); n < count; ++n) {
                values.push_back(table.Value(r, n));
            }
            records.push_back({{"equipmentId", table.EquipmentId(r)}, {"date", table.Date(r)}, {"values", values}});
        }
    }
    out["records"] = records;

    json readings = json::array();
    for (int k = 0; k < listing.SelectorCount(); ++k) {
        json rows = json::array();
        for (const auto& row : listing.ReadingsForItem(table, k)) {
            rows.push_back({{"item", std::stoi(row.item)}, {"test", row.testName}, {"reading", row.reading}});
        }
        readings.push_back(rows);
    }
    out["readings"] = readings;
    return out.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace tessaprint
