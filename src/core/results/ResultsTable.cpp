#include "results/ResultsTable.h"

#include <algorithm>
#include <string>

namespace tessaprint {

namespace {

const std::string kEmpty;

// The text after the first c; the whole line when it holds no c.
std::string_view TextAfter(std::string_view line, char c)
{
    const auto p = line.find(c);
    return p == std::string_view::npos ? line : line.substr(p + 1);
}

bool IsLeadingSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the words from here on are the reading: a word that begins with a
// digit; one that begins with a sign or a comparison directly before a digit
// or a decimal point ("-0.1 uA", "+0.3 V", "<0.1 uA", ">200 MOhms",
// "\u00B10.5 %"); or a lone '<' or '>' before a word that begins with a digit
// ("< 0.1 uA"). A test name never holds such words where a reading is meant,
// and an instrument prints its negative and out-of-range readings this way.
bool StartsReading(std::string_view rest)
{
    if (rest.empty()) {
        return false;
    }
    if (IsDigit(rest.front())) {
        return true;
    }
    std::size_t sign = 0;
    if (rest.front() == '-' || rest.front() == '+' || rest.front() == '<' || rest.front() == '>') {
        sign = 1;
    } else if (rest.substr(0, 2) == "\xC2\xB1") { // ±
        sign = 2;
    }
    if (sign == 0 || rest.size() <= sign) {
        return false;
    }
    const char next = rest[sign];
    if (IsDigit(next) || next == '.') {
        return true;
    }
    if (sign == 1 && (rest.front() == '<' || rest.front() == '>') && next == ' ') {
        const auto word = rest.find_first_not_of(' ', 1);
        return word != std::string_view::npos && IsDigit(rest[word]);
    }
    return false;
}

} // namespace

ResultLineParts ReadResultLine(std::string_view line)
{
    ResultLineParts parts;
    if (line.find("Date:") != std::string_view::npos && line.find('/') != std::string_view::npos) {
        parts.date = TextAfter(line, ':');
    }
    if (line.find("EquipmentID") != std::string_view::npos) {
        parts.equipmentId = TextAfter(line, ':');
    }
    if (line.find('.') != std::string_view::npos) {
        parts.value = TextAfter(line, '.');
    }
    return parts;
}

ResultsTable::ResultsTable() : m_records(kInitialRecords)
{
}

ResultsTable ResultsTable::Copy() const
{
    ResultsTable copy;
    copy.m_records = m_records;
    for (Record& record : copy.m_records) {
        for (std::string_view& value : record.values) {
            value = copy.m_valueTexts.Store(value); // the copy's views point into its own blocks
        }
    }
    copy.m_texts = m_texts;
    copy.m_textIndex = m_textIndex;
    copy.m_idText = m_idText;
    copy.m_dateText = m_dateText;
    copy.m_announced = m_announced;
    copy.m_recordIndex = m_recordIndex;
    copy.m_valueIndex = m_valueIndex;
    copy.m_currentEquipmentId = m_currentEquipmentId;
    copy.m_previousEquipmentId = m_previousEquipmentId;
    copy.m_currentDate = m_currentDate;
    return copy;
}

std::uint32_t ResultsTable::Intern(const std::string& text)
{
    const auto [it, added] = m_textIndex.try_emplace(text, static_cast<std::uint32_t>(m_texts.size()));
    if (added) {
        m_texts.push_back(text);
    }
    return it->second;
}

ResultsTable::Record& ResultsTable::RecordAt(int index)
{
    if (index >= static_cast<int>(m_records.size())) {
        m_records.resize(static_cast<std::size_t>(index) + 1);
    }
    return m_records[static_cast<std::size_t>(index)];
}

void ResultsTable::Announce(EquipmentIdSelector& selector)
{
    m_announced.push_back(m_recordIndex);
    selector.SetSelectorCaption("Select Equipment ID");
    selector.AddSelectorItem(m_currentEquipmentId);
    selector.SetSelectorCurrent(0);
}

void ResultsTable::ParseResultLine(EquipmentIdSelector& selector, std::string_view line)
{
    const ResultLineParts parts = ReadResultLine(line);

    // Stored as printed, leading blanks included ("Date: 03/14/2015" → " 03/14/2015").
    if (parts.date) {
        m_currentDate = std::string(*parts.date);
    }
    if (parts.equipmentId) {
        m_currentEquipmentId = std::string(*parts.equipmentId);
    }

    // An ID line with nothing after it ("EquipmentID:") is a device whose ID
    // was not entered: a record of its own, listed under the empty text, so
    // that neither its readings nor the next device's are filed elsewhere.
    if (parts.equipmentId && m_announced.empty()) {
        // The first ID of a capture names the record already being filled.
        Announce(selector);
    } else if (m_currentEquipmentId != m_previousEquipmentId) {
        ++m_recordIndex;
        m_valueIndex = 0;
        Announce(selector);
    }
    m_previousEquipmentId = m_currentEquipmentId;

    // Every line refreshes the record, so it carries the latest date seen.
    Record& record = RecordAt(m_recordIndex);
    if (Text(m_idText) != m_currentEquipmentId) {
        m_idText = Intern(m_currentEquipmentId);
    }
    if (Text(m_dateText) != m_currentDate) {
        m_dateText = Intern(m_currentDate);
    }
    record.equipmentId = m_idText;
    record.date = m_dateText;

    if (parts.value) {
        const auto slot = static_cast<std::size_t>(m_valueIndex);
        if (record.values.size() <= slot) {
            record.values.resize(slot + 1);
        }
        record.values[slot] = m_valueTexts.Store(*parts.value);
        ++m_valueIndex;
    }
}

int ResultsTable::RecordForSelectorItem(int item, const std::string& itemText) const
{
    const int count = RecordCapacity();
    if (item >= 0 && item < static_cast<int>(m_announced.size())) {
        const int announced = m_announced[static_cast<std::size_t>(item)];
        if (announced < count && EquipmentId(announced) == itemText) {
            return announced;
        }
    }
    for (int r = 0; r < count; ++r) {
        if (EquipmentId(r) == itemText) {
            return r;
        }
    }
    return -1;
}

void ResultsTable::FillReadingList(const EquipmentIdSelector& selector, ReadingListView& list) const
{
    const int sel = selector.SelectorCurrent();
    if (sel < 0 || sel >= selector.SelectorCount()) {
        return;
    }
    const int r = RecordForSelectorItem(sel, selector.SelectorItemText(sel));
    if (r < 0) {
        // No record carries the ID: nothing to list and nothing to document.
        return;
    }
    const int count = ValueCount(r);
    for (int i = 0; i < count; ++i) {
        const auto split = SplitReading(Value(r, i));
        list.InsertReadingRow(i, std::to_string(i + 1), split.testName, split.reading);
    }
    list.EnableDataSheet();
}

SplitReadingResult ResultsTable::SplitReading(std::string_view value)
{
    std::size_t start = 0;
    while (start < value.size() && IsLeadingSpace(value[start])) {
        ++start;
    }
    const std::string_view s = value.substr(start);

    // Each try drops the first word of what is left and looks at the next one,
    // so the first word is never the reading and two blanks in a row cost a try.
    std::string_view rest = s;
    for (int tries = 0; tries < 80; ++tries) {
        const auto blank = rest.find(' ');
        if (blank == std::string_view::npos) {
            break; // nothing more to cut
        }
        rest = rest.substr(blank + 1);
        if (StartsReading(rest)) {
            return {std::string(s.substr(0, s.size() - rest.size() - 1)), std::string(rest)};
        }
    }

    // No reading found: the whole value is the test name, never the texts of
    // another row.
    std::size_t end = s.size();
    while (end > 0 && IsLeadingSpace(s[end - 1])) {
        --end;
    }
    return {std::string(s.substr(0, end)), std::string()};
}

void ResultsTable::ClearResults()
{
    m_recordIndex = 0;
    m_valueIndex = 0;
    for (auto& record : m_records) {
        record.equipmentId = 0;
        record.values.clear();
    }
    m_valueTexts.Clear();
    m_previousEquipmentId.clear();
    m_currentEquipmentId.clear();
    m_announced.clear();
}

void ResultsTable::ResetCounters()
{
    m_recordIndex = 0;
    m_valueIndex = 0;
}

const std::string& ResultsTable::EquipmentId(int record) const
{
    return record >= 0 && record < RecordCapacity() ? Text(m_records[static_cast<std::size_t>(record)].equipmentId)
                                                    : kEmpty;
}

const std::string& ResultsTable::Date(int record) const
{
    return record >= 0 && record < RecordCapacity() ? Text(m_records[static_cast<std::size_t>(record)].date) : kEmpty;
}

std::string_view ResultsTable::Value(int record, int n) const
{
    if (record < 0 || record >= RecordCapacity() || n < 0) {
        return {};
    }
    const auto& values = m_records[static_cast<std::size_t>(record)].values;
    return static_cast<std::size_t>(n) < values.size() ? values[static_cast<std::size_t>(n)] : std::string_view();
}

int ResultsTable::ValueSlots(int record) const
{
    if (record < 0 || record >= RecordCapacity()) {
        return kValuesPerRecord;
    }
    return std::max(kValuesPerRecord, static_cast<int>(m_records[static_cast<std::size_t>(record)].values.size()));
}

int ResultsTable::ValueCount(int record) const
{
    // An empty value ("6." with nothing after the full stop) is a value like
    // any other: the record goes on to its last one.
    if (record < 0 || record >= RecordCapacity()) {
        return 0;
    }
    return static_cast<int>(m_records[static_cast<std::size_t>(record)].values.size());
}

} // namespace tessaprint
