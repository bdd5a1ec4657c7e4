#include "docs/DataSheet.h"
#include "docs/RecordParts.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tessaprint::docs {

namespace {

constexpr const char* kFont = "Calibri";
constexpr const char* kEnDash = "\u2013";
constexpr const char* kEllipsis = "\u2026";
constexpr int kNoRow = 9999;

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

struct MeasurementTable {
    std::vector<std::string_view> keywords;
    std::string_view firstHeader;
    bool fontInHeader = false;
    bool spareRow = false;
};

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

// Steps 3 to 6 of a four-column table: borders, rows of at least 20 points
// (a long test name or reading takes a second line), the column widths, then
// the bold header row, which repeats on every page the table spans.
void WriteFourColumnTable(WordApplication& word, int rows, const std::array<std::string_view, 4>& headers,
                          bool fontInHeader)
{
    word.AddTable(rows, 4);
    KeepTableTogether(word, TableHeading::FirstRow);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, kLineStyleSingle);
    word.SetRowHeight(20, kRowHeightAtLeast);
    word.MoveLeft(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(word.InchesToPoints(2.5), kColumnWidthPoints);
    for (const double inches : {1.8, 1.0, 1.5}) {
        word.MoveRight(kUnitCharacter);
        word.SelectColumn();
        word.SetColumnWidth(word.InchesToPoints(inches), kColumnWidthPoints);
    }
    word.SetFontSize(12);
    word.SetAlignment(0);
    for (int i = 0; i < 4; ++i) {
        word.MoveLeft(kUnitCharacter);
    }
    for (std::size_t h = 0; h < headers.size(); ++h) {
        word.ToggleBold();
        if (fontInHeader) {
            word.SetFontName(kFont);
        }
        word.SetFontSize(14);
        word.WriteText(std::string(headers[h]));
        if (h + 1 < headers.size()) {
            word.MoveRight(kUnitCharacter);
        }
    }
    word.ToggleBold();
}

void WriteMeasurementTable(WordApplication& word, const DataSheetTables& tables, const MeasurementTable& spec,
                           std::vector<int> rows)
{
    int rowCount = static_cast<int>(rows.size()) + 1;
    const bool spare = spec.spareRow && rows.empty();
    if (spare) {
        rowCount = 2; // an empty row to write in by hand
        rows.push_back(kNoRow);
    }
    WriteFourColumnTable(word, rowCount, {spec.firstHeader, "Measured Value", "Pass / Fail", "Comments"},
                         spec.fontInHeader);
    word.MoveDown();
    for (int i = 0; i < 3; ++i) {
        word.MoveLeft(kUnitCharacter);
    }
    for (int k = 0; k + 1 < rowCount; ++k) {
        const int i = rows[static_cast<std::size_t>(k)];
        if (i == kNoRow) {
            continue;
        }
        word.SetFontName(kFont);
        word.SetFontSize(12);
        word.WriteText(tables.listTestNames[static_cast<std::size_t>(i)]);
        word.MoveRight(kUnitCharacter);
        word.SetFontName(kFont);
        word.SetFontSize(12);
        word.WriteText(tables.listReadings[static_cast<std::size_t>(i)]);
        word.MoveDown();
        word.MoveLeft(kUnitCharacter);
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
    word.SetFontName(kFont);
    word.SetFontSize(14);
    word.SetKeepWithNext(true);
    word.WriteText(heading);
    word.ToggleBold();
    word.NewParagraph();
    word.SetKeepWithNext(false);
}

} // namespace

DocumentSpec ElectricalSafetyRecordSpec()
{
    return TestRecordSpec("Electrical Safety Test Record", true, 12, DocumentSpec::Footer::FormNumber);
}

void BuildElectricalSafetyRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results)
{
    word.MoveDown();

    // Identification table.
    word.SetFontSize(14);
    word.AddTable(5, 2);
    KeepTableTogether(word, TableHeading::None);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, kLineStyleSingle);
    word.SetRowHeight(44, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(12);
    word.SetAlignment(0);
    word.SetFontName(kFont);
    word.WriteText("Testing Organization:");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Name of Testing Person:");

    word.MoveRight(kUnitCharacter);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetFontSize(12);
    word.SetAlignment(0);
    word.SetRowHeight(50, kRowHeightAtLeast);
    word.SetFontName(kFont);
    WriteServiceChoices(word, [&word](bool) { WriteBoldRecordCircle(word); });

    word.MoveDown();
    word.SelectFirstRow(1);
    word.MergeCells();
    word.SetFontName(kFont);
    word.WriteText("Name of Organization:");
    word.NewParagraph();

    word.MoveDown();
    word.SetFontName(kFont);
    word.WriteText("Equipment Name:");
    word.NewParagraph();
    word.MoveRight(kUnitCharacter);
    word.SetFontName(kFont);
    word.WriteText("Equipment ID: ");
    word.ToggleBold();
    word.WriteText(results.currentEquipmentId());
    word.ToggleBold();
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Serial Number:");

    word.MoveDown();
    word.MoveLeft(kUnitCharacter);
    word.NewParagraph();
    word.SetFontName(kFont);
    word.WriteText("Equipment Type:");
    word.MoveRight(kUnitCharacter);
    word.SetFontName(kFont);
    word.WriteText("Equipment Class:   I    II");
    word.NewParagraph();
    word.WriteText("Battery (operated): Yes  No");

    word.MoveDown();
    word.SelectFirstRow(1);
    word.MergeCells();
    word.SetFontName(kFont);
    word.WriteText("Accessories:");
    word.NewParagraph();
    word.ToggleBold();
    word.MoveDown();
    word.ToggleBold();
    word.NewParagraph();

    // Record line and the first measurement table.
    word.SetFontName(kFont);
    word.SetFontSize(14);
    word.WriteText(std::string("Tessaprint Test Record ") + kEnDash + " Record # (ID): ________ Date: ____________");
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontName(kFont);
    word.SetFontSize(14);
    word.SetKeepWithNext(true);
    word.WriteText("External Measurements (Unit under Test) AC Powered Devices ");
    word.NewParagraph();
    word.SetKeepWithNext(false);
    word.ToggleBold();
    WriteMeasurementTable(word, tables, {kTableAKeywords, "Leakage Measurement", false, false},
                          MatchingRows(tables, kTableAKeywords));

    WriteHeading(word, "Non AC Powered Devices or Hard wired Patient care devices");
    WriteMeasurementTable(word, tables, {kTableBKeywords, "External Measurement", true, true},
                          MatchingRows(tables, kTableBKeywords));

    if (const std::vector<int> others = OtherRows(tables); !others.empty()) {
        WriteHeading(word, "Other Measurements");
        WriteMeasurementTable(word, tables, {{}, "Measurement", true, false}, others);
    }

    WriteHeading(word, "Patient Monitoring equipment");
    WriteFourColumnTable(word, 3, {"Waveform", "Rate Set", "Rate Measured", "Comments"}, true);
    for (int i = 0; i < 3; ++i) {
        word.MoveDown();
    }
    word.NewParagraph();
    word.NewParagraph();

    // Notes, assessment and signature.
    word.SetFontSize(11);
    word.ToggleBold();
    word.SetFontName(kFont);
    word.WriteText("Deficiency  / Note:\t" + Repeat(kEllipsis, 34) + Repeat(".", 30));
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(11);
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
        word.SetFontSize(16);
        word.WriteText("o");
        word.SetFontSize(11);
        word.WriteText(line);
        word.NewParagraph();
    }
    word.NewParagraph();

    // The signature stays on the page of the line before it.
    word.SetKeepWithNext(true);
    word.WriteText("Next recurrent test necessary:  \t (circle one)\t 6 /  12 / 24 months.");
    word.NewParagraph();
    word.NewParagraph();

    word.SetFontSize(11);
    word.WriteText("Name: " + Repeat("_", 25) + "\t\tDate / Signature:" + Repeat("_", 25));
    word.NewParagraph();
}

} // namespace tessaprint::docs
