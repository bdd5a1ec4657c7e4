#include "history/HistoryStore.h"

#include "results/RecordsOnSelector.h"
#include "text/Trim.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace tessaprint::history {

namespace {

// A whole number of 1 to maxDigits digits at text[i], moving i past it.
std::optional<int> Digits(const std::string& text, std::size_t& i, std::size_t maxDigits)
{
    int value = 0;
    std::size_t count = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && count < maxDigits) {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++count;
    }
    if (count == 0 || (i < text.size() && text[i] >= '0' && text[i] <= '9')) {
        return std::nullopt;
    }
    return value;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

std::optional<std::string> ParseTestDay(const std::string& printed)
{
    const std::string text(TrimBlanks(printed));
    std::size_t i = 0;
    const auto month = Digits(text, i, 2);
    if (!month || i >= text.size() || text[i++] != '/') {
        return std::nullopt;
    }
    const auto day = Digits(text, i, 2);
    if (!day || i >= text.size() || text[i++] != '/') {
        return std::nullopt;
    }
    const std::size_t yearStart = i;
    const auto year = Digits(text, i, 4);
    // The instrument prints four-digit years; two digits could be any century.
    if (!year || i - yearStart != 4 || i != text.size() || *year < 1900) {
        return std::nullopt;
    }
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (*month < 1 || *month > 12) {
        return std::nullopt;
    }
    const int days = kDaysIn[*month - 1] + (*month == 2 && IsLeapYear(*year) ? 1 : 0);
    if (*day < 1 || *day > days) {
        return std::nullopt;
    }
    char iso[16];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", *year % 10000, *month % 100, *day % 100);
    return std::string(iso);
}

bool IsLiveCapture(const HistoryCaptureInfo& capture)
{
    return !capture.port.empty() && !capture.archiveName.empty();
}

std::int64_t ReadingCount(const HistoryCapture& capture)
{
    std::int64_t count = 0;
    for (const HistoryRecord& record : capture.records) {
        count += static_cast<std::int64_t>(record.readings.size());
    }
    return count;
}

std::string LegacyCaptureKey(const HistoryCaptureInfo& capture)
{
    if (IsLiveCapture(capture)) {
        return "live\n" + capture.port + "\n" + capture.capturedAt + "\n" + capture.archiveName;
    }
    return "lines\n" + capture.linesHash;
}

bool IsSameCapture(const HistoryCaptureInfo& a, const HistoryCaptureInfo& b)
{
    const std::string keyA = a.captureId.empty() ? LegacyCaptureKey(a) : a.captureId;
    const std::string keyB = b.captureId.empty() ? LegacyCaptureKey(b) : b.captureId;
    return keyA == keyB;
}

std::string NewCaptureId()
{
    static thread_local std::mt19937_64 generator{[] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }()};
    unsigned char bytes[16];
    for (int i = 0; i < 16; i += 8) {
        std::uint64_t word = generator();
        for (int j = 0; j < 8; ++j) {
            bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
        }
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id;
    id.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            id += '-';
        }
        id += kHex[bytes[i] >> 4];
        id += kHex[bytes[i] & 0x0F];
    }
    return id;
}

std::string StoredText(std::string_view text)
{
    std::string stored;
    stored.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            stored += "\xEF\xBF\xBD";
        } else {
            stored += c;
        }
    }
    return stored;
}

void KeepStoredVerdicts(const StoredVerdicts& earlier, HistoryRecord& record)
{
    const auto found = earlier.find(record.position);
    if (found == earlier.end() || found->second.equipmentId != StoredText(record.equipmentId)) {
        return;
    }
    const HistoryRecord& before = found->second;
    const bool sameProfile = before.verdictProfile == StoredText(record.verdictProfile) &&
                             before.verdictProfileVersion == StoredText(record.verdictProfileVersion);
    record.verdictProfile = before.verdictProfile;
    record.verdictProfileVersion = before.verdictProfileVersion;
    for (HistoryReading& reading : record.readings) {
        const auto was = std::find_if(before.readings.begin(), before.readings.end(),
                                      [&](const HistoryReading& stored) { return stored.item == reading.item; });
        if (was != before.readings.end() && was->value == StoredText(reading.value)) {
            reading.verdict = was->verdict;
            reading.limit = was->limit;
            reading.rule = was->rule;
        } else if (!sameProfile) {
            reading.verdict.clear();
            reading.limit.clear();
            reading.rule.clear();
        }
    }
}

HistoryCaptureHeader HeaderOf(const HistoryCapture& capture)
{
    HistoryCaptureHeader header;
    static_cast<HistoryCaptureInfo&>(header) = capture;
    header.recordCount = static_cast<std::int64_t>(capture.records.size());
    header.readingCount = ReadingCount(capture);
    return header;
}

HistoryRecordSource RecordsOf(const HistoryCapture& capture)
{
    return [&capture](const HistoryRecordSink& take) -> Result<void> {
        for (const HistoryRecord& record : capture.records) {
            if (Result<void> taken = take(record); !taken) {
                return taken;
            }
        }
        return {};
    };
}

Result<void> TakeCountedRecords(const HistoryCaptureHeader& header, const HistoryRecordSource& source,
                                const HistoryRecordSink& take)
{
    std::int64_t records = 0;
    std::int64_t readings = 0;
    const Result<void> given = source([&](const HistoryRecord& record) -> Result<void> {
        ++records;
        readings += static_cast<std::int64_t>(record.readings.size());
        return take(record);
    });
    if (!given) {
        return given;
    }
    if (records != header.recordCount || readings != header.readingCount) {
        return Error{kErrorFail, "the capture " + header.archiveName + " gave " + std::to_string(records) +
                                     " records of " + std::to_string(readings) + " readings where " +
                                     std::to_string(header.recordCount) + " of " + std::to_string(header.readingCount) +
                                     " were counted"};
    }
    return {};
}

namespace {

HistoryRecord StartRecord(std::string_view equipmentId, std::string_view date, int position, int values)
{
    HistoryRecord record;
    record.equipmentId = std::string(TrimBlanks(equipmentId));
    record.testDate = std::string(TrimBlanks(date));
    record.testDay = ParseTestDay(record.testDate);
    record.position = position;
    record.readings.reserve(static_cast<std::size_t>(values));
    return record;
}

void AddReading(HistoryRecord& record, std::string value)
{
    SplitReadingResult split = ResultsTable::SplitReading(value);
    const int item = static_cast<int>(record.readings.size()) + 1;
    HistoryReading reading;
    reading.item = item;
    reading.value = std::move(value);
    reading.test = std::move(split.testName);
    reading.reading = std::move(split.reading);
    record.readings.push_back(std::move(reading));
}

} // namespace

HistoryCapture MakeHistoryCapture(const ResultsTable& table, const EquipmentIdSelector& selector)
{
    HistoryCapture capture;
    int position = 0;
    for (const int r : RecordsOnSelector(table, selector)) {
        const int values = table.ValueCount(r);
        HistoryRecord record = StartRecord(table.EquipmentId(r), table.Date(r), position++, values);
        for (int n = 0; n < values; ++n) {
            AddReading(record, std::string(table.Value(r, n)));
        }
        capture.records.push_back(std::move(record));
    }
    return capture;
}

RecordStream::Take ToHistoryRecords(std::function<void(HistoryRecord& record)> take)
{
    return [take = std::move(take), position = 0](RecordStream::Record& parsed) mutable {
        HistoryRecord record =
            StartRecord(parsed.equipmentId, parsed.date, position++, static_cast<int>(parsed.values.size()));
        for (std::string& value : parsed.values) {
            AddReading(record, std::move(value));
        }
        // The value texts went into the readings: the record is given back empty.
        parsed.values.clear();
        take(record);
    };
}

} // namespace tessaprint::history
