#include "docs/DataSheet.h"
#include "docs/RecordParts.h"

#include <array>
#include <cstdio>
#include <functional>

namespace tessaprint::docs {

namespace {

constexpr const char* kFont = "Calibri";

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
    const char* name;
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
        {"Defib", [](const std::string& v) { return Contains(v, "Defib"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             const std::string e = w.TakePair();
             const std::string volts = w.TakePair();
             return std::vector<std::string>{e, volts, w.TakeWithRest()};
         },
         3},
        {"Cardio", [](const std::string& v) { return Contains(v, "Cardio"); },
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
        {"Charge Time", [](const std::string& v) { return Contains(v, "Charge Time"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string e = w.TakePair();
             return std::vector<std::string>{e, w.TakeWithRest()};
         },
         2},
        {"AED", [](const std::string& v) { return Contains(v, "AED"); },
         [](const std::string& v, std::string& wave) {
             WordCursor w = AfterFirstWord(v);
             const std::string e = w.TakePair();
             const std::string volts = w.TakePair();
             const std::string current = w.TakePair();
             wave = w.TakeWithRest();
             return std::vector<std::string>{e, volts, current};
         },
         3, true},
        {"Pacer", [](const std::string& v) { return Contains(v, "Pacer"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             const std::string rate = w.TakePair();
             const std::string width = w.TakePair();
             return std::vector<std::string>{rate, width, w.TakePair()};
         },
         3},
        {"Pace Refr", [](const std::string& v) { return Contains(v, "Pace Refr"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string paced = w.TakePair();
             return std::vector<std::string>{paced, w.TakeWithRest()};
         },
         2},
        {"Sense Refr", [](const std::string& v) { return Contains(v, "Sense Refr"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             const std::string sensed = w.TakePair();
             return std::vector<std::string>{sensed, w.TakeWithRest()};
         },
         2},
        {"Pace IMU", [](const std::string& v) { return Contains(v, "Pace IMU"); },
         [](const std::string& v, std::string&) {
             WordCursor w = AfterFirstWord(v);
             w.Skip();
             w.Take();
             const std::string sine = w.TakePair();
             return std::vector<std::string>{sine, w.TakeWithRest()};
         },
         2},
        {"Simulator",
         [](const std::string& v) {
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

void Type(WordApplication& word, const std::string& text)
{
    word.SetFontName(kFont);
    word.WriteText(text);
}

} // namespace

std::vector<std::string> DefibrillatorSectionLines(const ResultsTable& results, int record, int section,
                                                   std::string& wave)
{
    const Section& s = Sections().at(static_cast<std::size_t>(section));
    std::vector<std::string> lines;
    // Every slot of the record is looked at; an empty one matches nothing.
    for (int n = 0; n < results.ValueSlots(record); ++n) {
        const std::string& value = results.Value(record, n);
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

// A section table of R rows: borders, the first section's height, the
// column widths, and the "Complies (Pass)" cells; back in row 1's left cell.
void SetUpSectionTable(WordApplication& word, int rows, int height, bool keepWithFollowing = false)
{
    word.AddTable(rows, 2);
    KeepTableTogether(word, TableHeading::None, keepWithFollowing);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(height, kSectionRowRule);
    word.SetAlignment(0);
    word.MoveLeft(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(word.InchesToPoints(5.3), kColumnWidthPoints);
    word.MoveRight(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(word.InchesToPoints(1.6), kColumnWidthPoints);
    word.MoveLeft(kUnitCharacter);
    word.HomeOfRow(kUnitRow);
    word.ToggleBold();
    word.SetFontSize(10);
    word.SetAlignment(0);
    word.MoveRight(kUnitCharacter);
    for (int row = 0; row < rows; ++row) {
        word.SetFontName(kFont);
        word.SetFontSize(12);
        word.WriteText("Complies (Pass)");
        word.NewParagraph();
        word.WriteText("Yes            No");
        if (row + 1 < rows) {
            word.MoveDown();
        }
    }
    word.HomeOfRow(kUnitRow);
    for (int i = 0; i + 1 < rows; ++i) {
        word.MoveUp();
    }
    if (rows == 4) {
        word.HomeOfRow(kUnitRow);
    }
}

void WriteFunctionRow(WordApplication& word, const std::string& description, const std::string& testLoad,
                      const std::vector<std::string>& lines)
{
    Type(word, "Function:");
    word.ToggleBold();
    Type(word, description);
    if (!testLoad.empty()) {
        word.NewParagraph();
        Type(word, testLoad);
    }
    for (const auto& line : lines) {
        word.NewParagraph();
        Type(word, line);
    }
    word.MoveDown();
}

enum SectionIndex { kDefib, kCardio, kChargeTime, kAed, kPacer, kPaceRefr, kSenseRefr, kPaceImu, kSimulator };

} // namespace

DocumentSpec DefibrillatorRecordSpec()
{
    return TestRecordSpec("Defibrillator Analyzer Test Record", true, 12, DocumentSpec::Footer::PageNumber);
}

void BuildDefibrillatorRecord(WordApplication& word, DataSheetTables& tables, const ResultsTable& results)
{
    if (tables.selectedRecord < 0) {
        tables.selectedRecord = 0;
    }
    const int record = tables.selectedRecord;
    std::string wave;
    const auto scan = [&](int section) { return DefibrillatorSectionLines(results, record, section, wave); };
    const auto height = [](const std::vector<std::string>& lines, bool aed = false) {
        return DefibrillatorRowHeight(static_cast<int>(lines.size()), aed);
    };

    // Identification table: the rows grow with a long ID or date.
    word.AddTable(4, 2);
    KeepTableTogether(word, TableHeading::None);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(44, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(12);
    word.SetAlignment(0);
    Type(word, "Location of DUT:");
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
    word.SetRowHeight(30, kRowHeightAtLeast);
    Type(word, "Name of Organization:");
    word.NewParagraph();
    word.MoveDown();

    Type(word, "DUT Manufacturer:");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("DUT Model:");
    word.MoveRight(kUnitCharacter);

    Type(word, "Equipment Test ID: ");
    word.ToggleBold();
    word.WriteText(results.currentEquipmentId());
    word.ToggleBold();
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Serial Number:");
    word.MoveDown();
    word.MoveLeft(kUnitCharacter);

    word.SetRowHeight(30, kRowHeightAtLeast);
    Type(word, "GUI (Global Unified Identification) No:");
    word.MoveRight(kUnitCharacter);
    Type(word, "Date: ");
    word.ToggleBold();
    word.WriteText(results.currentDate());
    word.ToggleBold();
    word.MoveDown();

    word.NewParagraph();
    word.SetAlignment(1);
    word.SetFontSize(12);
    word.SetKeepWithNext(true); // the heading stays with the first table
    word.WriteText("Test Data:");

    // Defibrillator: energy, cardio time, charge time.
    const auto defib = scan(kDefib);
    SetUpSectionTable(word, 3, height(defib));
    WriteFunctionRow(word, " Defibrillator (Energy)", "Test Load 50 Ohms", defib);
    const auto cardio = scan(kCardio);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(height(cardio), kSectionRowRule);
    word.SetAlignment(0);
    word.HomeOfRow(kUnitRow);
    word.ToggleBold();
    word.SetFontSize(10);
    WriteFunctionRow(word, " Defibrillator (Cardio Time)", "", cardio);
    const auto charge = scan(kChargeTime);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(height(charge), kSectionRowRule);
    word.SetAlignment(0);
    word.SetFontSize(10);
    word.ToggleBold();
    WriteFunctionRow(word, " Defibrillator (Charge Time)", "", charge);
    word.SetKeepWithNext(false); // the paragraph after the table came from the heading's
    word.NewParagraph();

    // AED.
    const auto aed = scan(kAed);
    SetUpSectionTable(word, 1, height(aed, true));
    WriteFunctionRow(word, " AED (Energy)", "Test Load 50 Ohms          Wave: " + wave, aed);
    word.NewParagraph();

    // Pacemaker: pulse, pace and sense refractory, immunity.
    const auto pacer = scan(kPacer);
    SetUpSectionTable(word, 4, height(pacer));
    WriteFunctionRow(word, " Pacemaker - Pulse", "Test Load ________ Ohms", pacer);
    const auto paceRefr = scan(kPaceRefr);
    word.SetRowHeight(height(paceRefr), kSectionRowRule);
    word.SetAlignment(0);
    word.SetFontName(kFont);
    word.SetFontSize(10);
    word.ToggleBold();
    WriteFunctionRow(word, " Pacemaker Pace Refractory", "", paceRefr);
    const auto senseRefr = scan(kSenseRefr);
    word.SetRowHeight(height(senseRefr), kSectionRowRule);
    word.SetAlignment(0);
    word.SetFontName(kFont);
    word.ToggleBold();
    word.SetFontSize(10);
    WriteFunctionRow(word, " Pacemaker Sense Refractory", "", senseRefr);
    const auto paceImu = scan(kPaceImu);
    word.SetRowHeight(height(paceImu), kSectionRowRule);
    word.SetAlignment(0);
    word.SetFontName(kFont);
    word.SetFontSize(10);
    word.ToggleBold();
    WriteFunctionRow(word, " Pacemaker Immunity", "", paceImu);
    word.NewParagraph();

    // Simulator.
    const auto simulator = scan(kSimulator);
    // The signature stays on the page of the last table.
    SetUpSectionTable(word, 1, height(simulator), true);
    WriteFunctionRow(word, " Simulator", "", simulator);

    word.SetKeepWithNext(true);
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(11);
    word.WriteText("Signature: ______________________________________________\t        Date: ___________________");
}

} // namespace tessaprint::docs
