#include "docs/ColumnFit.h"
#include "docs/DataSheet.h"
#include "docs/RecordParts.h"
#include "docs/RecordStyle.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tessaprint::docs {

namespace {

constexpr const char* kEnDash = "\u2013";
constexpr const char* kEllipsis = "\u2026";
constexpr int kNoRow = 9999;

// The four columns of every table of readings, in inches: what was measured,
// its value, pass or fail, comments.
constexpr double kNameColumnInches = 2.5;
constexpr double kValueColumnInches = 1.8;
constexpr double kPassFailColumnInches = 1.0;
constexpr double kCommentsColumnInches = 1.5;
// At least one line of label-size text; a long test name or reading takes a second line.
constexpr double kReadingRowHeight = 20;

std::string Repeat(std::string_view piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

// The keywords of the two measurement tables.
const std::vector<std::string_view> kTableAKeywords = {"Case Leakage", "Leads Leakage", "Isolation Leakage",
                                                       "Resistance", "Device Current"};
const std::vector<std::string_view> kTableBKeywords = {"External Leakage"};

// How one table of readings looks: the first column's header, whether the
// header cells name the font, and whether a table without readings keeps an
// empty row to write in by hand.
struct MeasurementTable {
    std::string_view firstHeader;
    bool fontInHeader = false;
    bool spareRow = false;
};

constexpr MeasurementTable kAcPoweredTable = {"Leakage Measurement", false, false};
constexpr MeasurementTable kNonAcPoweredTable = {"External Measurement", true, true};
constexpr MeasurementTable kOtherTable = {"Measurement", true, false};

bool HoldsAny(const std::string& name, const std::vector<std::string_view>& keywords)
{
    return std::any_of(keywords.begin(), keywords.end(),
                       [&name](std::string_view keyword) { return name.find(keyword) != std::string::npos; });
}

// The rows of the shown list whose test name holds one of the keywords, each
// once; rows without a test name are passed over.
std::vector<int> MatchingRows(const DataSheetTables& tables, const std::vector<std::string_view>& keywords)
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < tables.listTestNames.size(); ++i) {
        const std::string& name = tables.listTestNames[i];
        // An empty value's row has nothing to print, and ends nothing.
        if (!name.empty() && HoldsAny(name, keywords)) {
            rows.push_back(static_cast<int>(i));
        }
    }
    return rows;
}

// The rows neither measurement table takes ("Line Voltage", "Battery
// Voltage"): they are readings too, and go on the page in a table of their own.
std::vector<int> OtherRows(const DataSheetTables& tables)
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < tables.listTestNames.size(); ++i) {
        const std::string& name = tables.listTestNames[i];
        if (!name.empty() && !HoldsAny(name, kTableAKeywords) && !HoldsAny(name, kTableBKeywords)) {
            rows.push_back(static_cast<int>(i));
        }
    }
    return rows;
}

// A new table with every line single, set in one go; the whole table is left selected.
void AddGridTable(WordApplication& word, int rows, int columns, TableHeading heading)
{
    word.AddTable(rows, columns);
    KeepTableTogether(word, heading);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, kLineStyleSingle);
}

// The four columns within the page, in their proportions, each holding the
// words of its header (bold, heading size) and of the test names and readings
// written below it whole.
std::vector<double> FourColumnWidths(WordApplication& word, const std::array<std::string_view, 4>& headers,
                                     const std::vector<std::string>& names, const std::vector<std::string>& readings,
                                     const std::vector<std::string>& comments)
{
    const std::array<double, 4> inches = {kNameColumnInches, kValueColumnInches, kPassFailColumnInches,
                                          kCommentsColumnInches};
    std::vector<ColumnFit> columns;
    for (std::size_t c = 0; c < 4; ++c) {
        ColumnFit column;
        column.preferredPt = word.InchesToPoints(inches[c]);
        column.fixedPt = CellWidthForWords({std::string(headers[c])}, kHeadingSize, true);
        column.entriesPt = c == 0                        ? CellWidthForWords(names, kLabelSize, false)
                           : c == 1                      ? CellWidthForWords(readings, kLabelSize, false)
                           : c == 3 && !comments.empty() ? CellWidthForWords(comments, kLabelSize, false)
                                                         : 0;
        columns.push_back(column);
    }
    return FitColumns(columns, TextWidthPt(word));
}

// Back in the first cell, the headers in bold heading size, one a cell.
void WriteHeaderRow(WordApplication& word, const std::array<std::string_view, 4>& headers, bool fontInHeader)
{
    for (int i = 0; i < 4; ++i) {
        word.MoveLeft(kUnitCharacter);
    }
    for (std::size_t h = 0; h < headers.size(); ++h) {
        word.ToggleBold();
        if (fontInHeader) {
            word.SetFontName(kRecordFont);
        }
        word.SetFontSize(kHeadingSize);
        word.WriteText(std::string(headers[h]));
        if (h + 1 < headers.size()) {
            word.MoveRight(kUnitCharacter);
        }
    }
    word.ToggleBold();
}

// A four-column table: single lines, rows of at least one line, the column
// widths, the comments column in label size, then the bold header row, which
// repeats on every page the table spans.
void WriteFourColumnTable(WordApplication& word, int rows, const std::array<std::string_view, 4>& headers,
                          bool fontInHeader, const std::vector<std::string>& names = {},
                          const std::vector<std::string>& readings = {}, const std::vector<std::string>& comments = {})
{
    const std::vector<double> widths = FourColumnWidths(word, headers, names, readings, comments);
    AddGridTable(word, rows, 4, TableHeading::FirstRow);
    word.SetRowHeight(kReadingRowHeight, kRowHeightAtLeast);
    SetColumnWidths(word, widths);
    word.SetFontSize(kLabelSize);
    word.SetAlignment(kAlignLeft);
    WriteHeaderRow(word, headers, fontInHeader);
}

// With verdicts, what a reading's Pass / Fail cell says: only a pass or a
// fail; anything else is left for the pen.
std::string PassFailText(const verdict::ReadingVerdict& v)
{
    switch (v.outcome) {
    case verdict::Outcome::Pass:
        return "Pass";
    case verdict::Outcome::Fail:
        return "Fail";
    default:
        return {};
    }
}

// With verdicts, what a reading's Comments cell says: the limit it was
// judged by, or why it could not be judged (so the technician knows what to
// look at); nothing for a reading no limit covers.
std::string CommentText(const verdict::ReadingVerdict& v)
{
    switch (v.outcome) {
    case verdict::Outcome::Pass:
    case verdict::Outcome::Fail:
        return v.limit;
    case verdict::Outcome::Unreadable:
        return v.why.empty() ? "Unreadable" : "Unreadable: " + v.why;
    case verdict::Outcome::NotJudged:
        return v.why.empty() ? "Not judged" : "Not judged: " + v.why;
    case verdict::Outcome::NoLimit:
        break;
    }
    return {};
}

// Writes a text in the record font and label size, as every entry of a reading row.
void WriteEntry(WordApplication& word, const std::string& text)
{
    word.SetFontName(kRecordFont);
    word.SetFontSize(kLabelSize);
    word.WriteText(text);
}

// One reading a row: its test name and its reading in label size; pass or
// fail and comments are left for the pen, unless verdicts fill them.
void WriteMeasurementTable(WordApplication& word, const DataSheetTables& tables, const MeasurementTable& table,
                           std::vector<int> rows)
{
    int rowCount = static_cast<int>(rows.size()) + 1;
    const bool spare = table.spareRow && rows.empty();
    if (spare) {
        rowCount = 2; // an empty row to write in by hand
        rows.push_back(kNoRow);
    }
    std::vector<std::string> names;
    std::vector<std::string> readings;
    std::vector<std::string> comments;
    for (const int i : rows) {
        if (i != kNoRow) {
            names.push_back(tables.listTestNames[static_cast<std::size_t>(i)]);
            readings.push_back(tables.listReadings[static_cast<std::size_t>(i)]);
            if (const verdict::ReadingVerdict* v = tables.VerdictOf(static_cast<std::size_t>(i))) {
                comments.push_back(CommentText(*v));
            }
        }
    }
    WriteFourColumnTable(word, rowCount, {table.firstHeader, "Measured Value", "Pass / Fail", "Comments"},
                         table.fontInHeader, names, readings, comments);
    word.MoveDown();
    for (int i = 0; i < 3; ++i) {
        word.MoveLeft(kUnitCharacter);
    }
    for (int k = 0; k + 1 < rowCount; ++k) {
        const int i = rows[static_cast<std::size_t>(k)];
        if (i == kNoRow) {
            continue;
        }
        WriteEntry(word, tables.listTestNames[static_cast<std::size_t>(i)]);
        word.MoveRight(kUnitCharacter);
        WriteEntry(word, tables.listReadings[static_cast<std::size_t>(i)]);
        const verdict::ReadingVerdict* v = tables.VerdictOf(static_cast<std::size_t>(i));
        if (v) {
            word.MoveRight(kUnitCharacter);
            WriteEntry(word, PassFailText(*v));
            word.MoveRight(kUnitCharacter);
            WriteEntry(word, CommentText(*v));
        }
        word.MoveDown();
        word.MoveLeft(kUnitCharacter);
        if (v && k + 2 < rowCount) {
            // From the comments cell of the row below back to its first cell;
            // below the last row, the one step left is back in the table.
            word.MoveLeft(kUnitCharacter);
            word.MoveLeft(kUnitCharacter);
        }
    }
    word.MoveDown();
    if (spare) {
        word.MoveDown();
    }
}

// A heading stays on the page of the table it introduces.
void WriteHeading(WordApplication& word, const std::string& heading)
{
    word.NewParagraph();
    word.ToggleBold();
    for (int i = 0; i < 3; ++i) {
        word.NewParagraph();
    }
    word.SetFontName(kRecordFont);
    word.SetFontSize(kHeadingSize);
    word.SetKeepWithNext(true);
    word.WriteText(heading);
    word.ToggleBold();
    word.NewParagraph();
    word.SetKeepWithNext(false);
}

// Five rows of bold labels: the testing person beside the service choices,
// the organization across the table, the equipment beside its ID, its type
// beside its class, the accessories across the table. Ends below the table
// after a blank line.
void WriteIdentificationTable(WordApplication& word, const ResultsTable& results)
{
    word.MoveDown();
    word.SetFontSize(kHeadingSize); // the table goes into a paragraph of heading size
    AddGridTable(word, 5, 2, TableHeading::None);
    word.SetRowHeight(kIdentificationRowHeight, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(kLabelSize);
    word.SetAlignment(kAlignLeft);
    WriteLabelPair(word, "Testing Organization:", "Name of Testing Person:");
    word.MoveRight(kUnitCharacter);
    WriteServiceChoicesCell(word, kLabelSize, [&word](bool) { WriteBoldRecordCircle(word); });

    word.MoveDown();
    WriteMergedRow(word, "Name of Organization:");

    word.MoveDown();
    TypeInRecordFont(word, "Equipment Name:");
    word.NewParagraph();
    word.MoveRight(kUnitCharacter);
    WriteEquipmentIdCell(word, "Equipment ID: ", results.currentEquipmentId());

    word.MoveDown();
    word.MoveLeft(kUnitCharacter);
    word.NewParagraph();
    TypeInRecordFont(word, "Equipment Type:");
    word.MoveRight(kUnitCharacter);
    TypeInRecordFont(word, "Equipment Class:   I    II");
    word.NewParagraph();
    word.WriteText("Battery (operated): Yes  No");

    word.MoveDown();
    WriteMergedRow(word, "Accessories:");
    word.ToggleBold();
    word.MoveDown();
    word.ToggleBold();
    word.NewParagraph();
}

// The line for the record number and date, in heading size, and a blank line.
void WriteRecordLine(WordApplication& word)
{
    word.SetFontName(kRecordFont);
    word.SetFontSize(kHeadingSize);
    word.WriteText(std::string("Tessaprint Test Record ") + kEnDash + " Record # (ID): ________ Date: ____________");
    word.NewParagraph();
    word.NewParagraph();
}

// The first table's heading, kept with its table.
void WriteAcPoweredHeading(WordApplication& word)
{
    word.SetFontName(kRecordFont);
    word.SetFontSize(kHeadingSize);
    word.SetKeepWithNext(true);
    word.WriteText("External Measurements (Unit under Test) AC Powered Devices ");
    word.NewParagraph();
    word.SetKeepWithNext(false);
    word.ToggleBold();
}

void WriteOtherMeasurements(WordApplication& word, const DataSheetTables& tables)
{
    if (const std::vector<int> others = OtherRows(tables); !others.empty()) {
        WriteHeading(word, "Other Measurements");
        WriteMeasurementTable(word, tables, kOtherTable, others);
    }
}

// Waveform and rates, all three rows left for the pen; two blank lines after.
void WriteMonitoringTable(WordApplication& word)
{
    WriteFourColumnTable(word, 3, {"Waveform", "Rate Set", "Rate Measured", "Comments"}, true);
    for (int i = 0; i < 3; ++i) {
        word.MoveDown();
    }
    word.NewParagraph();
    word.NewParagraph();
}

// The deficiency note line and the "Overall Assessment:" label in bold, then
// the four assessments, each after a tick circle.
void WriteNoteAndAssessment(WordApplication& word)
{
    word.SetFontSize(kTextSize);
    word.ToggleBold();
    word.SetFontName(kRecordFont);
    word.WriteText("Deficiency  / Note:\t" + Repeat(kEllipsis, 34) + Repeat(".", 30));
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(kTextSize);
    word.WriteText("Overall Assessment:");
    word.ToggleBold();
    word.NewParagraph();
    word.NewParagraph();

    const std::string indent(10, ' ');
    const std::array<std::string, 4> assessments = {
        indent + "No Safety or functional deficiencies were found.",
        indent + "No direct risk, deficiencies detected may be corrected on short term.",
        indent + "Equipment shall be taken out of operation until deficiencies are corrected.",
        indent + "Equipment does not comply " + kEnDash +
            " Repair  / Exchange of components /  Removing from service is recommended.",
    };
    for (const auto& line : assessments) {
        word.SetFontSize(kAssessmentCircleSize);
        word.WriteText("o");
        word.SetFontSize(kTextSize);
        word.WriteText(line);
        word.NewParagraph();
    }
    word.NewParagraph();
}

// The next test date to circle and the name and signature line; the signature
// stays on the page of the line before it.
void WriteSignature(WordApplication& word)
{
    word.SetKeepWithNext(true);
    word.WriteText("Next recurrent test necessary:  \t (circle one)\t 6 /  12 / 24 months.");
    word.NewParagraph();
    word.NewParagraph();

    word.SetFontSize(kTextSize);
    word.WriteText("Name: " + Repeat("_", 25) + "\t\tDate / Signature:" + Repeat("_", 25));
    word.NewParagraph();
}

} // namespace

DocumentSpec ElectricalSafetyRecordSpec()
{
    return TestRecordSpec("Electrical Safety Test Record", true, kPageHeaderSize, DocumentSpec::Footer::FormNumber);
}

void BuildElectricalSafetyRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results)
{
    WriteIdentificationTable(word, results);
    WriteRecordLine(word);

    WriteAcPoweredHeading(word);
    WriteMeasurementTable(word, tables, kAcPoweredTable, MatchingRows(tables, kTableAKeywords));
    WriteHeading(word, "Non AC Powered Devices or Hard wired Patient care devices");
    WriteMeasurementTable(word, tables, kNonAcPoweredTable, MatchingRows(tables, kTableBKeywords));
    WriteOtherMeasurements(word, tables);
    WriteHeading(word, "Patient Monitoring equipment");
    WriteMonitoringTable(word);

    WriteNoteAndAssessment(word);
    WriteSignature(word);
}

} // namespace tessaprint::docs
