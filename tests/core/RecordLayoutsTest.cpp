// The defibrillator and pacemaker analyzer records: what each section and
// measurement line shows, and the saved documents read back.
#include "DocumentText.h"
#include "DocxReader.h"
#include "HandMadeVerdicts.h"
#include "TestFiles.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/Replay.h"
#include "sim/SamplePrintouts.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

namespace tessaprint::docs {
namespace {

using Lines = std::vector<std::string>;

enum Section { kDefib, kCardio, kChargeTime, kAed, kPacer, kPaceRefr, kSenseRefr, kPaceImu, kSimulator };

// One record holding the given values, parsed as the instrument prints them.
ResultsTable RecordOf(const Lines& values)
{
    ResultsTable table;
    ResultsListing listing;
    std::string printout = "EquipmentID: T\r\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        printout += std::to_string(i + 1) + "." + values[i] + "\r\n";
    }
    ReplayTranscript(printout, table, listing);
    return table;
}

Lines SectionLines(const Lines& values, int section)
{
    std::string wave;
    return DefibrillatorSectionLines(RecordOf(values), 0, section, wave);
}

using test::CellText;

std::vector<const Table*> Tables(const Document& doc)
{
    return test::MainTables(doc);
}

TEST(DefibrillatorRecordTest, SectionLinesFollowTheTokenWalk)
{
    EXPECT_EQ(SectionLines({"Defib 360.0 J 2000 V 50.0 A"}, kDefib),
              Lines{"\t1. Energy Measured: 360.0 J   Voltage 2000 V   Current 50.0 A"});
    EXPECT_EQ(SectionLines({"Charge Time 200 J 5.2 s"}, kChargeTime),
              Lines{"\t1. Energy: 200 J           Charge Time: 5.2 s"});
    EXPECT_EQ(SectionLines({"Cardio 100.1 J 38 ms NSR 1.0 mV"}, kCardio),
              Lines{"\t1. ECG Wave: NSR   Ampl: 1.0 mV   Cardio Time: 38 ms"});
    EXPECT_EQ(SectionLines({"Pace Refr 250 ms 70 PPM"}, kPaceRefr), Lines{"\t1. Paced: 250 ms  Rate: 70 PPM"});
    EXPECT_EQ(SectionLines({"Sense Refr 300 ms 70 PPM"}, kSenseRefr), Lines{"\t1. Sense: 300 ms  Rate: 70 PPM"});
    EXPECT_EQ(SectionLines({"Pace IMU Sine 60 Hz 2.0 mV"}, kPaceImu), Lines{"\t1. Sine Wave: 60 Hz  Ampl: 2.0 mV"});
    // A value that begins with a blank drops an empty first word: its keyword is token 1.
    EXPECT_EQ(SectionLines({" Defib 360.0 J"}, kDefib)[0], "\t1. Energy Measured: Defib 360.0   Voltage J   Current ");
}

TEST(DefibrillatorRecordTest, SeveralMatchesAreNumberedInOrderAndOneValueMayFeedTwoSections)
{
    // Several matches are numbered in order; one value may feed two sections.
    const Lines both = {"Defib 200 J 1 V 2 A", "AED Defib 150 J 3 V 4 A x", "Defib 360 J 5 V 6 A"};
    EXPECT_EQ(SectionLines(both, kDefib).size(), 3u);
    EXPECT_EQ(SectionLines(both, kDefib)[2].rfind("\t3. ", 0), 0u);
    EXPECT_EQ(SectionLines(both, kAed).size(), 1u);
}

TEST(DefibrillatorRecordTest, AWordAtTheEndIsTakenAndFieldsNeverDangle)
{
    EXPECT_EQ(SectionLines({"Pacer 70 PPM 20.0 ms 50.0 mA"}, kPacer),
              Lines{"\t1. Pulse Rate: 70 PPM  Width: 20.0 ms  Current: 50.0 mA"});
    // Fields past the end of a short reading are empty.
    EXPECT_EQ(SectionLines({"Pacer 70 PPM"}, kPacer), Lines{"\t1. Pulse Rate: 70 PPM  Width:   Current: "});
    EXPECT_EQ(SectionLines({"Defib 360.0 J"}, kDefib), Lines{"\t1. Energy Measured: 360.0 J   Voltage    Current "});
}

TEST(DefibrillatorRecordTest, AedWaveIsTheSeventhWordAndTheRest)
{
    // The AED wave is the seventh word and the rest; it shows on the test-load line.
    ResultsTable table = RecordOf({"AED 150.2 J 1519 V 30.4 A Biphasic Truncated"});
    std::string wave;
    EXPECT_EQ(DefibrillatorSectionLines(table, 0, kAed, wave),
              Lines{"\t1. Energy Measured: 150.2 J  Voltage: 1519 V  Current: 30.4 A"});
    EXPECT_EQ(wave, "Biphasic Truncated");
}

TEST(DefibrillatorRecordTest, SimulatorKindsAndTheirForms)
{
    EXPECT_EQ(SectionLines({"NSR 60 BPM 1.0 mV"}, kSimulator), Lines{"\t1. ECG Rate: 60 BPM  Ampl: 1.0 mV"});
    EXPECT_EQ(SectionLines({"SQR 2 Hz 1.0 mV"}, kSimulator), Lines{"\t1. SQR Freq: 2 Hz  Ampl: 1.0 mV"});
    EXPECT_EQ(SectionLines({"TRI 2 Hz 1.0 mV"}, kSimulator), Lines{"\t1. TRI Freq: 2 Hz  Ampl: 1.0 mV"});
    EXPECT_EQ(SectionLines({"TRI SIN 5 Hz"}, kSimulator)[0].find("SIN Freq"), 4u);
    // Only a value that begins with the wave name is a simulator value.
    EXPECT_EQ(SectionLines({" NSR 60 BPM 1.0 mV"}, kSimulator), Lines{"\t1. N/A Freq: N/A  Ampl: N/A"});
}

TEST(DefibrillatorRecordTest, SectionsWithoutValuesShowOneNotAvailableLine)
{
    const Lines expected[] = {
        {"\t1. Energy Measured: N/A   Voltage N/A   Current N/A"},
        {"\t1. ECG Wave: N/A   Ampl: N/A   Cardio Time: N/A"},
        {"\t1. Energy: N/A           Charge Time: N/A"},
        {"\t1. Energy Measured: N/A  Voltage: N/A  Current: N/A"},
        {"\t1. Pulse Rate: N/A  Width: N/A  Current: N/A"},
        {"\t1. Paced: N/A  Rate: N/A"},
        {"\t1. Sense: N/A  Rate: N/A"},
        {"\t1. Sine Wave: N/A  Ampl: N/A"},
        {"\t1. N/A Freq: N/A  Ampl: N/A"},
    };
    for (int section = 0; section < 9; ++section) {
        SCOPED_TRACE(section);
        EXPECT_EQ(SectionLines({"Battery 12.1 V"}, section), expected[section]);
    }
}

TEST(DefibrillatorRecordTest, RowHeightsFromTheLineCount)
{
    EXPECT_EQ(DefibrillatorRowHeight(1, false), 40);
    EXPECT_EQ(DefibrillatorRowHeight(2, false), 40);
    EXPECT_EQ(DefibrillatorRowHeight(2, true), 40);
    EXPECT_EQ(DefibrillatorRowHeight(3, false), 63);
    EXPECT_EQ(DefibrillatorRowHeight(3, true), 68);
    EXPECT_EQ(DefibrillatorRowHeight(5, false), 77);
}

TEST(DefibrillatorRecordTest, ValuesBeyondTheFiftiethAreListed)
{
    Lines values;
    for (int i = 0; i < 60; ++i) {
        values.push_back("Defib " + std::to_string(i) + " J 1 V 2 A");
    }
    EXPECT_EQ(SectionLines(values, kDefib).size(), 60u);
}

TEST(DefibrillatorRecordTest, ValuesAfterAnEmptySlotAreListed)
{
    // An empty slot ends the list on the form, but the record's later values are still its own.
    EXPECT_EQ(SectionLines({"Note.", "Defib 1 J 2 V 3 A"}, kDefib).size(), 1u);
}

class RecordDocumentTest : public ::testing::Test {
protected:
    RecordDocumentTest() { std::filesystem::create_directories(m_folder.path()); }

    Result<DataSheetDocument> Build(InstrumentKind kind, std::string_view printout, int item,
                                    std::optional<verdict::RecordVerdict> verdict = std::nullopt)
    {
        ReplayTranscript(printout, table, listing);
        listing.ShowItem(table, item);
        DataSheetDispatch dispatch(table, engine, clock);
        DataSheetRequest request = MakeDataSheetRequest(listing, listing, kind, m_folder.path().string(), 1);
        request.verdict = std::move(verdict);
        auto written = dispatch.OnDataSheet(request);
        m_tables = dispatch.tables();
        return written;
    }

    tessaprint::test::TempFolder m_folder;
    ManualClock clock;
    ResultsTable table;
    ResultsListing listing;
    DocumentEngine engine;
    DataSheetTables m_tables;
};

TEST_F(RecordDocumentTest, DefibrillatorRecordReadBack)
{
    const auto result = Build(InstrumentKind::Kappa5100, SamplePrintout(InstrumentKind::Kappa5100), 1); // ER-DF-02
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    EXPECT_EQ(doc.main, engine.document().main);

    const auto& title = std::get<Paragraph>(doc.header.blocks[1]);
    EXPECT_EQ(title.runs[0].text, "Defibrillator Analyzer Test Record");
    const auto& footer = std::get<Paragraph>(doc.footer.blocks[0]);
    ASSERT_EQ(footer.runs.size(), 1u);
    EXPECT_EQ(footer.runs[0].kind, Run::Kind::PageNumber);

    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);
    const Table& id = *tables[0];
    EXPECT_EQ(CellText(id.rows[2].cells[1]), "Equipment Test ID:  ER-DF-02||Serial Number:");
    EXPECT_EQ(CellText(id.rows[3].cells[1]), "Date:  05/11/2015");
    EXPECT_EQ(id.rows[3].heightPt, 30);
    EXPECT_EQ(id.rows[1].cells.size(), 1u);

    const Table& defib = *tables[1];
    ASSERT_EQ(defib.rows.size(), 3u);
    EXPECT_EQ(CellText(defib.rows[0].cells[0]), "Function: Defibrillator (Energy)|Test Load 50 Ohms|"
                                                "\t1. Energy Measured: 360.0 J   Voltage 2000 V   Current 50.0 A|"
                                                "\t2. Energy Measured: 200.5 J   Voltage 1490 V   Current 37.3 A|"
                                                "\t3. Energy Measured: 100.2 J   Voltage 1055 V   Current 26.4 A");
    EXPECT_EQ(defib.rows[0].heightPt, 63);
    EXPECT_EQ(CellText(defib.rows[0].cells[1]), "Complies (Pass)|Yes            No");
    // 5.3 and 1.6 in scaled to the 6.7 in between the margins.
    EXPECT_EQ(defib.gridColumnsPt, (std::vector<double>{370.55, 111.85}));
    const auto& function = defib.rows[0].cells[0].paragraphs[0].runs;
    EXPECT_TRUE(function[0].format.bold);
    EXPECT_EQ(function[0].format.size, 10);
    EXPECT_FALSE(function[1].format.bold);

    // ER-DF-02 has no AED and no pacing: one "N/A" line each.
    const Table& aed = *tables[2];
    EXPECT_EQ(CellText(aed.rows[0].cells[0]), "Function: AED (Energy)|Test Load 50 Ohms          Wave: |"
                                              "\t1. Energy Measured: N/A  Voltage: N/A  Current: N/A");
    EXPECT_EQ(aed.rows[0].heightPt, 40);
    const Table& pacing = *tables[3];
    ASSERT_EQ(pacing.rows.size(), 4u);
    EXPECT_EQ(CellText(pacing.rows[3].cells[0]), "Function: Pacemaker Immunity|\t1. Sine Wave: N/A  Ampl: N/A");
    EXPECT_EQ(CellText(tables[4]->rows[0].cells[0]), "Function: Simulator|\t1. ECG Rate: 60 BPM  Ampl: 1.0 mV");

    const auto& last = std::get<Paragraph>(doc.main.blocks.back());
    EXPECT_EQ(last.runs.at(0).text,
              "Signature: ______________________________________________\t        Date: ___________________");
}

TEST_F(RecordDocumentTest, DefibrillatorVerdictsMarkTheComplianceOfTheRowsTheirReadingsFill)
{
    using tessaprint::test::Judged;
    using verdict::Outcome;
    const verdict::ReadingVerdict pass = Judged(Outcome::Pass, "200 J \u00B1 30 J");
    // ICU-DF-07: Defib 0-4, Cardio 5-6, Charge Time 7-8, AED 9-10, Pacer 11-12, Pace Refr 13, ...
    auto verdicts = tessaprint::test::RecordVerdictOf(20, {{0, pass},
                                                           {1, pass},
                                                           {2, pass},
                                                           {3, pass},
                                                           {4, pass},
                                                           {5, pass},
                                                           {6, Judged(Outcome::Fail, "\u2264 60 ms")},
                                                           {7, pass},
                                                           {8, Judged(Outcome::NotJudged, "", "needs the setting")},
                                                           {9, pass},
                                                           {10, pass},
                                                           {11, pass}});
    const auto result = Build(InstrumentKind::Kappa5100, SamplePrintout(InstrumentKind::Kappa5100), 0, verdicts);
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    EXPECT_EQ(doc.main, engine.document().main);
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);
    const std::string yes = "Complies (Pass)|\u2612 Yes          No";
    const std::string no = "Complies (Pass)|Yes          \u2612 No";
    const std::string open = "Complies (Pass)|Yes            No";
    const auto choices = [&tables](std::size_t t) {
        std::vector<std::string> cells;
        for (const auto& row : tables[t]->rows) {
            cells.push_back(CellText(row.cells[1]));
        }
        return cells;
    };
    EXPECT_EQ(choices(1), (Lines{yes, no, open})); // energy, cardio time with a fail, charge time not judged
    EXPECT_EQ(choices(2), (Lines{yes}));           // AED
    // Pulse: a pass and a reading without a limit; refractory and immunity have no limit.
    EXPECT_EQ(choices(3), (Lines{yes, open, open, open}));
    EXPECT_EQ(choices(4), (Lines{open})); // the simulator's lines have no limit
    EXPECT_EQ(tables[1]->gridColumnsPt, (std::vector<double>{370.55, 111.85}));
}

TEST_F(RecordDocumentTest, PacemakerVerdictsMarkTheChoiceOfEachLineByTheEntryItShows)
{
    using tessaprint::test::Judged;
    using verdict::Outcome;
    const std::string printout = "EquipmentID: PM-9\r\n"
                                 "1.Trans 9.8 mJ 3.5 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 250 mS 300 mS\r\n"
                                 "2.ATR 0.0 uJ 0.0 V 0.0 mA 0.0 ms 0.0 PPM 0.0 mV 0.0 mS 0.0 mS\r\n"
                                 "3.ATR 10.5 uJ 5.0 V 10.0 mA 1.0 ms 72.0 PPM 0.05 mV 250 mS 300 mS\r\n"
                                 "4.Vent 5.0 uJ 5.0 V 10.0 mA 1.0 ms 70.0 PPM 2.0 mV 250 mS 300 mS\r\n"
                                 "5.AVD 150 mS 10.0 mA 12.0 mA\r\n";
    // The all-zero atrial entry passes, the one the lines show fails; the
    // ventricular reading has no limit.
    const auto verdicts = tessaprint::test::RecordVerdictOf(5, {{0, Judged(Outcome::Pass, "\u2264 10 mA")},
                                                                {1, Judged(Outcome::Pass, "\u2264 10 mA")},
                                                                {2, Judged(Outcome::Fail, "\u2264 10 mA")},
                                                                {4, Judged(Outcome::Pass, "\u2264 200 ms")}});
    const auto result = Build(InstrumentKind::Pactrx, printout, 0, verdicts);
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);
    const std::string yes = "\u2612 Yes        No";
    const std::string no = "Yes        \u2612 No";
    const std::string open = "Yes          No";
    EXPECT_EQ(CellText(tables[1]->rows[0].cells[1]), "Complies (Pass)|||" + yes + "|" + yes);
    EXPECT_EQ(CellText(tables[1]->rows[2].cells[1]), "Complies (Pass)|||" + yes);
    EXPECT_EQ(CellText(tables[2]->rows[0].cells[1]), "Complies (Pass)|||" + no + "|" + no);
    EXPECT_EQ(CellText(tables[2]->rows[2].cells[1]), "Complies (Pass)||" + no + "|");
    EXPECT_EQ(CellText(tables[3]->rows[1].cells[1]), "Complies (Pass)|||" + open + "|" + open);
    // The second AV interval line has no entry, and no answer.
    EXPECT_EQ(CellText(tables[4]->rows[0].cells[1]), "Complies (Pass)|||" + yes + "|" + open + "|||");
}

TEST_F(RecordDocumentTest, NegativeSelectedRecordIsRecordZero)
{
    DataSheetTables tables;
    tables.selectedRecord = -1;
    ReplayTranscript("EquipmentID: A\r\n1.Defib 9 J 1 V 2 A\r\n", table, listing);
    engine.StartWord();
    engine.AddDocument("Normal.dotm", false);
    BuildDefibrillatorRecord(engine, tables, table);
    EXPECT_EQ(tables.selectedRecord, 0);
    const auto& defib = std::get<Table>(engine.document().main.blocks.at(3));
    EXPECT_NE(CellText(defib.rows[0].cells[0]).find("\t1. Energy Measured: 9 J   Voltage 1 V   Current 2 A"),
              std::string::npos);
}

TEST(PacemakerRecordTest, ValueCountsAsZeroWhenItsLeadingNumberIsZero)
{
    for (const char* zero : {"0.0 PPM", "0 mV", "0.00", "-0.0 mS", "00.0 uJ"}) {
        EXPECT_TRUE(IsZeroPacemakerReading(zero)) << zero;
    }
    for (const char* reading : {"0.05 mV", "10.0 mV", "72.0 PPM", "", "N/A", ".5 ms", "0.0001 V"}) {
        EXPECT_FALSE(IsZeroPacemakerReading(reading)) << reading;
    }
}

TEST_F(RecordDocumentTest, PacemakerLinesShowTheEntryTheValueSearchPicks)
{
    const std::string printout = "EquipmentID: PM-9\r\n"
                                 "1.Trans 9.8 mJ 3.5 V 70.0 mA 40.0 ms 70.0 PPM 1.0 mV 250 mS 300 mS\r\n"
                                 "2.Trans 0.0 mJ 0.0 V 0.0 mA 0.0 ms 0.0 PPM 0.0 mV 0.0 mS 0.0 mS\r\n"
                                 "3.ATR 0.0 uJ 0.0 V 0.0 mA 0.0 ms 0.0 PPM 0.0 mV 0.0 mS 0.0 mS\r\n"
                                 "4.ATR 10.5 uJ 5.0 V 10.0 mA 1.0 ms 72.0 PPM 0.05 mV 250 mS 300 mS\r\n"
                                 "5.ATR 12.5 uJ 5.0 V 11.0 mA 1.5 ms 70.0 PPM 2.0 mV 260 mS 310 mS\r\n"
                                 "6.Vent 0.0 uJ 5.0 V\r\n"
                                 "7.AVD 150 ms 10.0 mA 12.0 mA\r\n";
    const auto result = Build(InstrumentKind::Pactrx, printout, 0);
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    EXPECT_EQ(doc.main, engine.document().main);
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);

    const std::string trans = CellText(tables[1]->rows[0].cells[0]);
    EXPECT_NE(trans.find("1.)   PPM Measured: 70.0 PPM  Width: 40.0 ms  Current: 70.0 mA"), std::string::npos);

    // Atrial: 0.0 / 72.0 / 70.0 PPM → entry 1, with that row's width and current.
    const std::string atrialPulse = CellText(tables[2]->rows[0].cells[0]);
    EXPECT_NE(atrialPulse.find("1.)      PPM Measured: 72.0 PPM      Width: 1.0 ms      Current: 10.0 mA"),
              std::string::npos)
        << atrialPulse;
    EXPECT_NE(atrialPulse.find("2.)    PPM Measured: 72.0 PPM      Energy: 10.5 uJ      Voltage: 5.0 V"),
              std::string::npos);
    // 0.05 mV is a reading, not a zero.
    const std::string atrialSensitivity = CellText(tables[2]->rows[2].cells[0]);
    EXPECT_NE(atrialSensitivity.find("1.)   Sensitivity: 0.05 mV"), std::string::npos) << atrialSensitivity;

    // A row with only three fields: empty fields get the defaults; all zero shows entry 0.
    const std::string vent = CellText(tables[3]->rows[0].cells[0]);
    EXPECT_NE(vent.find("1.)      PPM Measured: 0.0 PPM      Width:       Current: "), std::string::npos) << vent;

    // AV interval: field 1, then the atrial (field 2) and ventricular (field 3) currents; the second
    // line has no row to show and says so.
    const std::string av = CellText(tables[4]->rows[0].cells[0]);
    EXPECT_NE(av.find("1.) AV Interval: 150 ms    ATR Current: 10.0 mA    VTR Current: 12.0 mA"), std::string::npos)
        << av;
    EXPECT_NE(av.find("2.) AV Interval: N/A   ATR Current: N/A   VTR Current: N/A"), std::string::npos) << av;
    // The empty paragraph the set-up left in the right cell stays below the
    // choices, and the closing moves walk through it before leaving the table.
    EXPECT_EQ(CellText(tables[4]->rows[0].cells[1]), "Complies (Pass)|||Yes          No|Yes          No|||");
    const auto& note = std::get<Paragraph>(doc.main.blocks.at(doc.main.blocks.size() - 2));
    EXPECT_EQ(note.runs.at(0).text.rfind("Note: The field marked ______ are auto filled", 0), 0u);

    const Table& id = *tables[0];
    EXPECT_EQ(id.rows[0].heightPt, 50);
    EXPECT_EQ(id.rows[1].heightPt, 30);
    EXPECT_EQ(id.rows[3].heightPt, 30);
    EXPECT_EQ(CellText(id.rows[2].cells[1]), "Equipment ID:  PM-9||Serial Number:");
    EXPECT_EQ(CellText(id.rows[3].cells[1]), "Date:"); // the pacemaker record leaves the date to the pen
    EXPECT_EQ(tables[1]->rows[0].heightPt, 100);
    EXPECT_EQ(tables[1]->gridColumnsPt, (std::vector<double>{384.5, 97.9})); // 5.5 and 1.4 in, scaled to 6.7 in

    const auto& title = std::get<Paragraph>(doc.header.blocks[1]);
    EXPECT_EQ(title.runs[0].text, "Pacetrax 4000 Test Record");
    EXPECT_FALSE(title.runs[0].format.bold);
    EXPECT_EQ(title.runs[0].format.size, 11);
}

// The first record of a sample printout, saved and opened in LibreOffice.
class RecordInLibreOfficeTest : public RecordDocumentTest {
protected:
    void SetUp() override
    {
        if (!tessaprint::test::SofficeOnPath()) {
            GTEST_SKIP() << "soffice is not on PATH; install libreoffice-writer-nogui to check the documents open";
        }
    }

    // The text LibreOffice shows for the sample's first record of this kind.
    void OpenSample(InstrumentKind kind, std::string& text)
    {
        const auto result = Build(kind, SamplePrintout(kind), 0);
        ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
        text = tessaprint::test::ConvertWithLibreOffice(m_work.path(), result.value().savedPath, "txt:Text", ".txt");
        ASSERT_FALSE(text.empty());
    }

    tessaprint::test::TempFolder m_work;
};

TEST_F(RecordInLibreOfficeTest, DefibrillatorRecordOpens)
{
    std::string text;
    ASSERT_NO_FATAL_FAILURE(OpenSample(InstrumentKind::Kappa5100, text));
    EXPECT_NE(text.find("Energy Measured: 2.0 J   Voltage 176 V"), std::string::npos) << text;
    EXPECT_NE(text.find("Test Data:"), std::string::npos);
}

TEST_F(RecordInLibreOfficeTest, PacemakerRecordOpens)
{
    std::string text;
    ASSERT_NO_FATAL_FAILURE(OpenSample(InstrumentKind::Pactrx, text));
    EXPECT_NE(text.find("PPM Measured: 70.0 PPM"), std::string::npos) << text;
    EXPECT_NE(text.find("AV Interval"), std::string::npos);
}

} // namespace
} // namespace tessaprint::docs
