#include "docs/DataSheet.h"

#include "docs/RecordParts.h"

#include "results/ReportsFolder.h"

#include <cstdio>
#include <filesystem>

namespace tessaprint::docs {

namespace {

const std::string kEmpty;

} // namespace

const std::string& PacemakerRows::Field(int f, int k) const
{
    if (k < 0 || k >= static_cast<int>(entries.size()) || f < 1 || f > fieldCount) {
        return kEmpty;
    }
    return entries[static_cast<std::size_t>(k)][static_cast<std::size_t>(f - 1)];
}

std::vector<std::string> SplitPacemakerReading(const std::string& reading, int fieldCount)
{
    std::vector<std::string> fields;
    WordCursor cursor(reading);
    for (int f = 1; f <= fieldCount; ++f) {
        fields.push_back(f < fieldCount ? cursor.TakePair() : cursor.TakeWithRest());
    }
    return fields;
}

std::string FormatRecordDate(const std::tm& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d/%02d/%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
    return text;
}

DataSheetDispatch::DataSheetDispatch(ResultsTable& results, WordApplication& word, const Clock& clock)
    : m_results(results), m_word(word), m_clock(clock)
{
}

void DataSheetDispatch::Classify(const ListRow& row, std::size_t listRow)
{
    PacemakerRows* kind = nullptr;
    if (row.testName == "ATR") {
        kind = &m_tables.atr;
    } else if (row.testName == "Vent") {
        kind = &m_tables.vent;
    } else if (row.testName == "Trans") {
        kind = &m_tables.trans;
    } else if (row.testName == "AVD") {
        kind = &m_tables.avd;
    }
    if (kind) {
        kind->entries.push_back(SplitPacemakerReading(row.reading, kind->fieldCount));
        kind->listRows.push_back(listRow);
        ++kind->count;
    }
}

DataSheetRequest MakeDataSheetRequest(const ShownReadings& shown, const EquipmentIdSelector& selector,
                                      std::optional<InstrumentKind> checkedKind, std::string reportsFolder,
                                      int word2007)
{
    DataSheetRequest request;
    request.checkedKind = checkedKind;
    for (int row = 0; row < shown.ReadingRowCount(); ++row) {
        request.rows.push_back(
            {shown.ReadingRowText(row, 0), shown.ReadingRowText(row, 1), shown.ReadingRowText(row, 2)});
    }
    request.selectorCurrent = selector.SelectorCurrent();
    request.selectorItemText = selector.SelectorItemText(request.selectorCurrent);
    request.reportsFolder = std::move(reportsFolder);
    request.word2007 = word2007;
    return request;
}

InstrumentKind DataSheetKind(const DataSheetRequest& request)
{
    if (request.checkedKind == InstrumentKind::Kappa5100) {
        return InstrumentKind::Kappa5100;
    }
    return request.checkedKind == InstrumentKind::Pactrx ? InstrumentKind::Pactrx : InstrumentKind::Quellmax;
}

verdict::RecordVerdict JudgeDataSheetRows(const verdict::VerdictEngine& engine, const DataSheetRequest& request)
{
    std::vector<verdict::ReadingRow> rows;
    rows.reserve(request.rows.size());
    for (const ListRow& row : request.rows) {
        rows.push_back({row.item, row.testName, row.reading});
    }
    return engine.JudgeRecord(DataSheetKind(request), request.selectorItemText, rows);
}

Result<DataSheetDocument> DataSheetDispatch::OnDataSheet(const DataSheetRequest& request)
{
    const InstrumentKind kind = DataSheetKind(request);
    const bool byRecord = kind != InstrumentKind::Quellmax;
    const int sel = request.selectorCurrent;
    if (byRecord) {
        // The record the list shows for the chosen item.
        m_tables.selectedRecord = sel < 0 ? -1 : m_results.RecordForSelectorItem(sel, request.selectorItemText);
    }
    if (kind == InstrumentKind::Pactrx) {
        for (PacemakerRows* rows : {&m_tables.atr, &m_tables.vent, &m_tables.trans, &m_tables.avd}) {
            rows->count = 0;
            rows->entries.clear(); // no entry of an earlier record can show up in this one
            rows->listRows.clear();
        }
    }

    // Whole texts, every row: nothing is cut to a buffer's size.
    const std::size_t size = std::max<std::size_t>(DataSheetTables::kListSize, request.rows.size() + 1);
    m_tables.listTestNames.assign(size, std::string());
    m_tables.listReadings.assign(size, std::string());
    for (std::size_t i = 0; i < request.rows.size(); ++i) {
        m_tables.listTestNames[i] = request.rows[i].testName;
        m_tables.listReadings[i] = request.rows[i].reading;
        if (kind == InstrumentKind::Pactrx) {
            Classify(request.rows[i], i);
        }
    }
    m_tables.listVerdicts.clear();
    if (request.verdict) {
        m_tables.listVerdicts = request.verdict->readings;
    }

    if (sel >= 0) {
        m_results.SetCurrentEquipmentId(request.selectorItemText);
        if (byRecord) {
            m_results.SetCurrentDate(m_results.Date(m_tables.selectedRecord));
        }
    }
    if (byRecord && sel >= 0) {
        // A record without a date takes that of one of the two records before it.
        const int record = m_tables.selectedRecord;
        if (m_results.currentDate().empty() && record > 0) {
            m_results.SetCurrentDate(m_results.Date(record - 1));
        }
        if (m_results.currentDate().empty() && record > 1) {
            m_results.SetCurrentDate(m_results.Date(record - 2));
        }
    }

    const std::optional<std::tm> now = m_clock.LocalTime();
    const std::string stamp = now ? FormatFileStamp(*now) : "Invalid DateTime";

    const std::string id = FileNamePart(m_results.currentEquipmentId());
    // With no ID at all the name is the hyphen and the stamp.
    const Result<ReportPath> path = id.empty() ? MakeReportPath(request.reportsFolder, "-" + stamp, "", "docx")
                                               : MakeReportPath(request.reportsFolder, id, "-" + stamp, "docx");
    if (!path) {
        // The box has always named a path it could not make an invalid name.
        return Error{kErrorInvalidName, path.error().message};
    }
    // The save adds the extension, and a copy number when the name is taken.
    m_reportPath = PathToUtf8(path.value().base);

    if (byRecord && m_results.currentDate().empty()) {
        m_results.SetCurrentDate(now ? FormatRecordDate(*now) : "Invalid DateTime");
    }

    DocumentSpec spec;
    std::function<void(WordApplication&)> body;
    switch (kind) {
    case InstrumentKind::Quellmax:
        spec = ElectricalSafetyRecordSpec();
        body = [this](WordApplication& word) { BuildElectricalSafetyRecord(word, m_tables, m_results); };
        break;
    case InstrumentKind::Kappa5100:
        spec = DefibrillatorRecordSpec();
        body = [this](WordApplication& word) { BuildDefibrillatorRecord(word, m_tables, m_results); };
        break;
    case InstrumentKind::Pactrx:
        spec = PacemakerRecordSpec();
        body = [this](WordApplication& word) { BuildPacemakerRecord(word, m_tables, m_results); };
        break;
    }
    if (Result<void> run = RunDocument(m_word, request.word2007, spec, body, m_reportPath); !run) {
        return run.error();
    }
    return DataSheetDocument{kind, m_word.FullName()};
}

} // namespace tessaprint::docs
