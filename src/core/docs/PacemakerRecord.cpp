#include "docs/ColumnFit.h"
#include "docs/DataSheet.h"
#include "docs/RecordParts.h"
#include "docs/RecordStyle.h"

#include <initializer_list>
#include <optional>

namespace tessaprint::docs {

namespace {

constexpr const char* kChoice = "Yes          No";

// The leading number of a value, when it has one, is zero: "0.0 PPM", "0 mV".
// "0.05 mV" and "10.0 mV" are readings.
bool IsZeroReading(const std::string& value)
{
    std::size_t i = 0;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        ++i;
    }
    bool digits = false;
    bool nonZero = false;
    bool point = false;
    for (; i < value.size(); ++i) {
        const char c = value[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return digits && !nonZero;
}

// The rows of one kind as this document uses them: defaults are written into
// empty entries by the value searches.
class FieldLists {
public:
    FieldLists(const PacemakerRows& rows, const DataSheetTables& tables) : m_rows(rows), m_tables(tables) {}

    // With verdicts, the answer of a line that shows entry k: the verdict of
    // the reading it came from.
    std::optional<bool> Complies(int k) const
    {
        const auto at = static_cast<std::size_t>(k);
        if (k < 0 || k >= m_rows.count || at >= m_rows.listRows.size()) {
            return std::nullopt;
        }
        return ComplianceOf({m_tables.VerdictOf(m_rows.listRows[at])});
    }

    // Entry k of field f; "N/A" for a row the record does not have, so a kind
    // without rows reads N/A as the closing note promises, never blank.
    const std::string& Field(int f, int k) const
    {
        static const std::string kNotAvailable = "N/A";
        return k < m_rows.count ? m_rows.Field(f, k) : kNotAvailable;
    }

    // The entry a measurement line shows: the first row whose field f is not
    // zero (entry 0 when every row is zero or there is none). Empty entries
    // first get the default, when there is one.
    int Search(int f, const char* defaultText)
    {
        const int n = std::min(m_rows.count, static_cast<int>(m_rows.entries.size()));
        for (int i = 0; i < n && defaultText; ++i) {
            std::string& field = m_rows.entries[static_cast<std::size_t>(i)][static_cast<std::size_t>(f - 1)];
            if (field.empty()) {
                field = defaultText;
            }
        }
        for (int i = 0; i < n; ++i) {
            if (!IsZeroReading(Field(f, i))) {
                return i;
            }
        }
        return 0;
    }

private:
    PacemakerRows m_rows;
    const DataSheetTables& m_tables;
};

// The two columns of a pacemaker table, in inches: the function with its
// measurement lines, and the "Complies (Pass)" choices.
constexpr double kLinesColumnInches = 5.5;
constexpr double kCompliesColumnInches = 1.4;
// The rows of the pacemaker tables are at least this high: measured values never hide.
constexpr double kTranscutaneousRowHeight = 100;
constexpr double kPacerRowHeight = 90; // the atrial and ventricular pacer and the AV interval

// What the empty fields of a value search read before the search.
constexpr const char* kNoEnergy = "0.0 uJoules";
constexpr const char* kNoRate = "0.0 PPM";
constexpr const char* kNoRefractoryPeriod = "0.0 mS";
constexpr const char* kNoSensitivity = "0.0 mV";

enum class Chamber { Atrial, Ventricular };

// A title stays on the page of its table.
void Title(WordApplication& word, const std::string& title)
{
    word.SetFontName(kRecordFont);
    word.SetFontSize(kHeadingSize);
    word.ToggleBold();
    word.SetAlignment(kAlignCentre);
    word.SetKeepWithNext(true);
    word.WriteText(title);
}

// A lined table of two columns whose rows are at least the given height;
// the right column stays selected.
void SetUpPacemakerTable(WordApplication& word, int rows, double height)
{
    AddLinedTable(word, rows, 2, TableHeading::None);
    word.SetRowHeight(height, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(kTextSize);
    word.SetAlignment(kAlignLeft);
    // The two columns within the page in their proportions, the labels' and
    // choices' words whole.
    const std::vector<double> widths =
        FitColumns({{word.InchesToPoints(kLinesColumnInches),
                     CellWidthForWords({"Function :-Pulse Rate, Width& Current"}, kTextSize, true), 0},
                    {word.InchesToPoints(kCompliesColumnInches),
                     CellWidthForWords({"Complies (Pass)", "Yes          No"}, kTextSize, true), 0}},
                   TextWidthPt(word));
    word.HomeOfRow(kUnitRow);
    word.SelectColumn();
    word.SetColumnWidth(widths[0], kColumnWidthPoints);
    word.MoveRight(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(widths[1], kColumnWidthPoints);
}

// "Function :" and the function's name after it.
void FunctionLabel(WordApplication& word, const std::string& function)
{
    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText(function);
}

// Over to the right cell: "Complies (Pass)", centred, then the first choice
// after the given number of paragraph breaks, with its answer.
void ChoiceCell(WordApplication& word, int paragraphs, std::optional<bool> answer)
{
    word.MoveRight(kUnitCharacter);
    word.ToggleBold();
    word.WriteText("Complies (Pass)");
    word.SetAlignment(kAlignCentre);
    for (int i = 0; i < paragraphs; ++i) {
        word.NewParagraph();
    }
    WriteComplianceChoice(word, kChoice, answer);
}

// The choice for a row's second measurement line.
void SecondChoice(WordApplication& word, std::optional<bool> answer)
{
    word.NewParagraph();
    WriteComplianceChoice(word, kChoice, answer);
}

// A measurement line: the pieces one after the other on one line.
void WritePieces(WordApplication& word, std::initializer_list<std::string> pieces)
{
    for (const auto& piece : pieces) {
        word.WriteText(piece);
    }
}

void NextRow(WordApplication& word)
{
    word.MoveRight(kUnitCell);
}

// The rows of the transcutaneous pacer; each is written from the start of its
// left cell to the end of its right one.

void WriteTranscutaneousPulseRow(WordApplication& word, FieldLists& x)
{
    word.WriteText("Function :");
    word.ToggleBold();
    word.SetFontSize(kTextSize);
    word.WriteText("-Pulse Rate, Width& Current");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Test Load 50 Ohms  Default or User selected Load");
    word.NewParagraph();
    // The first pulse line always shows the first row.
    WritePieces(word, {"1.)   PPM Measured:", " " + x.Field(PacerField::kRate, 0), "  Width:",
                       " " + x.Field(PacerField::kWidth, 0), "  Current:", " " + x.Field(PacerField::kCurrent, 0)});
    word.SetAlignment(kAlignCentre);
    const int k = x.Search(PacerField::kEnergy, kNoEnergy);
    word.NewParagraph();
    WritePieces(word, {"2.)   PPM Measured:", " " + x.Field(PacerField::kRate, k), "  Energy:",
                       " " + x.Field(PacerField::kEnergy, k), "  Voltage:", " " + x.Field(PacerField::kVoltage, k)});
    ChoiceCell(word, 3, x.Complies(0));
    SecondChoice(word, x.Complies(k));
}

void WriteTranscutaneousRefractoryRow(WordApplication& word, FieldLists& x)
{
    FunctionLabel(word, "-Refractory Period Test");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Demand Mode setting: Rate=80PPM");
    const int paced = x.Search(PacerField::kPacedRefractory, nullptr);
    int k = paced;
    word.NewParagraph();
    WritePieces(word, {"3.)   Paced RP: " + x.Field(PacerField::kPacedRefractory, k),
                       "  Width: " + x.Field(PacerField::kWidth, k), "  Current: " + x.Field(PacerField::kCurrent, k)});
    word.SetAlignment(kAlignCentre);
    k = x.Search(PacerField::kSensedRefractory, nullptr);
    word.NewParagraph();
    WritePieces(word, {"4.)   Sensed RP:  " + x.Field(PacerField::kSensedRefractory, k),
                       " Width:  " + x.Field(PacerField::kWidth, k), " Current:  " + x.Field(PacerField::kCurrent, k)});
    ChoiceCell(word, 3, x.Complies(paced));
    SecondChoice(word, x.Complies(k));
}

void WriteTranscutaneousSensitivityRow(WordApplication& word, FieldLists& x)
{
    FunctionLabel(word, "-Sensitivity");
    word.NewParagraph();
    word.NewParagraph();
    const int k = x.Search(PacerField::kSensitivity, nullptr);
    word.NewParagraph();
    WritePieces(word, {"5.)  Sensitivity:  " + x.Field(PacerField::kSensitivity, k),
                       "  Rate:  " + x.Field(PacerField::kRate, k), "  Current:  " + x.Field(PacerField::kCurrent, k)});
    word.SetAlignment(kAlignCentre);
    ChoiceCell(word, 3, x.Complies(k));
}

// The title, then pulse, refractory period and sensitivity, a row each, and
// space before the next title.
void WriteTranscutaneousPacer(WordApplication& word, FieldLists x)
{
    Title(word, "Transcutaneous Pacer");
    word.NewParagraph();
    word.SetKeepWithNext(false);
    word.ToggleBold();
    SetUpPacemakerTable(word, 3, kTranscutaneousRowHeight);
    word.HomeOfRow(kUnitRow);

    WriteTranscutaneousPulseRow(word, x);
    word.MoveDown();
    word.NewParagraph(); // an empty paragraph below the refractory row's choices
    word.HomeOfRow(kUnitRow);
    WriteTranscutaneousRefractoryRow(word, x);
    NextRow(word);
    WriteTranscutaneousSensitivityRow(word, x);

    word.MoveDown();
    for (int i = 0; i < 9; ++i) {
        word.NewParagraph();
    }
}

// The rows of the atrial and ventricular pacers; each is written from the
// start of its left cell to the end of its right one.

void WritePacerPulseRow(WordApplication& word, FieldLists& x, Chamber chamber)
{
    FunctionLabel(word, "-Pulse Rate, Width& Current");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Test Load 500 Ohms");
    const int rate = x.Search(PacerField::kRate, kNoRate);
    int k = rate;
    word.NewParagraph();
    WritePieces(word, {"1.)      PPM Measured: ", x.Field(PacerField::kRate, k), "      Width: ",
                       x.Field(PacerField::kWidth, k), "      Current: ", x.Field(PacerField::kCurrent, k)});
    word.SetAlignment(kAlignCentre);
    if (chamber == Chamber::Atrial) {
        word.SetAlignment(kAlignCentre);
    }
    k = x.Search(PacerField::kEnergy, kNoEnergy);
    word.NewParagraph();
    WritePieces(word, {"2.)    PPM Measured: ", x.Field(PacerField::kRate, k), "      Energy: ",
                       x.Field(PacerField::kEnergy, k), "      Voltage: ", x.Field(PacerField::kVoltage, k)});
    ChoiceCell(word, 3, x.Complies(rate));
    SecondChoice(word, x.Complies(k));
}

void WritePacerRefractoryRow(WordApplication& word, FieldLists& x)
{
    FunctionLabel(word, "-Refractory Period Test");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Demand Mode setting: Rate=80PPM, Output Current=10mA");
    const int paced = x.Search(PacerField::kPacedRefractory, kNoRefractoryPeriod);
    int k = paced;
    word.NewParagraph();
    WritePieces(word, {"3.)      Paced RP: ", x.Field(PacerField::kPacedRefractory, k), "      Width: ",
                       x.Field(PacerField::kWidth, k), "      Current: ", x.Field(PacerField::kCurrent, k)});
    word.SetAlignment(kAlignCentre);
    k = x.Search(PacerField::kSensedRefractory, kNoRefractoryPeriod);
    word.NewParagraph();
    WritePieces(word, {"4.)      Sensed RP: ", x.Field(PacerField::kSensedRefractory, k), "      Width: ",
                       x.Field(PacerField::kWidth, k), "      Current: ", x.Field(PacerField::kCurrent, k)});
    ChoiceCell(word, 3, x.Complies(paced));
    SecondChoice(word, x.Complies(k));
}

// The ventricular pacer's row names the setting the sensitivity is measured at.
void WritePacerSensitivityRow(WordApplication& word, FieldLists& x, Chamber chamber)
{
    FunctionLabel(word, "-Sensitivity");
    word.NewParagraph();
    if (chamber == Chamber::Ventricular) {
        word.NewParagraph();
        word.WriteText("Sensitivity  Setting: Rate=80 PPM, Output Current=10mA");
    }
    const int k = x.Search(PacerField::kSensitivity, kNoSensitivity);
    word.NewParagraph();
    WritePieces(word, {"1.)   Sensitivity: ", x.Field(PacerField::kSensitivity, k), "      Width: ",
                       x.Field(PacerField::kWidth, k), "      Current: ", x.Field(PacerField::kCurrent, k)});
    word.SetAlignment(kAlignCentre);
    ChoiceCell(word, chamber == Chamber::Atrial ? 2 : 3, x.Complies(k));
    word.NewParagraph();
}

// Pulse, refractory period and sensitivity, a row each, from the first row's
// start; then space before the next title.
void WritePacerRows(WordApplication& word, FieldLists& x, Chamber chamber)
{
    word.HomeOfRow(kUnitRow);
    WritePacerPulseRow(word, x, chamber);
    NextRow(word);
    WritePacerRefractoryRow(word, x);
    NextRow(word);
    WritePacerSensitivityRow(word, x, chamber);
    word.MoveDown();
    word.SetKeepWithNext(false); // after a table added at the end of its title
    for (int i = 0; i < 3; ++i) {
        word.NewParagraph();
    }
}

void WriteAtrialPacer(WordApplication& word, FieldLists x)
{
    Title(word, "Atrial Pacer");
    word.NewParagraph();
    word.SetKeepWithNext(false);
    word.ToggleBold();
    SetUpPacemakerTable(word, 3, kPacerRowHeight);
    WritePacerRows(word, x, Chamber::Atrial);
}

// The table goes in at the end of the title's paragraph.
void WriteVentricularPacer(WordApplication& word, FieldLists x)
{
    Title(word, "Ventricular Pacer");
    word.SetFontSize(kTextSize);
    word.ToggleBold();
    SetUpPacemakerTable(word, 3, kPacerRowHeight);
    word.NewParagraph();
    word.ToggleBold();
    WritePacerRows(word, x, Chamber::Ventricular);
}

// The title and one row with the first two AV interval rows; the table goes
// in at the end of the title's paragraph.
void WriteAvInterval(WordApplication& word, const FieldLists& x)
{
    Title(word, "AV Interval");
    word.SetFontSize(kTextSize);
    word.ToggleBold();
    SetUpPacemakerTable(word, 1, kPacerRowHeight);
    word.NewParagraph();
    word.ToggleBold();
    word.HomeOfRow(kUnitRow);
    FunctionLabel(word, "-AV Interval");
    for (int i = 0; i < 3; ++i) {
        word.NewParagraph();
    }
    WritePieces(word, {"1.) AV Interval:", " " + x.Field(AvField::kInterval, 0),
                       "    ATR Current:", " " + x.Field(AvField::kAtrialCurrent, 0),
                       "    VTR Current:", " " + x.Field(AvField::kVentricularCurrent, 0)});
    word.SetAlignment(kAlignCentre);
    word.NewParagraph();
    WritePieces(word, {"2.) AV Interval:", " " + x.Field(AvField::kInterval, 1),
                       "   ATR Current:", " " + x.Field(AvField::kAtrialCurrent, 1),
                       "   VTR Current:", " " + x.Field(AvField::kVentricularCurrent, 1)});
    ChoiceCell(word, 3, x.Complies(0));
    SecondChoice(word, x.Complies(1));
    word.MoveDown();
    word.SetKeepWithNext(false); // after a table added at the end of its title
    word.NewParagraph();
    word.NewParagraph();
    word.MoveDown();
    word.NewParagraph();
}

// The pacemaker record's tick circle is text size like its labels; the last
// one leaves label size behind, and nothing more is typed in its cell.
void WritePacemakerCircle(WordApplication& word, bool last)
{
    word.SetFontSize(kTextSize);
    word.WriteText("   o");
    word.SetFontSize(last ? kLabelSize : kTextSize);
}

// Four rows of labels in text size: the location and testing person beside
// the service choices, the organization across the table, the make and model
// beside the equipment ID, the identification number beside the date left
// for the pen. The second and fourth rows hold one line.
void WriteIdentificationTable(WordApplication& word, const ResultsTable& results)
{
    word.MoveDown();
    word.SetFontSize(kHeadingSize); // the table goes into a paragraph of heading size
    AddLinedTable(word, 4, 2, TableHeading::None);
    word.SetRowHeight(kIdentificationRowHeight, kRowHeightAtLeast);
    word.HomeOfRow(kUnitRow);
    word.MoveDown();
    word.SetRowHeight(kOneLineRowHeight, kRowHeightAtLeast);
    word.MoveDown();
    word.MoveDown();
    word.SetRowHeight(kOneLineRowHeight, kRowHeightAtLeast);
    for (int i = 0; i < 3; ++i) {
        word.MoveUp();
    }

    word.SetFontSize(kTextSize);
    word.SetAlignment(kAlignLeft);
    TypeInRecordFont(word, "Location of DUT:");
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(kTextSize);
    word.WriteText("Name of Testing Person:");
    word.MoveRight(kUnitCharacter);
    WriteServiceChoicesCell(word, kTextSize, [&word](bool last) { WritePacemakerCircle(word, last); });
    word.MoveDown();

    WriteMergedRow(word, "Name of Organization:");
    word.MoveDown();

    word.SetFontSize(kTextSize);
    WriteLabelPair(word, "DUT Manufacturer:", "DUT Model:");
    word.MoveRight(kUnitCharacter);
    word.SetFontSize(kTextSize);
    WriteEquipmentIdCell(word, "Equipment ID: ", results.currentEquipmentId());
    word.MoveDown();
    word.MoveLeft(kUnitCharacter);

    word.SetFontSize(kTextSize);
    TypeInRecordFont(word, "GUI(Global Unified Identification) No:");
    word.MoveRight(kUnitCharacter);
    word.SetFontSize(kTextSize);
    TypeInRecordFont(word, "Date:");
    word.MoveDown();
    word.NewParagraph();
}

void WriteClosingNote(WordApplication& word)
{
    word.WriteText("Note: The field marked ______ are auto filled based on the functions selected under the "
                   "Equipment ID.");
    word.NewParagraph();
    word.WriteText("The results for any of the function that are not selected will be marked N/A in the test result.");
}

} // namespace

bool IsZeroPacemakerReading(const std::string& value)
{
    return IsZeroReading(value);
}

DocumentSpec PacemakerRecordSpec()
{
    // The header is plain and in the record's text size.
    return TestRecordSpec("Pacetrax 4000 Test Record", false, kTextSize, DocumentSpec::Footer::FormNumber);
}

void BuildPacemakerRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results)
{
    WriteIdentificationTable(word, results);
    WriteTranscutaneousPacer(word, FieldLists(tables.trans, tables));
    WriteAtrialPacer(word, FieldLists(tables.atr, tables));
    WriteVentricularPacer(word, FieldLists(tables.vent, tables));
    WriteAvInterval(word, FieldLists(tables.avd, tables));
    WriteClosingNote(word);
}

} // namespace tessaprint::docs
