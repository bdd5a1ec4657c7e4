#include "docs/ColumnFit.h"
#include "docs/DataSheet.h"
#include "docs/RecordParts.h"
#include "docs/RecordStyle.h"

#include <array>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>

namespace tessaprint::docs {

namespace {

// The words of a value after its first word (normally the section's
// keyword), leading white space removed.
WordCursor AfterFirstWord(const std::string& value)
{
    const auto blank = value.find(' ');
    WordCursor cursor(blank == std::string::npos ? value : value.substr(blank + 1));
    cursor.Trim();
    return cursor;
}

std::string Format(const char* pattern, int n, const std::vector<std::string>& fields)
{
    // Every pattern takes the line number and then its fields in order.
    std::string out;
    std::size_t field = 0;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd') {
            out += std::to_string(n);
            ++p;
        } else if (p[0] == '%' && p[1] == 's') {
            out += field < fields.size() ? fields[field++] : std::string();
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

struct Section {
    std::function<bool(const std::string&)> matches;
    // Fills the line's fields (in the order the pattern shows them) from one value.
    std::function<std::vector<std::string>(const std::string&, std::string& wave)> fields;
    int fieldCount;
    bool aedHeight = false;
    bool simulator = false;
};

bool Contains(const std::string& value, const char* keyword)
{
    return value.find(keyword) != std::string::npos;
}

bool BeginsWith(const std::string& value, const char* prefix)
{
    return value.rfind(prefix, 0) == 0;
}

std::string SimulatorKind(const std::string& value)
{
    if (BeginsWith(value, "NSR")) {
        return "ECG";
    }
    if (Contains(value, "SIN")) {
        return "SIN";
    }
    return Contains(value, "SQR") ? "SQR" : "TRI";
}

const std::array<Section, 9>& Sections()
{
    static const std::array<Section, 9> sections = {{
        // Defib
        {[](const std::string& v) { return Contains(v, "Defib"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             const std::string e = w.TakePair();
             const std::string volts = w.TakePair();
             return std::vector<std::string>{e, volts, w.TakeWithRest()};
         },
         3},
        // Cardio
        {[](const std::string& v) { return Contains(v, "Cardio"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Take();
             w.Take();
             const std::string time = w.TakePair();
             const std::string wave = w.Take();
             const std::string amplitude = w.TakePair();
             return std::vector<std::string>{wave, amplitude, time};
         },
         3},
        // Charge Time
        {[](const std::string& v) { return Contains(v, "Charge Time"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string e = w.TakePair();
             return std::vector<std::string>{e, w.TakeWithRest()};
         },
         2},
        // AED
        {[](const std::string& v) { return Contains(v, "AED"); },
         [](const std::string& v, std::string& wave) {
             WordCursor w = AfterFirstWord(v);
             const std::string e = w.TakePair();
             const std::string volts = w.TakePair();
             const std::string current = w.TakePair();
             wave = w.TakeWithRest();
             return std::vector<std::string>{e, volts, current};
         },
         3, true},
        // Pacer
        {[](const std::string& v) { return Contains(v, "Pacer"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             const std::string rate = w.TakePair();
             const std::string width = w.TakePair();
             return std::vector<std::string>{rate, width, w.TakePair()};
         },
         3},
        // Pace Refr
        {[](const std::string& v) { return Contains(v, "Pace Refr"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string paced = w.TakePair();
             return std::vector<std::string>{paced, w.TakeWithRest()};
         },
         2},
        // Sense Refr
        {[](const std::string& v) { return Contains(v, "Sense Refr"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string sensed = w.TakePair();
             return std::vector<std::string>{sensed, w.TakeWithRest()};
         },
         2},
        // Pace IMU
        {[](const std::string& v) { return Contains(v, "Pace IMU"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             w.Take();
             const std::string sine = w.TakePair();
             return std::vector<std::string>{sine, w.TakeWithRest()};
         },
         2},
        // Simulator
        {[](const std::string& v) {
             return BeginsWith(v, "NSR") || BeginsWith(v, "SIN") || BeginsWith(v, "SQR") || BeginsWith(v, "TRI");
         },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             const std::string first = w.Take(false);
             const std::string rate = JoinParts(first, w.Take());
             return std::vector<std::string>{SimulatorKind(v), rate, w.TakeWithRest()};
         },
         3, false, true},
    }};
    return sections;
}

constexpr const char* kLinePatterns[] = {
    "\t%d. Energy Measured: %s   Voltage %s   Current %s",
    "\t%d. ECG Wave: %s   Ampl: %s   Cardio Time: %s",
    "\t%d. Energy: %s           Charge Time: %s",
    "\t%d. Energy Measured: %s  Voltage: %s  Current: %s",
    "\t%d. Pulse Rate: %s  Width: %s  Current: %s",
    "\t%d. Paced: %s  Rate: %s",
    "\t%d. Sense: %s  Rate: %s",
    "\t%d. Sine Wave: %s  Ampl: %s",
    "\t%d. %s Freq: %s  Ampl: %s",
};

} // namespace

std::vector<std::string> DefibrillatorSectionLines(const ResultsTable& results, int record, int section,
                                                   std::string& wave)
{
    const Section& s = Sections().at(static_cast<std::size_t>(section));
    std::vector<std::string> lines;
    // Every slot of the record is looked at; an empty one matches nothing.
    for (int n = 0; n < results.ValueSlots(record); ++n) {
        const std::string value(results.Value(record, n));
        if (value.empty() || !s.matches(value)) {
            continue;
        }
        const std::vector<std::string> fields = s.fields(value, wave);
        const int number = static_cast<int>(lines.size()) + 1;
        if (s.simulator) {
            const char* pattern = fields[0] == "ECG" ? "\t%d. %s Rate: %s  Ampl: %s" : kLinePatterns[section];
            lines.push_back(Format(pattern, number, fields));
        } else {
            lines.push_back(Format(kLinePatterns[section], number, fields));
        }
    }
    if (lines.empty()) {
        // Nothing measured: one line with "N/A" in every field.
        lines.push_back(Format(kLinePatterns[section], 1, std::vector<std::string>(s.fieldCount, "N/A")));
    }
    return lines;
}

// The row heights keep their formula but may grow: at about 7 points a line
// the formula is shorter than a 10-point line, and an exact height would cut
// readings off the page the technician signs.
constexpr int kSectionRowRule = kRowHeightAtLeast;

int DefibrillatorRowHeight(int lineCount, bool aed)
{
    int h = lineCount <= 2 ? 2 * lineCount + 32 : (aed ? 7 * lineCount + 47 : 7 * lineCount + 42);
    return h < 40 ? 40 : h;
}

namespace {

enum SectionIndex { kDefib, kCardio, kChargeTime, kAed, kPacer, kPaceRefr, kSenseRefr, kPaceImu, kSimulator };

// The two columns of a section table, in inches: the function with its
// lines, and the "Complies (Pass)" choice.
constexpr double kFunctionColumnInches = 5.3;
constexpr double kCompliesColumnInches = 1.6;

// The lines of one section for the record, and the height of their row.
std::vector<std::string> SectionLines(const ResultsTable& results, int record, int section)
{
    std::string wave;
    return DefibrillatorSectionLines(results, record, section, wave);
}

int RowHeight(const std::vector<std::string>& lines, bool aed = false)
{
    return DefibrillatorRowHeight(static_cast<int>(lines.size()), aed);
}

// From the selected table: the function column, then the choice column,
// within the page in their proportions, the choices' words whole.
void SetSectionColumnWidths(WordApplication& word)
{
    const std::vector<double> widths =
        FitColumns({{word.InchesToPoints(kFunctionColumnInches),
                     CellWidthForWords({"Function: Defibrillator (Charge Time)"}, kFunctionSize, true), 0},
                    {word.InchesToPoints(kCompliesColumnInches),
                     CellWidthForWords({"Complies (Pass)", "Yes            No"}, kLabelSize, true), 0}},
                   TextWidthPt(word));
    SetColumnWidths(word, widths);
}

// With verdicts, the answer of the row of a section: from the verdicts of
// the readings whose lines the row lists.
std::optional<bool> SectionComplies(const DataSheetTables& tables, const ResultsTable& results, int record, int section)
{
    if (tables.listVerdicts.empty()) {
        return std::nullopt;
    }
    const Section& s = Sections().at(static_cast<std::size_t>(section));
    std::vector<const verdict::ReadingVerdict*> verdicts;
    // The same values DefibrillatorSectionLines lists: shown row n is value n.
    for (int n = 0; n < results.ValueSlots(record); ++n) {
        const std::string value(results.Value(record, n));
        if (!value.empty() && s.matches(value)) {
            verdicts.push_back(tables.VerdictOf(static_cast<std::size_t>(n)));
        }
    }
    return ComplianceOf(verdicts);
}

// The answers of the rows of a table, one section a row.
std::vector<std::optional<bool>> SectionAnswers(const DataSheetTables& tables, const ResultsTable& results, int record,
                                                std::initializer_list<int> sections)
{
    std::vector<std::optional<bool>> answers;
    for (const int section : sections) {
        answers.push_back(SectionComplies(tables, results, record, section));
    }
    return answers;
}

// "Complies (Pass)" over "Yes / No" in the right cell of each of the rows,
// from the first one down; with verdicts, each row's answer marked.
void WriteCompliesColumn(WordApplication& word, int rows, const std::vector<std::optional<bool>>& answers)
{
    for (int row = 0; row < rows; ++row) {
        word.SetFontName(kRecordFont);
        word.SetFontSize(kLabelSize);
        word.WriteText("Complies (Pass)");
        word.NewParagraph();
        const auto at = static_cast<std::size_t>(row);
        WriteComplianceChoice(word, "Yes            No", at < answers.size() ? answers[at] : std::nullopt);
        if (row + 1 < rows) {
            word.MoveDown();
        }
    }
}

// A section table of R rows: lines, the first section's height, the column
// widths, the bold function-size start of row 1 and the "Complies (Pass)"
// cells with their answers; back in row 1's left cell.
void SetUpSectionTable(WordApplication& word, int rows, int height, const std::vector<std::optional<bool>>& answers,
                       bool keepWithFollowing = false)
{
    AddLinedTable(word, rows, 2, TableHeading::None, keepWithFollowing);
    word.SetRowHeight(height, kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    SetSectionColumnWidths(word);
    word.MoveLeft(kUnitCharacter);
    word.HomeOfRow(kUnitRow);
    word.ToggleBold();
    word.SetFontSize(kFunctionSize);
    word.SetAlignment(kAlignLeft);
    word.MoveRight(kUnitCharacter);
    WriteCompliesColumn(word, rows, answers);
    word.HomeOfRow(kUnitRow);
    for (int i = 0; i + 1 < rows; ++i) {
        word.MoveUp();
    }
    if (rows == 4) {
        word.HomeOfRow(kUnitRow);
    }
}

// "Function:" in bold, the description, the test load when there is one and
// the section's lines; then down to the next row.
void WriteFunctionRow(WordApplication& word, const std::string& description, const std::string& testLoad,
                      const std::vector<std::string>& lines)
{
    TypeInRecordFont(word, "Function:");
    word.ToggleBold();
    TypeInRecordFont(word, description);
    if (!testLoad.empty()) {
        word.NewParagraph();
        TypeInRecordFont(word, testLoad);
    }
    for (const auto& line : lines) {
        word.NewParagraph();
        TypeInRecordFont(word, line);
    }
    word.MoveDown();
}

// Four rows of bold labels, growing with a long ID or date: the location and
// testing person beside the service choices, the organization across the
// table, the make and model beside the equipment test ID, the identification
// number beside the record's date.
void WriteIdentificationTable(WordApplication& word, const ResultsTable& results)
{
    AddLinedTable(word, 4, 2, TableHeading::None);
    word.SetRowHeight(kIdentificationRowHeight, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(kLabelSize);
    word.SetAlignment(kAlignLeft);
    WriteLabelPair(word, "Location of DUT:", "Name of Testing Person:");
    word.MoveRight(kUnitCharacter);
    WriteServiceChoicesCell(word, kLabelSize, [&word](bool) { WriteBoldRecordCircle(word); });
    word.MoveDown();

    WriteMergedRow(word, "Name of Organization:", kOneLineRowHeight);
    word.MoveDown();

    WriteLabelPair(word, "DUT Manufacturer:", "DUT Model:");
    word.MoveRight(kUnitCharacter);
    WriteEquipmentIdCell(word, "Equipment Test ID: ", results.currentEquipmentId());
    word.MoveDown();
    word.MoveLeft(kUnitCharacter);

    word.SetRowHeight(kOneLineRowHeight, kRowHeightAtLeast);
    TypeInRecordFont(word, "GUI (Global Unified Identification) No:");
    word.MoveRight(kUnitCharacter);
    TypeInRecordFont(word, "Date: ");
    word.ToggleBold();
    word.WriteText(results.currentDate());
    word.ToggleBold();
    word.MoveDown();
}

// Centred below the identification table; it stays with the first table.
void WriteTestDataHeading(WordApplication& word)
{
    word.NewParagraph();
    word.SetAlignment(kAlignCentre);
    word.SetFontSize(kLabelSize);
    word.SetKeepWithNext(true);
    word.WriteText("Test Data:");
}

// Defibrillator energy, cardio time and charge time, a row each.
void WriteDefibrillatorTable(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results,
                             int record)
{
    const auto energy = SectionLines(results, record, kDefib);
    SetUpSectionTable(word, 3, RowHeight(energy),
                      SectionAnswers(tables, results, record, {kDefib, kCardio, kChargeTime}));
    WriteFunctionRow(word, " Defibrillator (Energy)", "Test Load 50 Ohms", energy);

    const auto cardio = SectionLines(results, record, kCardio);
    LineAllBorders(word);
    word.SetRowHeight(RowHeight(cardio), kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    word.HomeOfRow(kUnitRow);
    word.ToggleBold();
    word.SetFontSize(kFunctionSize);
    WriteFunctionRow(word, " Defibrillator (Cardio Time)", "", cardio);

    const auto charge = SectionLines(results, record, kChargeTime);
    LineAllBorders(word);
    word.SetRowHeight(RowHeight(charge), kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    word.SetFontSize(kFunctionSize);
    word.ToggleBold();
    WriteFunctionRow(word, " Defibrillator (Charge Time)", "", charge);
    word.SetKeepWithNext(false); // the paragraph after the table came from the heading's
    word.NewParagraph();
}

// AED energy, with the wave on the test load line.
void WriteAedTable(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results, int record)
{
    std::string wave;
    const auto aed = DefibrillatorSectionLines(results, record, kAed, wave);
    SetUpSectionTable(word, 1, RowHeight(aed, true), SectionAnswers(tables, results, record, {kAed}));
    WriteFunctionRow(word, " AED (Energy)", "Test Load 50 Ohms          Wave: " + wave, aed);
    word.NewParagraph();
}

// Pacemaker pulse, pace refractory, sense refractory and immunity, a row each.
void WritePacemakerTable(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results, int record)
{
    const auto pulse = SectionLines(results, record, kPacer);
    SetUpSectionTable(word, 4, RowHeight(pulse),
                      SectionAnswers(tables, results, record, {kPacer, kPaceRefr, kSenseRefr, kPaceImu}));
    WriteFunctionRow(word, " Pacemaker - Pulse", "Test Load ________ Ohms", pulse);

    const auto paceRefractory = SectionLines(results, record, kPaceRefr);
    word.SetRowHeight(RowHeight(paceRefractory), kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    word.SetFontName(kRecordFont);
    word.SetFontSize(kFunctionSize);
    word.ToggleBold();
    WriteFunctionRow(word, " Pacemaker Pace Refractory", "", paceRefractory);

    const auto senseRefractory = SectionLines(results, record, kSenseRefr);
    word.SetRowHeight(RowHeight(senseRefractory), kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    word.SetFontName(kRecordFont);
    word.ToggleBold();
    word.SetFontSize(kFunctionSize);
    WriteFunctionRow(word, " Pacemaker Sense Refractory", "", senseRefractory);

    const auto immunity = SectionLines(results, record, kPaceImu);
    word.SetRowHeight(RowHeight(immunity), kSectionRowRule);
    word.SetAlignment(kAlignLeft);
    word.SetFontName(kRecordFont);
    word.SetFontSize(kFunctionSize);
    word.ToggleBold();
    WriteFunctionRow(word, " Pacemaker Immunity", "", immunity);
    word.NewParagraph();
}

// The simulator's waves; the signature stays on the page of this last table.
void WriteSimulatorTable(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results, int record)
{
    const auto simulator = SectionLines(results, record, kSimulator);
    SetUpSectionTable(word, 1, RowHeight(simulator), SectionAnswers(tables, results, record, {kSimulator}), true);
    WriteFunctionRow(word, " Simulator", "", simulator);
}

void WriteSignature(WordApplication& word)
{
    word.SetKeepWithNext(true);
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(kTextSize);
    word.WriteText("Signature: ______________________________________________\t        Date: ___________________");
}

} // namespace

DocumentSpec DefibrillatorRecordSpec()
{
    return TestRecordSpec("Defibrillator Analyzer Test Record", true, kPageHeaderSize,
                          DocumentSpec::Footer::PageNumber);
}

void BuildDefibrillatorRecord(WordApplication& word, DataSheetTables& tables, const ResultsTable& results)
{
    if (tables.selectedRecord < 0) {
        tables.selectedRecord = 0;
    }
    const int record = tables.selectedRecord;

    WriteIdentificationTable(word, results);
    WriteTestDataHeading(word);
    WriteDefibrillatorTable(word, tables, results, record);
    WriteAedTable(word, tables, results, record);
    WritePacemakerTable(word, tables, results, record);
    WriteSimulatorTable(word, tables, results, record);
    WriteSignature(word);
}

} // namespace tessaprint::docs
