// "Data Sheet": the choice of layout, the record and date it documents, the
// output name, and the electrical safety record read back from its .docx.
#include "DocumentText.h"
#include "DocxReader.h"
#include "HandMadeVerdicts.h"
#include "RecordingWordApplication.h"
#include "TestFiles.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/Replay.h"
#include "sim/SamplePrintouts.h"
#include "util/ManualClock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;

class DataSheetTest : public ::testing::Test {
protected:
    DataSheetTest()
    {
        m_folder = fs::temp_directory_path() / ("tessaprint-datasheet-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_folder);
    }
    ~DataSheetTest() override { fs::remove_all(m_folder); }

    void Capture(std::string_view printout) { ReplayTranscript(printout, table, listing); }

    // The request the form would make with selector item k chosen.
    DataSheetRequest Request(std::optional<InstrumentKind> kind, int k)
    {
        DataSheetRequest request;
        request.checkedKind = kind;
        for (const auto& row : listing.ReadingsForItem(table, k)) {
            request.rows.push_back({row.item, row.testName, row.reading});
        }
        request.selectorCurrent = k;
        request.selectorItemText = listing.SelectorItemText(k);
        request.reportsFolder = m_folder.string();
        return request;
    }

    const Table& TableNumber(const Document& doc, int n) const
    {
        int seen = 0;
        for (const auto& block : doc.main.blocks) {
            if (const auto* found = std::get_if<Table>(&block)) {
                if (seen++ == n) {
                    return *found;
                }
            }
        }
        throw std::out_of_range("no such table");
    }

    static std::string Text(const Cell& cell) { return test::CellText(cell); }

    // Every entry below the reports folder, each of them expected to be a file.
    std::size_t EntriesInTheFolder() const
    {
        std::size_t entries = 0;
        for (const auto& entry : fs::recursive_directory_iterator(m_folder)) {
            EXPECT_TRUE(entry.is_regular_file()) << entry.path();
            ++entries;
        }
        return entries;
    }

    // The sheet for a record without an ID line, with no selector item
    // current; lastId is what the table holds from the capture before.
    Result<DataSheetDocument> SheetWithoutACurrentItem(const std::string& lastId)
    {
        Capture("1.Case Leakage 1 uA\r\n");
        table.SetCurrentEquipmentId(lastId);
        DataSheetDispatch dispatch(table, engine, clock);
        return dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, -1));
    }

    // The body both template choices frame.
    static void WriteBodyText(WordApplication& word) { word.WriteText("Body text"); }

    // What the frame gives whichever the template: the saved file is the
    // document built, and the body is plain on the frame's page.
    void ExpectTheFrameAroundThePlainBody(const Document& doc) const
    {
        EXPECT_EQ(doc, engine.document());

        // 0.9 inch side margins; the template's page otherwise.
        EXPECT_DOUBLE_EQ(doc.page.leftMarginPt, 64.8);
        EXPECT_DOUBLE_EQ(doc.page.rightMarginPt, 64.8);
        EXPECT_EQ(doc.page.topMarginPt, kDefaultTopBottomMarginPt);
        EXPECT_EQ(doc.page.widthPt, kPageWidthPt);

        // The body goes into the main text, plain, with nothing of the header's formatting.
        ASSERT_EQ(doc.main.blocks.size(), 1u);
        const auto& text = std::get<Paragraph>(doc.main.blocks[0]);
        ASSERT_EQ(text.runs.size(), 1u);
        EXPECT_EQ(text.runs[0].text, "Body text");
        EXPECT_EQ(text.runs[0].format, CharFormat{});
        EXPECT_EQ(text.format, ParaFormat{});
    }

    // Record 0 dated, record 1 without a date line of its own.
    static constexpr const char* kDatedThenUndated = "EquipmentID: P\r\nDate: 05/06/2015\r\nEquipmentID: Q\r\n";

    fs::path m_folder;
    ManualClock clock;
    ResultsTable table;
    ResultsListing listing;
    DocumentEngine engine;
    // Stands in for the word processor where only the walk matters, not the file.
    RecordingWordApplication recorder;
};

TEST_F(DataSheetTest, ElectricalSafetyRecordReadBackCellByCell)
{
    Capture(SamplePrintout(InstrumentKind::Quellmax));
    DataSheetDispatch dispatch(table, engine, clock);
    const auto result = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 5)); // OR-ESU-3
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    EXPECT_EQ(fs::path(result.value().savedPath).filename(), "OR-ESU-3-307201590508.docx");

    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    // What was saved is what the walk built.
    EXPECT_EQ(doc.main, engine.document().main);
    EXPECT_EQ(doc.header, engine.document().header);
    EXPECT_EQ(doc.footer, engine.document().footer);

    // Header: grey, centred, company in italics, both lines bold 12 Calibri.
    ASSERT_EQ(doc.header.blocks.size(), 2u);
    const auto& company = std::get<Paragraph>(doc.header.blocks[0]);
    const auto& title = std::get<Paragraph>(doc.header.blocks[1]);
    EXPECT_EQ(company.runs[0].text, "Zelmor Corporation");
    EXPECT_TRUE(company.runs[0].format.italic);
    EXPECT_TRUE(company.runs[0].format.bold);
    EXPECT_EQ(title.runs[0].text, "Electrical Safety Test Record");
    EXPECT_FALSE(title.runs[0].format.italic);
    EXPECT_EQ(title.runs[0].format.font, "Calibri");
    EXPECT_EQ(title.format.shading, 15132390u);
    EXPECT_EQ(title.format.alignment, Alignment::Center);
    const auto& footer = std::get<Paragraph>(doc.footer.blocks[0]);
    EXPECT_EQ(footer.runs[0].text, "Zelmor Corporation Form # /*75-022, rev. 2*/");
    EXPECT_EQ(footer.runs[0].format.size, 8);

    // Identification table: rows 2 and 5 merged, heights at least 50 and 44
    // (a long ID grows its row), labels bold, no row split across pages.
    const Table& id = TableNumber(doc, 0);
    ASSERT_EQ(id.rows.size(), 5u);
    EXPECT_EQ(id.rows[0].heightPt, 50);
    EXPECT_EQ(id.rows[0].heightRule, HeightRule::AtLeast);
    EXPECT_TRUE(id.rows[0].cantSplit && id.rows[4].cantSplit);
    EXPECT_EQ(id.rows[3].heightPt, 44);
    EXPECT_EQ(id.rows[1].cells.size(), 1u);
    EXPECT_EQ(id.rows[4].cells.size(), 1u);
    EXPECT_EQ(id.rows[1].cells[0].gridSpan, 2);
    EXPECT_EQ(Text(id.rows[0].cells[0]), "Testing Organization:||Name of Testing Person:");
    EXPECT_EQ(Text(id.rows[0].cells[1]), "Test result prior to service   o|                     Recurrent Test   o|"
                                         "                  Test after repair   o");
    EXPECT_EQ(Text(id.rows[1].cells[0]), "Name of Organization:|");
    EXPECT_EQ(Text(id.rows[2].cells[0]), "Equipment Name:|");
    EXPECT_EQ(Text(id.rows[2].cells[1]), "Equipment ID:  OR-ESU-3||Serial Number:");
    EXPECT_EQ(Text(id.rows[3].cells[0]), "|Equipment Type:");
    EXPECT_EQ(Text(id.rows[3].cells[1]), "Equipment Class:   I    II|Battery (operated): Yes  No");
    EXPECT_EQ(Text(id.rows[4].cells[0]), "Accessories:|");
    const auto& idRuns = id.rows[2].cells[1].paragraphs[0].runs;
    ASSERT_EQ(idRuns.size(), 2u);
    EXPECT_TRUE(idRuns[0].format.bold);
    EXPECT_FALSE(idRuns[1].format.bold); // the ID itself is plain 12
    EXPECT_EQ(idRuns[1].format.size, 12);
    const auto& circle = id.rows[0].cells[1].paragraphs[0].runs[1];
    EXPECT_EQ(circle.text, "   o");
    EXPECT_FALSE(circle.format.bold);
    EXPECT_EQ(circle.format.size, 14);
    EXPECT_TRUE(id.rows[0].cells[0].paragraphs[0].runs[0].format.bold);

    // Table A: the rows with its keywords, in list order; table B: External Leakage.
    const Table& a = TableNumber(doc, 1);
    // 2.5, 1.8, 1.0 and 1.5 in scaled to the 6.7 in between the margins.
    EXPECT_EQ(a.gridColumnsPt, (std::vector<double>{177.35, 127.7, 70.95, 106.4}));
    EXPECT_EQ(Text(a.rows[0].cells[0]), "Leakage Measurement");
    EXPECT_TRUE(a.rows[0].cells[0].paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(a.rows[0].cells[0].paragraphs[0].runs[0].format.size, 14);
    std::vector<std::string> namesA;
    for (std::size_t r = 1; r < a.rows.size(); ++r) {
        namesA.push_back(Text(a.rows[r].cells[0]) + " = " + Text(a.rows[r].cells[1]));
        EXPECT_EQ(a.rows[r].heightPt, 20);
        EXPECT_EQ(Text(a.rows[r].cells[2]), ""); // Pass / Fail stays for the pen
    }
    EXPECT_EQ(namesA, (std::vector<std::string>{
                          "Ground Resistance = 0.094 Ohms", "Insulation Resistance = 35.2 MOhms",
                          "Device Current = 2.47 A", "Case Leakage = 0.5 uA", "Case Leakage Reverse Polarity = 0.7 uA",
                          "Case Leakage Open Neutral = 2.1 uA", "Case Leakage Open Ground = 71.9 uA",
                          "Leads Leakage To Ground = 3.4 uA", "Isolation Leakage = 8.2 uA"}));
    EXPECT_FALSE(a.rows[1].cells[0].paragraphs[0].runs[0].format.bold);
    EXPECT_EQ(a.rows[1].cells[0].paragraphs[0].runs[0].format.size, 12);

    const Table& b = TableNumber(doc, 2);
    ASSERT_EQ(b.rows.size(), 3u);
    EXPECT_EQ(Text(b.rows[0].cells[0]), "External Measurement");
    EXPECT_EQ(Text(b.rows[1].cells[0]), "External Leakage Footswitch");
    EXPECT_EQ(Text(b.rows[2].cells[1]), "5.8 uA");

    // The row neither table takes ("Line Voltage") is on the page in a table of its own.
    const Table& others = TableNumber(doc, 3);
    ASSERT_EQ(others.rows.size(), 2u);
    EXPECT_EQ(Text(others.rows[0].cells[0]), "Measurement");
    EXPECT_EQ(Text(others.rows[1].cells[0]) + " = " + Text(others.rows[1].cells[1]), "Line Voltage = 119.5 V");

    const Table& monitoring = TableNumber(doc, 4);
    ASSERT_EQ(monitoring.rows.size(), 3u);
    EXPECT_EQ(Text(monitoring.rows[0].cells[2]), "Rate Measured");
    EXPECT_EQ(Text(monitoring.rows[2].cells[0]), "");
}

TEST_F(DataSheetTest, VerdictsFillThePassFailAndCommentsCellsOfTheirRowsOnly)
{
    using tessaprint::test::Judged;
    using verdict::Outcome;
    Capture(SamplePrintout(InstrumentKind::Quellmax));
    DataSheetDispatch plainDispatch(table, engine, clock);
    ASSERT_TRUE(plainDispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 5)).ok()); // OR-ESU-3
    const Document plain = engine.document();

    DataSheetRequest request = Request(InstrumentKind::Quellmax, 5);
    ASSERT_EQ(request.rows.size(), 12u);
    request.verdict = tessaprint::test::RecordVerdictOf(
        request.rows.size(), {{1, Judged(Outcome::Pass, "\u2264 0.3 \u03A9")},
                              {4, Judged(Outcome::Pass, "\u2264 100 \u00B5A")},
                              {7, Judged(Outcome::Fail, "\u2264 50 \u00B5A")},
                              {8, Judged(Outcome::NotJudged, "", "needs the applied part type")},
                              {9, Judged(Outcome::Unreadable, "\u2264 50 \u00B5A", "unit V does not fit \u00B5A")},
                              {10, Judged(Outcome::Pass, "\u2264 100 \u00B5A")}});
    DocumentEngine judgedEngine;
    DataSheetDispatch dispatch(table, judgedEngine, clock);
    const auto result = dispatch.OnDataSheet(request);
    ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
    const Document doc = test::DocxReader::FromFile(result.value().savedPath).ReadDocument();
    EXPECT_EQ(doc.main, judgedEngine.document().main);

    // Each reading row: name, value, Pass / Fail, Comments.
    const auto rowsOf = [this](const Document& d, int n) {
        std::vector<std::string> rows;
        const Table& t = TableNumber(d, n);
        for (std::size_t r = 1; r < t.rows.size(); ++r) {
            rows.push_back(Text(t.rows[r].cells[0]) + " = " + Text(t.rows[r].cells[1]) + " | " +
                           Text(t.rows[r].cells[2]) + " | " + Text(t.rows[r].cells[3]));
        }
        return rows;
    };
    EXPECT_EQ(rowsOf(doc, 1), (std::vector<std::string>{
                                  "Ground Resistance = 0.094 Ohms | Pass | \u2264 0.3 \u03A9",
                                  "Insulation Resistance = 35.2 MOhms |  | ",
                                  "Device Current = 2.47 A |  | ",
                                  "Case Leakage = 0.5 uA | Pass | \u2264 100 \u00B5A",
                                  "Case Leakage Reverse Polarity = 0.7 uA |  | ",
                                  "Case Leakage Open Neutral = 2.1 uA |  | ",
                                  "Case Leakage Open Ground = 71.9 uA | Fail | \u2264 50 \u00B5A",
                                  "Leads Leakage To Ground = 3.4 uA |  | Not judged: needs the applied part type",
                                  "Isolation Leakage = 8.2 uA |  | Unreadable: unit V does not fit \u00B5A",
                              }));
    EXPECT_EQ(rowsOf(doc, 2),
              (std::vector<std::string>{"External Leakage Footswitch = 0.3 uA | Pass | \u2264 100 \u00B5A",
                                        "External Leakage Return Electrode = 5.8 uA |  | "}));
    EXPECT_EQ(rowsOf(doc, 3), (std::vector<std::string>{"Line Voltage = 119.5 V |  | "}));
    const auto& pass = TableNumber(doc, 1).rows[1].cells[2].paragraphs[0].runs.at(0);
    EXPECT_EQ(pass.format.font, "Calibri");
    EXPECT_EQ(pass.format.size, 12);

    // Everything else is the record without verdicts: the column widths, the
    // monitoring table, the overall assessment with none of its circles ticked.
    for (const int n : {1, 2, 3}) {
        EXPECT_EQ(TableNumber(doc, n).gridColumnsPt, TableNumber(plain, n).gridColumnsPt) << n;
    }
    for (const int n : {0, 4}) {
        EXPECT_EQ(TableNumber(doc, n), TableNumber(plain, n)) << n;
    }
    const auto paragraphs = [](const Document& d) {
        std::vector<Paragraph> found;
        for (const auto& block : d.main.blocks) {
            if (const auto* p = std::get_if<Paragraph>(&block)) {
                found.push_back(*p);
            }
        }
        return found;
    };
    EXPECT_EQ(paragraphs(doc), paragraphs(plain));
}

TEST_F(DataSheetTest, TablesWithoutMatchingRowsAndRowsAfterAnEmptyName)
{
    DataSheetTables tables;
    tables.listTestNames[0] = "Line Voltage";
    tables.listReadings[0] = "120 V";
    tables.listTestNames[2] = "Case Leakage"; // after an empty value's row: still on the page
    tables.listReadings[2] = "0.4 uA";
    ResultsTable results;
    EXPECT_TRUE(RunDocument(
                    engine, 1, ElectricalSafetyRecordSpec(),
                    [&](WordApplication& word) { BuildElectricalSafetyRecord(word, tables, results); },
                    (m_folder / "empty").string())
                    .ok());
    const Document& doc = engine.document();
    const Table& a = TableNumber(doc, 1);
    ASSERT_EQ(a.rows.size(), 2u);
    EXPECT_EQ(Text(a.rows[1].cells[0]), "Case Leakage");
    EXPECT_EQ(Text(a.rows[1].cells[1]), "0.4 uA");
    const Table& b = TableNumber(doc, 2);
    ASSERT_EQ(b.rows.size(), 2u); // header and one row for the pen
    EXPECT_EQ(Text(b.rows[1].cells[0]), "");
    EXPECT_EQ(Text(TableNumber(doc, 0).rows[2].cells[1]), "Equipment ID: ||Serial Number:");
}

TEST_F(DataSheetTest, RowWithSeveralKeywordsIsListedOnceAndOnlyInItsTable)
{
    Capture("EquipmentID: X\r\n1.Case Leakage Resistance 1 uA\r\n2.External Leakage Resistance 2 uA\r\n"
            "3.External Leakage 3 uA\r\n");
    DataSheetDispatch dispatch(table, engine, clock);
    ASSERT_TRUE(dispatch.OnDataSheet(Request(std::nullopt, 0)).ok()); // no radio button: electrical safety
    const Document& doc = engine.document();
    const Table& a = TableNumber(doc, 1);
    ASSERT_EQ(a.rows.size(), 3u); // "Resistance" also matches the second row
    EXPECT_EQ(Text(a.rows[1].cells[0]), "Case Leakage Resistance");
    EXPECT_EQ(Text(a.rows[2].cells[0]), "External Leakage Resistance");
    EXPECT_EQ(TableNumber(doc, 2).rows.size(), 3u);
}

TEST_F(DataSheetTest, WholeTextsReachTheDocument)
{
    const std::string longName(120, 'N');
    const std::string longReading = "1" + std::string(300, 'r');
    Capture("EquipmentID: LONG\r\n1.Case Leakage " + longName + " " + longReading + "\r\n");
    DataSheetDispatch dispatch(table, engine, clock);
    ASSERT_TRUE(dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 0)).ok());
    EXPECT_EQ(dispatch.tables().listTestNames[0], "Case Leakage " + longName);
    EXPECT_EQ(Text(TableNumber(engine.document(), 1).rows[1].cells[1]), longReading);
}

TEST_F(DataSheetTest, SheetsOfTheSameIdAndStampNeverOverwriteEachOther)
{
    Capture("EquipmentID: A-17\r\n1.Case Leakage 1 uA\r\n");
    DataSheetDispatch dispatch(table, engine, clock);
    const auto first = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 0));
    const auto second = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 0)); // the same second
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_EQ(fs::path(first.value().savedPath).filename(), "A-17-307201590508.docx");
    EXPECT_EQ(fs::path(second.value().savedPath).filename(), "A-17-307201590508-2.docx");
    // reportPath is the name and the stamp; the save adds the copy number.
    EXPECT_EQ(dispatch.reportPath(), (m_folder / "A-17-307201590508").string());
    // 12 hours later the stamp is the same (no AM/PM): still a new file.
    std::tm morning = *clock.LocalTime();
    morning.tm_hour = 9;
    clock.SetLocalTime(morning);
    EXPECT_EQ(fs::path(dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 0)).value().savedPath).filename(),
              "A-17-307201590508-3.docx");
    EXPECT_EQ(EntriesInTheFolder(), 3u);
}

TEST_F(DataSheetTest, IdsThatWouldNameAnotherFolderAreRefusedAndNothingLeavesTheFolder)
{
    Capture("EquipmentID: ../../escape\r\nEquipmentID: a/b\r\nEquipmentID: C:x\r\n");
    DataSheetDispatch dispatch(table, engine, clock);
    ASSERT_EQ(listing.SelectorCount(), 3);
    for (int k = 0; k < listing.SelectorCount(); ++k) {
        SCOPED_TRACE(listing.SelectorItemText(k));
        const auto bad = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, k));
        EXPECT_FALSE(bad.ok());
        EXPECT_EQ(ComErrorText(bad.error()).rfind("COM Error: 0x8007007B. ", 0), 0u) << ComErrorText(bad.error());
    }
    EXPECT_EQ(EntriesInTheFolder(), 0u);
    EXPECT_FALSE(fs::exists(m_folder.parent_path().parent_path() / "escape-307201590508.docx"));
}

TEST_F(DataSheetTest, NoIdAtAllNamesTheFileByTheStampAlone)
{
    const auto unnamed = SheetWithoutACurrentItem("");
    ASSERT_TRUE(unnamed.ok()) << ComErrorText(unnamed.error());
    EXPECT_EQ(fs::path(unnamed.value().savedPath).filename(), "-307201590508.docx");
}

TEST_F(DataSheetTest, NoCurrentItemKeepsTheLastIdForTheName)
{
    const auto again = SheetWithoutACurrentItem(" LAST");
    EXPECT_EQ(fs::path(again.value().savedPath).filename(), "LAST-307201590508.docx");
}

TEST_F(DataSheetTest, ClockWithoutALocalTimeStampsTheNameInvalidDateTime)
{
    clock.SetLocalTime(std::nullopt);
    EXPECT_EQ(fs::path(SheetWithoutACurrentItem(" LAST").value().savedPath).filename(), "LAST-Invalid DateTime.docx");
}

TEST_F(DataSheetTest, KappaSheetDocumentsTheRecordOfTheChosenItemAndItsDate)
{
    // Items 0 and 2 share an ID; record 2 has no date line of its own here.
    Capture("EquipmentID: A\r\nDate: 01/02/2015\r\n1.Defib 200 J\r\nEquipmentID: B\r\nDate: 02/03/2015\r\n"
            "EquipmentID: A\r\n1.Defib 360 J\r\n");
    DataSheetDispatch dispatch(table, recorder, clock);
    (void)dispatch.OnDataSheet(Request(InstrumentKind::Kappa5100, 2));
    EXPECT_EQ(dispatch.tables().selectedRecord, 2);
    EXPECT_EQ(table.currentDate(), " 02/03/2015");
    EXPECT_EQ(table.currentEquipmentId(), " A");
}

TEST_F(DataSheetTest, UndatedPacemakerRecordLooksTwoRecordsBackAtMostThenTakesToday)
{
    // Dates fall back two records at most, then to today.
    Capture("EquipmentID: P\r\nEquipmentID: Q\r\nEquipmentID: R\r\nEquipmentID: S\r\n");
    table.SetCurrentDate("");
    DataSheetDispatch dispatch(table, recorder, clock);
    (void)dispatch.OnDataSheet(Request(InstrumentKind::Pactrx, 3));
    EXPECT_EQ(table.currentDate(), "3/07/2015");
}

TEST_F(DataSheetTest, UndatedPacemakerRecordTakesTheDateOfTheRecordBefore)
{
    Capture(kDatedThenUndated);
    DataSheetDispatch dispatch(table, recorder, clock);
    (void)dispatch.OnDataSheet(Request(InstrumentKind::Pactrx, 1));
    EXPECT_EQ(table.currentDate(), " 05/06/2015");
}

TEST_F(DataSheetTest, WithTheKappaButtonOnThePacemakerButtonIsNotLookedAt)
{
    Capture(kDatedThenUndated);
    DataSheetDispatch dispatch(table, recorder, clock);
    EXPECT_EQ(dispatch.OnDataSheet(Request(InstrumentKind::Kappa5100, 1)).value().kind, InstrumentKind::Kappa5100);
}

TEST_F(DataSheetTest, PacemakerReadingsSplitIntoFieldsWithTheLastWordTaken)
{
    using Fields = std::vector<std::string>;
    const std::string full = "12.5 uJ 5.0 V 10.0 mA 1.0 ms 70.0 PPM 2.0 mV 250 mS 300 mS";
    EXPECT_EQ(SplitPacemakerReading(full, 8),
              (Fields{"12.5 uJ", "5.0 V", "10.0 mA", "1.0 ms", "70.0 PPM", "2.0 mV", "250 mS", "300 mS"}));
    EXPECT_EQ(SplitPacemakerReading(full + " extra words", 8).back(), "300 mS extra words");
    EXPECT_EQ(SplitPacemakerReading("5.0 mA 70 ppm", 8), (Fields{"5.0 mA", "70 ppm", "", "", "", "", "", ""}));
    EXPECT_EQ(SplitPacemakerReading("5.0 mA 70", 8)[1], "70");
    EXPECT_EQ(SplitPacemakerReading("", 3), (Fields{"", "", ""}));
    // AV interval: the third field is the fifth word and the rest.
    EXPECT_EQ(SplitPacemakerReading("150 ms 10.0 mA 12.0 mA", 3), (Fields{"150 ms", "10.0 mA", "12.0 mA"}));
    EXPECT_EQ(SplitPacemakerReading("a b c d e f g", 3), (Fields{"a b", "c d", "e f g"}));
    // Two blanks in a row: the empty word between them is no part of a field.
    EXPECT_EQ(SplitPacemakerReading("5.0  mA 7 V", 8)[0], "5.0 mA");
}

TEST_F(DataSheetTest, PacemakerRowsAreClassifiedByExactTestNameAndCountedAfresh)
{
    Capture(
        "EquipmentID: PM\r\n1.ATR 1 uJ 2 V\r\n2.Vent 3 uJ\r\n3.ATR 4 uJ\r\n4.atr 5 uJ\r\n5.AVD 150 ms 1 mA 2 mA\r\n");
    DataSheetDispatch dispatch(table, recorder, clock);
    for (int press = 0; press < 2; ++press) {
        (void)dispatch.OnDataSheet(Request(InstrumentKind::Pactrx, 0));
        const DataSheetTables& t = dispatch.tables();
        EXPECT_EQ(t.atr.count, 2);
        EXPECT_EQ(t.vent.count, 1);
        EXPECT_EQ(t.trans.count, 0);
        EXPECT_EQ(t.avd.count, 1);
        EXPECT_EQ(t.atr.Field(1, 1), "4 uJ");
        EXPECT_EQ(t.avd.Field(3, 0), "2 mA");
    }
}

TEST_F(DataSheetTest, RecordWithFewerPacemakerRowsLeavesNoEntryOfTheOneBefore)
{
    Capture("EquipmentID: PM\r\n1.ATR 1 uJ\r\n2.ATR 4 uJ\r\nEquipmentID: Q\r\n1.ATR 9 uJ\r\n");
    DataSheetDispatch dispatch(table, recorder, clock);
    (void)dispatch.OnDataSheet(Request(InstrumentKind::Pactrx, 0));
    ASSERT_EQ(dispatch.tables().atr.Field(1, 1), "4 uJ");
    (void)dispatch.OnDataSheet(Request(InstrumentKind::Pactrx, 1));
    EXPECT_EQ(dispatch.tables().atr.Field(1, 0), "9 uJ");
    EXPECT_EQ(dispatch.tables().atr.Field(1, 1), "");
}

TEST_F(DataSheetTest, FailureInTheMiddleShowsTheErrorBoxAndSavesNothing)
{
    Capture(SamplePrintout(InstrumentKind::Quellmax));
    RecordingWordApplication failing(&engine);
    failing.FailAt(60, 0x80020009, "Exception occurred.");
    DataSheetDispatch dispatch(table, failing, clock);
    const auto result = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, 0));
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(ComErrorText(result.error()), "COM Error: 0x80020009. Exception occurred.");
    EXPECT_EQ(failing.operations().size(), 61u);
    EXPECT_TRUE(fs::is_empty(m_folder));
}

TEST_F(DataSheetTest, SavingIntoAFolderThatCannotBeWrittenReportsTheSystemsReason)
{
    RecordingWordApplication plain(&engine);
    const auto saved = RunDocument(
        plain, 1, ElectricalSafetyRecordSpec(), [](WordApplication&) {},
        (m_folder / "missing" / "sub" / "doc").string());
    EXPECT_FALSE(saved.ok());
    EXPECT_EQ(ComErrorText(saved.error()).rfind("COM Error: 0x80070003. ", 0), 0u) << ComErrorText(saved.error());
}

TEST_F(DataSheetTest, FrameBeforeWord2007GivesTheDotTemplateTheBoldHeaderAndTheFormNumber)
{
    // Before Word 2007: the .dot template, no style set, the form number footer.
    ASSERT_TRUE(RunDocument(engine, 0, ElectricalSafetyRecordSpec(), WriteBodyText, (m_folder / "old").string()));
    EXPECT_EQ(engine.templateName(), "Normal.dot");
    EXPECT_EQ(engine.styleSet(), "");
    const Document doc = test::DocxReader::FromFile(engine.savedPath()).ReadDocument();
    ExpectTheFrameAroundThePlainBody(doc);

    // The header: two grey centred paragraphs, the company line in bold
    // italics over the bold title, both in 12-point Calibri.
    ASSERT_EQ(doc.header.blocks.size(), 2u);
    const auto& company = std::get<Paragraph>(doc.header.blocks[0]);
    const auto& title = std::get<Paragraph>(doc.header.blocks[1]);
    for (const Paragraph* line : {&company, &title}) {
        EXPECT_EQ(line->format.shading, kHeaderShading);
        EXPECT_EQ(line->format.alignment, Alignment::Center);
        ASSERT_EQ(line->runs.size(), 1u);
        EXPECT_TRUE(line->runs[0].format.bold);
        EXPECT_EQ(line->runs[0].format.size, 12);
        EXPECT_EQ(line->runs[0].format.font, "Calibri");
    }
    EXPECT_EQ(company.runs[0].text, "Zelmor Corporation");
    EXPECT_TRUE(company.runs[0].format.italic);
    EXPECT_EQ(title.runs[0].text, "Electrical Safety Test Record");
    EXPECT_FALSE(title.runs[0].format.italic);

    ASSERT_EQ(doc.footer.blocks.size(), 1u);
    const auto& formNumber = std::get<Paragraph>(doc.footer.blocks[0]);
    ASSERT_EQ(formNumber.runs.size(), 1u);
    EXPECT_EQ(formNumber.runs[0].text, "Zelmor Corporation Form # /*75-022, rev. 2*/");
    EXPECT_EQ(formNumber.runs[0].format.size, 8);
}

TEST_F(DataSheetTest, FrameFromWord2007OnGivesTheDotmTemplateAPlainHeaderAndACentredPageNumber)
{
    // From Word 2007 on: the .dotm template with the Word 2003 style set; a
    // plain header in its own size, and the page number centred in the footer.
    DocumentSpec pageNumbered;
    pageNumbered.title = "T";
    pageNumbered.boldHeader = false;
    pageNumbered.headerSize = 11;
    pageNumbered.footer = DocumentSpec::Footer::PageNumber;
    ASSERT_TRUE(RunDocument(engine, 1, pageNumbered, WriteBodyText, (m_folder / "new").string()));
    EXPECT_EQ(engine.templateName(), "Normal.dotm");
    EXPECT_EQ(engine.styleSet(), "Word 2003");
    const Document numbered = test::DocxReader::FromFile(engine.savedPath()).ReadDocument();
    ExpectTheFrameAroundThePlainBody(numbered);

    const auto& plainTitle = std::get<Paragraph>(numbered.header.blocks.at(1));
    EXPECT_EQ(plainTitle.runs.at(0).text, "T");
    EXPECT_FALSE(plainTitle.runs[0].format.bold);
    EXPECT_EQ(plainTitle.runs[0].format.size, 11);
    ASSERT_EQ(numbered.footer.blocks.size(), 1u);
    const auto& pageNumber = std::get<Paragraph>(numbered.footer.blocks[0]);
    ASSERT_EQ(pageNumber.runs.size(), 1u);
    EXPECT_EQ(pageNumber.runs[0].kind, Run::Kind::PageNumber);
    EXPECT_EQ(pageNumber.format.alignment, Alignment::Center);
}

TEST_F(DataSheetTest, EveryElectricalSafetyRecordOpensInLibreOffice)
{
    if (!tessaprint::test::SofficeOnPath()) {
        GTEST_SKIP() << "soffice is not on PATH; install libreoffice-writer-nogui to check the documents open";
    }
    Capture(SamplePrintout(InstrumentKind::Quellmax));
    DataSheetDispatch dispatch(table, engine, clock);
    for (int k = 0; k < listing.SelectorCount(); ++k) {
        SCOPED_TRACE(listing.SelectorItemText(k));
        const auto result = dispatch.OnDataSheet(Request(InstrumentKind::Quellmax, k));
        ASSERT_TRUE(result.ok()) << ComErrorText(result.error());
        tessaprint::test::TempFolder work;
        const std::string text =
            tessaprint::test::ConvertWithLibreOffice(work.path(), result.value().savedPath, "txt:Text", ".txt");
        ASSERT_FALSE(text.empty()) << "LibreOffice did not convert " << result.value().savedPath;
        std::size_t at = 0;
        for (const std::string& expected :
             {std::string("Testing Organization:"), "Equipment ID: " + listing.SelectorItemText(k),
              std::string("Tessaprint Test Record \u2013 Record # (ID)"), std::string("Leakage Measurement"),
              std::string("External Measurement"), std::string("Patient Monitoring equipment"),
              std::string("Overall Assessment:"), std::string("Date / Signature:")}) {
            const auto found = text.find(expected, at);
            ASSERT_NE(found, std::string::npos) << "missing or out of order: " << expected;
            at = found;
        }
        for (const auto& row : listing.ReadingsForItem(table, k)) {
            if (row.testName.find("Voltage") == std::string::npos) {
                EXPECT_NE(text.find(row.reading), std::string::npos) << row.testName;
            }
        }
    }
}

} // namespace
} // namespace tessaprint::docs
