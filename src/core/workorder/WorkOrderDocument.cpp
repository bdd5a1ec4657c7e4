#include "workorder/WorkOrderDocument.h"

#include "docs/ColumnFit.h"
#include "docs/DocumentEngine.h"
#include "docs/RecordParts.h"
#include "docs/RecordStyle.h"
#include "results/ReportsFolder.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace tessaprint {

namespace {

using docs::WordApplication;

constexpr std::uint32_t kHeadingShading = 11776947; // grey, red = green = blue = 179
constexpr double kHeadingRowHeight = 20;            // exactly one line of heading size
// At least 20 points: a date, a header or a description never loses a line.
constexpr double kResultsRowHeight = 20;

// Characters, not bytes: a name with an accent lines up like any other.
std::size_t CharacterCount(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string Tabs(std::size_t length, std::size_t a, std::size_t b, int atMostA)
{
    const int count = length <= a ? atMostA : length <= b ? atMostA - 1 : atMostA - 2;
    return std::string(static_cast<std::size_t>(count), '\t');
}

// A grey one-cell heading; it stays on the page of the first line after it.
void Heading(WordApplication& word, const std::string& title)
{
    docs::AddLinedTable(word, 1, 1, docs::TableHeading::None, true);
    word.SetRowHeight(kHeadingRowHeight, docs::kRowHeightExactly);
    word.SetFontSize(docs::kHeadingSize);
    word.ToggleBold();
    word.SetAlignment(docs::kAlignCentre);
    word.WriteText(title);
    word.SelectTable(1);
    word.SetTableShadingForeground(docs::kColourAutomatic);
    word.SetTableShadingBackground(kHeadingShading);
    word.MoveDown();
    word.SetKeepWithNext(true);
    word.NewParagraph();
    word.SetKeepWithNext(false);
}

void WriteLine(WordApplication& word, const std::string& text)
{
    word.WriteText(text);
    word.NewParagraph();
}

// After a blank line, the equipment's identification, place, inspections and warranty.
void WriteEquipmentData(WordApplication& word, const WorkOrderRecord& r)
{
    const auto f = [&r](const char* key) { return r.Field(key); };
    word.NewParagraph();
    Heading(word, "Equipment Data");
    word.SetFontName(docs::kRecordFont);
    WriteLine(word, "Control #: " + f("szWorkOrderControlNumber") +
                        "\t\t\t\t\t\t\tDescription: " + f("szWorkOrderDescription"));
    WriteLine(word, ManufacturerLine(f("szWorkOrderManufacturer"), f("szWorkOrderModelNumber")));
    WriteLine(word, SerialLine(f("szWorkOrderSerialNumber"), f("szWorkOrderStatus")));
    WriteLine(word, "Work Order PO #: " + f("szWorkOrderPONumber"));
    WriteLine(word, "Facility: " + f("szWorkOrderFacility"));
    WriteLine(word, "Department: " + f("szWorkOrderDepartment"));
    WriteLine(word, LocationLine(f("szWorkOrderLocation"), f("szWorkOrderSystem")));
    WriteLine(word, "Floor: " + f("szWorkOrderFloor") + "\t\t\tRoom #: " + f("szWorkOrderRoomNumber") +
                        "\t\t\tBuilding: " + f("szWorkOrderBuilding"));
    WriteLine(word, "Risk Priority: " + f("szWorkOrderRiskPriority") + "\t\tLast Seen: " + f("szWorkOrderLastSeen") +
                        "\tFixed Inspections: Next: " + f("szWorkOrderNext") +
                        "\tLast: " + f("szWorkOrderFixedInspections"));
    WriteLine(word, "Type: " + f("szWorkOrderType"));
    WriteLine(word, "Warranty Expires: " + f("szWorkOrderWarrantyExpires") + "\t\tParts: " + f("szWorkOrderParts") +
                        "\t\tLabor: " + f("szWorkOrderLabor"));
}

// After a blank line, what was asked for, by whom and by when.
void WriteWorkOrderData(WordApplication& word, const WorkOrderRecord& r)
{
    const auto f = [&r](const char* key) { return r.Field(key); };
    word.NewParagraph();
    Heading(word, "Work Order Data");
    word.SetFontName(docs::kRecordFont);
    WriteLine(word,
              "Work Order type: " + f("szWorkOrderWorkOrderType") + "\t\tRequested On: " + f("szWorkOrderRequestedOn"));
    WriteLine(word, "Due: " + f("szWorkOrderDue"));
    word.SetFontName(docs::kRecordFont);
    WriteLine(word,
              "Person Requesting: " + f("szWorkOrderPersonRequesting") + "\t\t\t\tPhone: " + f("szWorkOrderPhone"));
    WriteLine(word, "Service Requested: " + f("szWorkOrderServiceRequested"));
}

// One line for each service entry: its date, then its description.
void WriteServiceInformation(WordApplication& word, const WorkOrderRecord& r)
{
    Heading(word, "Equipment Service Information");
    for (const auto& entry : r.service) {
        if (entry.empty()) {
            continue; // an empty slot ends nothing that follows it
        }
        std::string rest = entry;
        const std::string date = SplitOff(rest);
        WriteLine(word, date + "\t\t" + rest);
    }
}

// The ten columns: header, the width the layout gives it in inches (0: what
// the new table gave it, a tenth of the page's text width).
struct ResultsColumn {
    const char* header;
    double inches;
};
constexpr std::array<ResultsColumn, 10> kResultsColumns = {{{"Date", 0.9},
                                                            {"Tech", 0.6},
                                                            {"Verb", 0.6},
                                                            {"Noun", 0.6},
                                                            {"Minutes", 0},
                                                            {"R", 0.4},
                                                            {"Part#", 0},
                                                            {"Qty", 0.5},
                                                            {"Unit Cost", 0.9},
                                                            {"Description", 1.2}}};
constexpr std::size_t kDateColumn = 0;
// Any date as the form gives it: the figures are all equally wide.
constexpr const char* kWidestDate = "00/00/0000";

// The ten pieces of a results entry, split at its ';' as its row shows them.
std::array<std::string, 10> ResultsPieces(const std::string& entry)
{
    std::array<std::string, 10> pieces;
    std::string rest = entry;
    for (std::size_t piece = 0; piece < 9; ++piece) {
        pieces[piece] = SplitOff(rest);
    }
    pieces[9] = rest;
    return pieces;
}

// The columns within the page in the layout's proportions, each holding its
// header's words and a date whole, and the words of the entries below it as
// far as the page allows. Every cell is bold text size.
std::vector<double> ResultsColumnWidths(WordApplication& word, const std::vector<std::string>& entries)
{
    const double textWidth = docs::TextWidthPt(word);
    std::vector<docs::ColumnFit> columns;
    for (std::size_t c = 0; c < kResultsColumns.size(); ++c) {
        std::vector<std::string> fixed = {kResultsColumns[c].header};
        if (c == kDateColumn) {
            fixed.emplace_back(kWidestDate);
        }
        std::vector<std::string> written;
        for (const auto& entry : entries) {
            written.push_back(ResultsPieces(entry)[c]);
        }
        docs::ColumnFit column;
        column.preferredPt = kResultsColumns[c].inches > 0 ? word.InchesToPoints(kResultsColumns[c].inches)
                                                           : textWidth / kResultsColumns.size();
        column.fixedPt = docs::CellWidthForWords(fixed, docs::kTextSize, true);
        column.entriesPt = docs::CellWidthForWords(written, docs::kTextSize, true);
        columns.push_back(column);
    }
    return docs::FitColumns(columns, textWidth);
}

// From the first row's start: the ten column headers, each column given its
// width first; back at the start of the header row.
void WriteResultsHeaderRow(WordApplication& word, const std::vector<double>& widths)
{
    word.HomeOfRow(docs::kUnitRow);
    for (std::size_t c = 0; c < kResultsColumns.size(); ++c) {
        word.SelectColumn();
        word.SetColumnWidth(widths[c], docs::kColumnWidthPoints);
        word.WriteText(kResultsColumns[c].header);
        if (c + 1 < kResultsColumns.size()) {
            word.MoveRight(docs::kUnitCharacter);
        }
    }
    word.HomeOfRow(docs::kUnitRow);
}

// One results entry across the ten cells of a row, then down one row.
void ResultsRow(WordApplication& word, const std::string& entry)
{
    if (!entry.empty()) {
        const std::array<std::string, 10> pieces = ResultsPieces(entry);
        for (std::size_t piece = 0; piece < pieces.size(); ++piece) {
            word.WriteText(pieces[piece]);
            if (piece + 1 < pieces.size()) {
                word.MoveRight(docs::kUnitCharacter);
            }
        }
        word.HomeOfRow(docs::kUnitRow);
    }
    word.MoveDown();
}

// A table of the header row and the first two results entries, rows at
// least one line high; the walk leaves the table after the second entry's row.
void WriteResults(WordApplication& word, const WorkOrderRecord& r)
{
    Heading(word, "Results");
    std::vector<std::string> written;
    for (const std::size_t slot : {0, 1}) {
        if (!r.results[slot].empty()) {
            written.push_back(r.results[slot]);
        }
    }
    const std::vector<double> widths = ResultsColumnWidths(word, written);
    docs::AddLinedTable(word, 3, 10, docs::TableHeading::FirstRow);
    word.SetRowHeight(kResultsRowHeight, docs::kRowHeightAtLeast);
    // Every cell in bold, centred text size.
    word.SetFontSize(docs::kTextSize);
    word.ToggleBold();
    word.SetAlignment(docs::kAlignCentre);
    WriteResultsHeaderRow(word, widths);
    word.MoveDown();
    // Slot 0 in row 2 and slot 1 in row 3, each moving down one row.
    ResultsRow(word, r.results[0]);
    ResultsRow(word, r.results[1]);
}

// After a blank line, a tick box before each check; the signature stays on
// the page of the last one.
void WriteChecks(WordApplication& word, const WorkOrderRecord& r)
{
    word.NewParagraph();
    Heading(word, "Checks");
    const auto last = std::find_if(r.checks.rbegin(), r.checks.rend(), [](const auto& c) { return !c.empty(); });
    const auto lastCheck = last == r.checks.rend() ? r.checks.end() : std::prev(last.base());
    for (auto check = r.checks.begin(); check != r.checks.end(); ++check) {
        if (check->empty()) {
            continue;
        }
        if (check == lastCheck) {
            word.SetKeepWithNext(true);
        }
        WriteLine(word, "[  ] " + *check);
    }
}

// Four blank lines kept with the signature and date line below them.
void WriteSignature(WordApplication& word)
{
    word.SetKeepWithNext(true);
    for (int i = 0; i < 4; ++i) {
        word.NewParagraph();
    }
    word.WriteText("[  ]     Signature" + std::string(47, '_') + "  Date" + std::string(13, '_'));
    word.NewParagraph();
}

} // namespace

std::string ManufacturerLine(const std::string& manufacturer, const std::string& model)
{
    return "Manufacturer: " + manufacturer + Tabs(CharacterCount(manufacturer), 6, 13, 6) + "Model#: " + model;
}

std::string SerialLine(const std::string& serial, const std::string& status)
{
    return "Serial #: " + serial + Tabs(CharacterCount(serial), 6, 11, 7) + "Status: " + status;
}

std::string LocationLine(const std::string& location, const std::string& system)
{
    return "Location: " + location + Tabs(CharacterCount(location), 5, 10, 7) + "System: " + system;
}

Result<std::string> WriteWorkOrderDocument(const WorkOrderRecord& record, const std::string& reportsFolder,
                                           int word2007, const std::optional<std::tm>& localTime)
{
    const std::string stamp = localTime ? FormatFileStamp(*localTime) : "Invalid DateTime";
    const std::string company = FileNamePart(record.Field("szWorkOrderCompany"));
    // With no company the name is "Work-Order-" and the stamp.
    const Result<ReportPath> path = company.empty()
                                        ? MakeReportPath(reportsFolder, "Work-Order-" + stamp, "", "docx")
                                        : MakeReportPath(reportsFolder, company, "-Work-Order-" + stamp, "docx");
    if (!path) {
        // The box has always named a path it could not make an invalid name.
        return Error{kErrorInvalidName, path.error().message};
    }
    docs::DocumentEngine word;
    const Result<void> run = docs::RunDocument(
        word, word2007, WorkOrderDocumentSpec(record),
        [&record](docs::WordApplication& w) { BuildWorkOrderDocument(w, record); }, PathToUtf8(path.value().base));
    if (!run) {
        return run.error();
    }
    return word.FullName();
}

docs::DocumentSpec WorkOrderDocumentSpec(const WorkOrderRecord& record)
{
    docs::DocumentSpec spec;
    spec.companyLine = record.Field("szWorkOrderCompany");
    spec.title = "Work Order #: " + record.Field("szWorkOrderNumber");
    spec.boldHeader = true;
    spec.headerSize = docs::kPageHeaderSize;
    spec.footer = docs::DocumentSpec::Footer::PageNumber;
    return spec;
}

void BuildWorkOrderDocument(WordApplication& word, const WorkOrderRecord& record)
{
    WriteEquipmentData(word, record);
    WriteWorkOrderData(word, record);
    WriteServiceInformation(word, record);
    WriteResults(word, record);
    WriteChecks(word, record);
    WriteSignature(word);
}

} // namespace tessaprint
