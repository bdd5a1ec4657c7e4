#include "docs/DataSheet.h"
#include "docs/RecordParts.h"

#include <initializer_list>

namespace tessaprint::docs {

namespace {

constexpr const char* kFont = "Calibri";
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
    explicit FieldLists(const PacemakerRows& rows) : m_rows(rows) {}

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
};

// A title stays on the page of its table.
void Title(WordApplication& word, const std::string& title)
{
    word.SetFontName(kFont);
    word.SetFontSize(14);
    word.ToggleBold();
    word.SetAlignment(1);
    word.SetKeepWithNext(true);
    word.WriteText(title);
}

// The rows are at least their height: measured values never hide.
void SetUp(WordApplication& word, int rows, int height)
{
    word.AddTable(rows, 2);
    KeepTableTogether(word, TableHeading::None);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(height, kRowHeightAtLeast);
    word.ToggleBold();
    word.SetFontSize(11);
    word.SetAlignment(0);
    word.HomeOfRow(kUnitRow);
    word.SelectColumn();
    word.SetColumnWidth(word.InchesToPoints(5.5), kColumnWidthPoints);
    word.MoveRight(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(word.InchesToPoints(1.4), kColumnWidthPoints);
}

void ChoiceCell(WordApplication& word, int paragraphs)
{
    word.MoveRight(kUnitCharacter);
    word.ToggleBold();
    word.WriteText("Complies (Pass)");
    word.SetAlignment(1);
    for (int i = 0; i < paragraphs; ++i) {
        word.NewParagraph();
    }
    word.WriteText(kChoice);
}

// A measurement line: the pieces one after the other on one line.
void Line(WordApplication& word, std::initializer_list<std::string> pieces)
{
    for (const auto& piece : pieces) {
        word.WriteText(piece);
    }
}

void NextRow(WordApplication& word)
{
    word.MoveRight(kUnitCell);
}

void WriteTranscutaneous(WordApplication& word, FieldLists x)
{
    Title(word, "Transcutaneous Pacer");
    word.NewParagraph();
    word.SetKeepWithNext(false);
    word.ToggleBold();
    SetUp(word, 3, 100);
    word.HomeOfRow(kUnitRow);

    word.WriteText("Function :");
    word.ToggleBold();
    word.SetFontSize(11);
    word.WriteText("-Pulse Rate, Width& Current");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Test Load 50 Ohms  Default or User selected Load");
    word.NewParagraph();
    // The first pulse line always shows the first row.
    Line(word, {"1.)   PPM Measured:", " " + x.Field(5, 0), "  Width:", " " + x.Field(4, 0),
                "  Current:", " " + x.Field(3, 0)});
    word.SetAlignment(1);
    int k = x.Search(1, "0.0 uJoules");
    word.NewParagraph();
    Line(word, {"2.)   PPM Measured:", " " + x.Field(5, k), "  Energy:", " " + x.Field(1, k),
                "  Voltage:", " " + x.Field(2, k)});
    ChoiceCell(word, 3);
    word.NewParagraph();
    word.WriteText(kChoice);
    word.MoveDown();
    word.NewParagraph();
    word.HomeOfRow(kUnitRow);

    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-Refractory Period Test");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Demand Mode setting: Rate=80PPM");
    k = x.Search(7, nullptr);
    word.NewParagraph();
    Line(word, {"3.)   Paced RP: " + x.Field(7, k), "  Width: " + x.Field(4, k), "  Current: " + x.Field(3, k)});
    word.SetAlignment(1);
    k = x.Search(8, nullptr);
    word.NewParagraph();
    Line(word, {"4.)   Sensed RP:  " + x.Field(8, k), " Width:  " + x.Field(4, k), " Current:  " + x.Field(3, k)});
    ChoiceCell(word, 3);
    word.NewParagraph();
    word.WriteText(kChoice);
    NextRow(word);

    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-Sensitivity");
    word.NewParagraph();
    word.NewParagraph();
    k = x.Search(6, nullptr);
    word.NewParagraph();
    Line(word, {"5.)  Sensitivity:  " + x.Field(6, k), "  Rate:  " + x.Field(5, k), "  Current:  " + x.Field(3, k)});
    word.SetAlignment(1);
    ChoiceCell(word, 3);
    word.MoveDown();
    for (int i = 0; i < 9; ++i) {
        word.NewParagraph();
    }
}

void WritePacer(WordApplication& word, FieldLists x, bool atrial)
{
    if (atrial) {
        Title(word, "Atrial Pacer");
        word.NewParagraph();
        word.SetKeepWithNext(false);
        word.ToggleBold();
        SetUp(word, 3, 90);
    } else {
        Title(word, "Ventricular Pacer");
        word.SetFontSize(11);
        word.ToggleBold();
        SetUp(word, 3, 90);
        word.NewParagraph();
        word.ToggleBold();
    }
    word.HomeOfRow(kUnitRow);

    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-Pulse Rate, Width& Current");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Test Load 500 Ohms");
    int k = x.Search(5, "0.0 PPM");
    word.NewParagraph();
    Line(word,
         {"1.)      PPM Measured: ", x.Field(5, k), "      Width: ", x.Field(4, k), "      Current: ", x.Field(3, k)});
    word.SetAlignment(1);
    if (atrial) {
        word.SetAlignment(1);
    }
    k = x.Search(1, "0.0 uJoules");
    word.NewParagraph();
    Line(word,
         {"2.)    PPM Measured: ", x.Field(5, k), "      Energy: ", x.Field(1, k), "      Voltage: ", x.Field(2, k)});
    ChoiceCell(word, 3);
    word.NewParagraph();
    word.WriteText(kChoice);
    NextRow(word);

    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-Refractory Period Test");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Demand Mode setting: Rate=80PPM, Output Current=10mA");
    k = x.Search(7, "0.0 mS");
    word.NewParagraph();
    Line(word,
         {"3.)      Paced RP: ", x.Field(7, k), "      Width: ", x.Field(4, k), "      Current: ", x.Field(3, k)});
    word.SetAlignment(1);
    k = x.Search(8, "0.0 mS");
    word.NewParagraph();
    Line(word,
         {"4.)      Sensed RP: ", x.Field(8, k), "      Width: ", x.Field(4, k), "      Current: ", x.Field(3, k)});
    ChoiceCell(word, 3);
    word.NewParagraph();
    word.WriteText(kChoice);
    NextRow(word);

    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-Sensitivity");
    word.NewParagraph();
    if (!atrial) {
        word.NewParagraph();
        word.WriteText("Sensitivity  Setting: Rate=80 PPM, Output Current=10mA");
    }
    k = x.Search(6, "0.0 mV");
    word.NewParagraph();
    Line(word,
         {"1.)   Sensitivity: ", x.Field(6, k), "      Width: ", x.Field(4, k), "      Current: ", x.Field(3, k)});
    word.SetAlignment(1);
    ChoiceCell(word, atrial ? 2 : 3);
    word.NewParagraph();
    word.MoveDown();
    word.SetKeepWithNext(false); // after a table added at the end of its title
    for (int i = 0; i < 3; ++i) {
        word.NewParagraph();
    }
}

void WriteAvInterval(WordApplication& word, const FieldLists& x)
{
    Title(word, "AV Interval");
    word.SetFontSize(11);
    word.ToggleBold();
    SetUp(word, 1, 90);
    word.NewParagraph();
    word.ToggleBold();
    word.HomeOfRow(kUnitRow);
    word.WriteText("Function :");
    word.ToggleBold();
    word.WriteText("-AV Interval");
    for (int i = 0; i < 3; ++i) {
        word.NewParagraph();
    }
    // The interval is field 1; the atrial current field 2, the ventricular current field 3.
    Line(word, {"1.) AV Interval:", " " + x.Field(1, 0), "    ATR Current:", " " + x.Field(2, 0),
                "    VTR Current:", " " + x.Field(3, 0)});
    word.SetAlignment(1);
    word.NewParagraph();
    Line(word, {"2.) AV Interval:", " " + x.Field(1, 1), "   ATR Current:", " " + x.Field(2, 1),
                "   VTR Current:", " " + x.Field(3, 1)});
    ChoiceCell(word, 3);
    word.NewParagraph();
    word.WriteText(kChoice);
    word.MoveDown();
    word.SetKeepWithNext(false); // after a table added at the end of its title
    word.NewParagraph();
    word.NewParagraph();
    word.MoveDown();
    word.NewParagraph();
}

} // namespace

bool IsZeroPacemakerReading(const std::string& value)
{
    return IsZeroReading(value);
}

DocumentSpec PacemakerRecordSpec()
{
    return TestRecordSpec("Pacetrax 4000 Test Record", false, 11, DocumentSpec::Footer::FormNumber);
}

void BuildPacemakerRecord(WordApplication& word, const DataSheetTables& tables, const ResultsTable& results)
{
    word.MoveDown();
    word.SetFontSize(14);

    // Identification table.
    word.AddTable(4, 2);
    KeepTableTogether(word, TableHeading::None);
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    word.SetRowHeight(44, kRowHeightAtLeast);
    word.HomeOfRow(kUnitRow);
    word.MoveDown();
    word.SetRowHeight(30, kRowHeightAtLeast);
    word.MoveDown();
    word.MoveDown();
    word.SetRowHeight(30, kRowHeightAtLeast);
    for (int i = 0; i < 3; ++i) {
        word.MoveUp();
    }

    word.SetFontSize(11);
    word.SetAlignment(0);
    word.SetFontName(kFont);
    word.WriteText("Location of DUT:");
    word.NewParagraph();
    word.NewParagraph();
    word.SetFontSize(11);
    word.WriteText("Name of Testing Person:");
    word.MoveRight(kUnitCharacter);

    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetFontSize(11);
    word.SetAlignment(0);
    word.SetRowHeight(50, kRowHeightAtLeast);
    word.SetFontName(kFont);
    WriteServiceChoices(word, [&word](bool last) {
        word.SetFontSize(11);
        word.WriteText("   o");
        word.SetFontSize(last ? 12 : 11);
    });
    word.MoveDown();

    word.SelectFirstRow(1);
    word.MergeCells();
    word.SetFontName(kFont);
    word.WriteText("Name of Organization:");
    word.NewParagraph();
    word.MoveDown();

    word.SetFontSize(11);
    word.SetFontName(kFont);
    word.WriteText("DUT Manufacturer:");
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("DUT Model:");
    word.MoveRight(kUnitCharacter);

    word.SetFontSize(11);
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

    word.SetFontSize(11);
    word.SetFontName(kFont);
    word.WriteText("GUI(Global Unified Identification) No:");
    word.MoveRight(kUnitCharacter);
    word.SetFontSize(11);
    word.SetFontName(kFont);
    word.WriteText("Date:");
    word.MoveDown();
    word.NewParagraph();

    WriteTranscutaneous(word, FieldLists(tables.trans));
    WritePacer(word, FieldLists(tables.atr), true);
    WritePacer(word, FieldLists(tables.vent), false);
    WriteAvInterval(word, FieldLists(tables.avd));

    word.WriteText("Note: The field marked ______ are auto filled based on the functions selected under the "
                   "Equipment ID.");
    word.NewParagraph();
    word.WriteText("The results for any of the function that are not selected will be marked N/A in the test result.");
}

} // namespace tessaprint::docs
