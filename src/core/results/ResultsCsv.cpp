#include "results/ResultsCsv.h"

#include "results/RecordsOnSelector.h"
#include "text/Trim.h"
#include "text/Windows1252.h"

#include <cstdio>
#include <vector>

namespace tessaprint {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Well-formed UTF-8, each damaged sequence replaced by one U+FFFD.
std::string RepairedUtf8(std::string_view text)
{
    if (IsValidUtf8(text)) {
        return std::string(text);
    }
    std::string repaired;
    repaired.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t bad = 0;
        const std::size_t length = Utf8SequenceLength(text, i, bad);
        if (length > 0) {
            repaired.append(text.substr(i, length));
            i += length;
        } else {
            repaired.append("\xEF\xBF\xBD");
            i += bad;
        }
    }
    return repaired;
}

} // namespace

bool IsPlainNumber(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        std::size_t exponent = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            ++exponent;
        }
        if (exponent == 0) {
            return false;
        }
    }
    return i == text.size();
}

std::string CsvField(std::string_view text)
{
    std::string field = RepairedUtf8(text);
    // Spreadsheets run a cell that starts so as a formula ("=HYPERLINK(…)"),
    // also after an import; a number is safe and stays a number.
    if (!field.empty() && (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@') &&
        !IsPlainNumber(field)) {
        field.insert(0, 1, '\'');
    }
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

CsvCounts WriteResultsCsv(std::ostream& out, const ResultsTable& table, const EquipmentIdSelector& selector,
                          const CsvSource& source, const CsvVerdicts* verdicts)
{
    // The mark tells spreadsheet programs the text is UTF-8 (µ, Ω); CR LF ends every row.
    out << "\xEF\xBB\xBF" << kCsvHeader << (verdicts ? ",limit,verdict" : "") << "\r\n";
    const std::string instrument = CsvField(source.instrument);
    const std::string capturedAt = CsvField(source.capturedAt);
    CsvCounts counts;
    std::string row;
    for (const int record : RecordsOnSelector(table, selector)) {
        ++counts.records;
        const std::string id = CsvField(TrimBlanks(table.EquipmentId(record)));
        const std::string date = CsvField(TrimBlanks(table.Date(record)));
        const int values = table.ValueCount(record);
        std::vector<SplitReadingResult> splits;
        for (int n = 0; n < values; ++n) {
            splits.push_back(ResultsTable::SplitReading(table.Value(record, n)));
        }
        verdict::RecordVerdict judged;
        if (verdicts) {
            // The record judged once, its rows as the Item/Test/Reading list shows them.
            std::vector<verdict::ReadingRow> rows;
            for (int n = 0; n < values; ++n) {
                const SplitReadingResult& split = splits[static_cast<std::size_t>(n)];
                rows.push_back({std::to_string(n + 1), split.testName, split.reading});
            }
            judged = verdicts->engine.JudgeRecord(verdicts->kind, table.EquipmentId(record), rows);
        }
        for (int n = 0; n < values; ++n) {
            const std::string_view value = table.Value(record, n);
            const SplitReadingResult& split = splits[static_cast<std::size_t>(n)];
            row.clear();
            row.append(id).append(",").append(date).append(",").append(std::to_string(n + 1)).append(",");
            row.append(CsvField(split.testName)).append(",").append(CsvField(split.reading)).append(",");
            row.append(CsvField(value)).append(",").append(instrument).append(",").append(capturedAt);
            if (verdicts && static_cast<std::size_t>(n) < judged.readings.size()) {
                const verdict::ReadingVerdict& v = judged.readings[static_cast<std::size_t>(n)];
                row.append(",").append(CsvField(v.limit)).append(",").append(verdict::OutcomeWord(v.outcome));
            }
            row.append("\r\n");
            out << row;
            ++counts.readings;
        }
    }
    return counts;
}

} // namespace tessaprint
