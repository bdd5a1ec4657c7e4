// The printed record shows every reading: signed readings in the reading
// column, the readings after an empty value, rows that grow with their text,
// tables and headings that keep together, N/A where a pacemaker function has
// no rows, line breaks in entries, and file names without stray blanks. The
// documents are read back from their .docx, cell by cell.
#include "DocumentText.h"
#include "DocxReader.h"
#include "TestFiles.h"

#include "docs/DataSheet.h"
#include "docs/DocumentEngine.h"
#include "link/Replay.h"
#include "sim/SamplePrintouts.h"
#include "util/FileIo.h"
#include "util/ManualClock.h"
#include "workorder/WorkOrderDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;

std::string Golden(const std::string& name)
{
    const Result<std::string> content = ReadWholeFile(std::string(TESSAPRINT_TEST_DATA_DIR) + "/" + name);
    EXPECT_TRUE(content) << content.error().message;
    return content ? content.value() : std::string();
}

std::string Text(const Cell& cell)
{
    return test::CellText(cell);
}

std::vector<const Table*> Tables(const Document& doc)
{
    return test::MainTables(doc);
}

// "test = reading" for each row below a measurement table's header.
std::vector<std::string> Rows(const Table& table)
{
    std::vector<std::string> rows;
    for (std::size_t r = 1; r < table.rows.size(); ++r) {
        rows.push_back(Text(table.rows[r].cells[0]) + " = " + Text(table.rows[r].cells[1]));
    }
    return rows;
}

// The paragraph of the main text that holds this text, or nullptr.
const Paragraph* ParagraphWith(const Document& doc, const std::string& text)
{
    for (const auto& block : doc.main.blocks) {
        if (const auto* p = std::get_if<Paragraph>(&block)) {
            for (const auto& run : p->runs) {
                if (run.text.find(text) != std::string::npos) {
                    return p;
                }
            }
        }
    }
    return nullptr;
}

class PrintedRecordTest : public ::testing::Test {
protected:
    Document Build(InstrumentKind kind, std::string_view printout, int item)
    {
        ReplayTranscript(printout, table, listing);
        listing.ShowItem(table, item);
        DataSheetDispatch dispatch(table, engine, clock);
        const Result<DataSheetDocument> written =
            dispatch.OnDataSheet(MakeDataSheetRequest(listing, listing, kind, folder.path().string(), 1));
        EXPECT_TRUE(written) << ComErrorText(written.error());
        savedPath = written.value().savedPath;
        return test::DocxReader::FromFile(savedPath).ReadDocument();
    }

    Result<std::string> WriteWorkOrder(const WorkOrderRecord& record)
    {
        return WriteWorkOrderDocument(record, folder.path().string(), 1, clock.LocalTime());
    }

    tessaprint::test::TempFolder folder;
    ManualClock clock;
    ResultsTable table;
    ResultsListing listing;
    DocumentEngine engine;
    std::string savedPath;
};

TEST_F(PrintedRecordTest, SignedReadingsStandInTheReadingColumn)
{
    const Document doc = Build(InstrumentKind::Quellmax, Golden("signed-readings-split-before-the-sign.transcript"), 0);
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u); // identification, A, B, the one other measurement, patient monitoring
    EXPECT_EQ(Rows(*tables[1]),
              (std::vector<std::string>{"Case Leakage = <0.1 uA", "Leads Leakage = < 0.5 uA",
                                        "Ground Resistance = \u00B10.02 Ohms", "Isolation Leakage = -.4 uA"}));
    EXPECT_EQ(Rows(*tables[2]), (std::vector<std::string>{"External Leakage = -0.1 uA"}));
    EXPECT_EQ(Rows(*tables[3]), (std::vector<std::string>{"Line Offset = +0.3 V"}));
    // The identification names the device as printed; the file name has no blank in front.
    EXPECT_EQ(Text(tables[0]->rows[2].cells[1]), "Equipment ID:  SIGNS-1||Serial Number:");
    EXPECT_EQ(fs::path(savedPath).filename(), "SIGNS-1-307201590508.docx");
}

TEST_F(PrintedRecordTest, ReadingsAfterAnEmptyValueAreListedAndPrinted)
{
    const Document doc =
        Build(InstrumentKind::Quellmax, Golden("empty-value-line-keeps-the-readings-after-it.transcript"), 0);
    // The list shows the empty value as a row of its own and goes on to the last value.
    std::vector<std::string> listed;
    for (const auto& row : listing.ReadingsForItem(table, 0)) {
        listed.push_back(row.item + ":" + row.testName + "|" + row.reading);
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"1:Case Leakage|0.1 uA", "2:Ground Resistance|0.123 Ohms", "3:|",
                                                "4:External Leakage Probe To Enclosure|0.1 uA",
                                                "5:Isolation Leakage|4.9 uA", "6:|"}));
    // The document skips the empty rows and prints every reading after them.
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 4u);
    EXPECT_EQ(Rows(*tables[1]), (std::vector<std::string>{"Case Leakage = 0.1 uA", "Ground Resistance = 0.123 Ohms",
                                                          "Isolation Leakage = 4.9 uA"}));
    EXPECT_EQ(Rows(*tables[2]), (std::vector<std::string>{"External Leakage Probe To Enclosure = 0.1 uA"}));
}

TEST_F(PrintedRecordTest, RowsGrowWithTheirTextAndTablesKeepTogether)
{
    const Document doc = Build(InstrumentKind::Quellmax, SamplePrintout(InstrumentKind::Quellmax), 3); // PT-0988
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);
    for (const Table* printed : tables) {
        for (const Row& row : printed->rows) {
            // Never a row that hides a second line, never one split across two pages.
            EXPECT_EQ(row.heightRule, HeightRule::AtLeast);
            EXPECT_TRUE(row.cantSplit);
        }
    }
    // The measurement tables repeat their header row and keep it with the first row.
    for (int t : {1, 2, 3, 4}) {
        const Row& header = tables[static_cast<std::size_t>(t)]->rows[0];
        EXPECT_TRUE(header.headingRow) << "table " << t;
        EXPECT_TRUE(header.cells[0].paragraphs[0].format.keepWithNext) << "table " << t;
        if (tables[static_cast<std::size_t>(t)]->rows.size() > 1) {
            EXPECT_FALSE(tables[static_cast<std::size_t>(t)]->rows[1].headingRow);
            EXPECT_FALSE(tables[static_cast<std::size_t>(t)]->rows[1].cells[0].paragraphs[0].format.keepWithNext);
        }
    }
    EXPECT_EQ(Rows(*tables[2]).back(), "External Leakage Probe To Enclosure = 0.1 uA");
    EXPECT_EQ(Rows(*tables[3]), (std::vector<std::string>{"Battery Voltage = 8.9 V"}));
    EXPECT_EQ(Text(tables[4]->rows[0].cells[2]), "Rate Measured");

    // Headings stay with their tables; the signature with the line before it.
    for (const char* heading : {"External Measurements (Unit under Test)", "Non AC Powered Devices",
                                "Other Measurements", "Patient Monitoring equipment", "Next recurrent test"}) {
        const Paragraph* p = ParagraphWith(doc, heading);
        ASSERT_NE(p, nullptr) << heading;
        EXPECT_TRUE(p->format.keepWithNext) << heading;
    }
    EXPECT_FALSE(ParagraphWith(doc, "Overall Assessment:")->format.keepWithNext);
}

TEST_F(PrintedRecordTest, APacemakerFunctionWithoutRowsReadsNotAvailable)
{
    const Document doc =
        Build(InstrumentKind::Pactrx, Golden("pacemaker-record-without-ventricular-rows.transcript"), 0);
    const auto tables = Tables(doc);
    ASSERT_EQ(tables.size(), 5u);
    const std::string ventricular =
        Text(tables[3]->rows[0].cells[0]) + Text(tables[3]->rows[1].cells[0]) + Text(tables[3]->rows[2].cells[0]);
    for (const char* line : {"1.)      PPM Measured: N/A      Width: N/A      Current: N/A",
                             "2.)    PPM Measured: N/A      Energy: N/A      Voltage: N/A",
                             "3.)      Paced RP: N/A      Width: N/A      Current: N/A",
                             "1.)   Sensitivity: N/A      Width: N/A      Current: N/A"}) {
        EXPECT_NE(ventricular.find(line), std::string::npos) << line << "\n" << ventricular;
    }
    // The kinds that have rows show them.
    EXPECT_NE(Text(tables[2]->rows[0].cells[0]).find("PPM Measured: 72.0 PPM"), std::string::npos);
    EXPECT_NE(Text(tables[4]->rows[0].cells[0]).find("1.) AV Interval: 150 ms"), std::string::npos);
    for (const Table* printed : tables) {
        EXPECT_EQ(printed->rows[0].heightRule, HeightRule::AtLeast);
    }
    EXPECT_TRUE(ParagraphWith(doc, "Ventricular Pacer")->format.keepWithNext);
}

TEST_F(PrintedRecordTest, WorkOrderFileIsNamedByTheCompanyWithoutItsBlanks)
{
    // Company without its blanks in the file name; none left: "Work-Order-<stamp>".
    WorkOrderRecord record;
    record.SetField("szWorkOrderCompany", "  Mercy General  ");
    const Result<std::string> written = WriteWorkOrder(record);
    ASSERT_TRUE(written) << ComErrorText(written.error());
    EXPECT_EQ(fs::path(written.value()).filename(), "Mercy General-Work-Order-307201590508.docx");
    record.SetField("szWorkOrderCompany", " ");
    EXPECT_EQ(fs::path(WriteWorkOrder(record).value()).filename(), "Work-Order-307201590508.docx");
}

TEST_F(PrintedRecordTest, WorkOrderEntriesKeepTheirLineBreaksAndNothingAfterAGap)
{
    WorkOrderRecord record;
    record.SetField("szWorkOrderCompany", "  Mercy General  ");
    record.SetField("szWorkOrderNumber", "WO-12");
    record.SetField("szWorkOrderDescription", "Infusion pump\r\nsecond unit\rthird");
    record.service[0] = "03/14/2026 ; Replaced fuse\r\nand cover";
    record.service[2] = "03/15/2026 ; Calibrated";
    record.results[0] = "03/14/2026 ; JD ; Replace ; Fuse ; 15 ; R ; F-22 ; 1 ; 2.50 ; Fuse 2A slow blow";
    record.checks[0] = "CHECK OPERATION WITH OPERATOR CONTROL.";
    record.checks[2] = "PERFORM PHYSICAL INSPECTION OF POWER CORD AND PLUG.";
    const Result<std::string> written = WriteWorkOrder(record);
    ASSERT_TRUE(written) << ComErrorText(written.error());

    const test::DocxReader reader = test::DocxReader::FromFile(written.value());
    EXPECT_EQ(reader.Part("word/document.xml").find("&#13;"), std::string::npos);
    const Document doc = reader.ReadDocument();
    // CR LF, CR and LF are each one line break.
    ASSERT_NE(ParagraphWith(doc, "Description: Infusion pump\nsecond unit\nthird"), nullptr);
    ASSERT_NE(ParagraphWith(doc, "03/14/2026 \t\t Replaced fuse\nand cover"), nullptr);
    // An empty slot ends nothing: the entries after it are printed.
    EXPECT_NE(ParagraphWith(doc, "03/15/2026 \t\t Calibrated"), nullptr);
    EXPECT_NE(ParagraphWith(doc, "[  ] PERFORM PHYSICAL INSPECTION OF POWER CORD AND PLUG."), nullptr);
    // The results rows grow with a long entry; the header row repeats on every page.
    const auto tables = Tables(doc);
    const Table& results = *tables[4];
    ASSERT_EQ(results.rows.size(), 3u);
    EXPECT_TRUE(results.rows[0].headingRow);
    for (const Row& row : results.rows) {
        EXPECT_EQ(row.heightRule, HeightRule::AtLeast);
    }
    // The heading tables stay with the line after them; the signature with the last check.
    EXPECT_TRUE(tables[0]->rows[0].cells[0].paragraphs[0].format.keepWithNext);
    // Their one row is not marked unsplittable as well: LibreOffice would then
    // take the table for one that never splits and drop its keep.
    for (const std::size_t heading : {0, 1, 2, 3, 5}) {
        EXPECT_FALSE(tables[heading]->rows[0].cantSplit) << "table " << heading;
    }
    EXPECT_TRUE(results.rows[1].cantSplit);
    EXPECT_TRUE(ParagraphWith(doc, "[  ] PERFORM PHYSICAL")->format.keepWithNext);
    EXPECT_FALSE(ParagraphWith(doc, "[  ] CHECK OPERATION")->format.keepWithNext);
}

// A work order filled as a technician fills one, with this many service lines
// before the results, which moves the Checks heading down the first page.
WorkOrderRecord FilledWorkOrder(int serviceLines)
{
    WorkOrderRecord record;
    record.SetField("szWorkOrderCompany", "Mercy General Hospital");
    record.SetField("szWorkOrderNumber", "WO-2026-0412");
    record.SetField("szWorkOrderManufacturer", "Baxter");
    record.SetField("szWorkOrderLastSeen", "11/30/2026");
    record.SetField("szWorkOrderServiceRequested", "Annual inspection and electrical safety test");
    for (int i = 0; i < serviceLines; ++i) {
        record.service[static_cast<std::size_t>(i)] = "11/" + std::to_string(10 + i) + "/2026 ; Service line";
    }
    record.results[0] = "12/02/2026 ; JD ; Replace ; Fuse ; 15 ; R ; F-22 ; 1 ; 2.50 ; Fuse 2A slow blow, ceramic";
    record.results[1] = "12/02/2026 ; JD ; Calibrate ; Sensor ; 45 ; C ;  ;  ;  ; Pressure sensor calibration";
    const char* checks[] = {"CHECK ALARMS.",
                            "CHECK OPERATION WITH OPERATOR CONTROL.",
                            "CLEAN EXTERIOR.",
                            "INSPECT CASE AND MOUNTS.",
                            "INSPECT LABELS.",
                            "PERFORM ELECTRICAL SAFETY TEST.",
                            "PERFORM PHYSICAL INSPECTION OF POWER CORD AND PLUG.",
                            "TEST BATTERY.",
                            "VERIFY FLOW RATE ACCURACY."};
    for (std::size_t i = 0; i < std::size(checks); ++i) {
        record.checks[i] = checks[i];
    }
    return record;
}

// Each table's stated width and the sum of its grid columns, in twips.
std::vector<std::pair<long, long>> TableWidths(const std::string& documentXml)
{
    std::vector<std::pair<long, long>> widths;
    const std::regex tblW(R"re(<w:tblW w:w="(\d+)" w:type="dxa"/>)re");
    const std::regex gridCol(R"re(<w:gridCol w:w="(\d+)"/>)re");
    for (std::size_t at = documentXml.find("<w:tbl>"); at != std::string::npos;
         at = documentXml.find("<w:tbl>", at + 1)) {
        const std::size_t gridEnd = documentXml.find("</w:tblGrid>", at);
        const std::string head = documentXml.substr(at, gridEnd - at);
        std::smatch stated;
        long grid = 0;
        for (auto col = std::sregex_iterator(head.begin(), head.end(), gridCol); col != std::sregex_iterator(); ++col) {
            grid += std::stol((*col)[1]);
        }
        widths.emplace_back(std::regex_search(head, stated, tblW) ? std::stol(stated[1]) : -1, grid);
    }
    return widths;
}

TEST_F(PrintedRecordTest, EveryTableFitsBetweenTheMarginsAndSaysHowWideItIs)
{
    constexpr long kTextWidthTwips = 9648; // 8.5 in less two margins of 0.9 in
    std::vector<std::string> documents;
    for (const InstrumentKind kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        table = ResultsTable();
        listing = ResultsListing();
        Build(kind, SamplePrintout(kind), 0);
        documents.push_back(savedPath);
    }
    const Result<std::string> workOrder = WriteWorkOrder(FilledWorkOrder(2));
    ASSERT_TRUE(workOrder) << ComErrorText(workOrder.error());
    documents.push_back(workOrder.value());
    for (const std::string& path : documents) {
        const auto widths = TableWidths(test::DocxReader::FromFile(path).Part("word/document.xml"));
        ASSERT_GE(widths.size(), 5u) << path;
        for (const auto& [stated, grid] : widths) {
            EXPECT_EQ(stated, grid) << path;
            EXPECT_LE(grid, kTextWidthTwips) << path;
            EXPECT_GE(grid, kTextWidthTwips - 2) << path; // each as wide as the text, none narrower
        }
    }
}

// ---- on the printed page ----

// The text of each page of a PDF, as pdftotext lays it out.
std::vector<std::string> PdfPages(const fs::path& pdf, const fs::path& work)
{
    std::vector<std::string> pages;
    for (int page = 1; page < 20; ++page) {
        const fs::path text = work / ("page-" + std::to_string(page) + ".txt");
        const std::string command = "pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) +
                                    " '" + pdf.string() + "' '" + text.string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0) {
            break;
        }
        pages.push_back(tessaprint::test::ReadFile(text));
    }
    return pages;
}

std::size_t PageWith(const std::vector<std::string>& pages, const std::string& text)
{
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (pages[i].find(text) != std::string::npos) {
            return i;
        }
    }
    return pages.size();
}

class PrintedPageTest : public PrintedRecordTest {
protected:
    void SetUp() override
    {
        if (!tessaprint::test::SofficeOnPath() || std::system("pdftotext -v >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "soffice or pdftotext is missing; install libreoffice-writer-nogui and poppler-utils";
        }
    }

    std::vector<std::string> Print(int item)
    {
        Build(InstrumentKind::Quellmax, SamplePrintout(InstrumentKind::Quellmax), item);
        const fs::path work = folder.path() / std::to_string(item);
        fs::create_directories(work);
        const std::string pdf =
            tessaprint::test::ConvertWithLibreOffice(work, savedPath, "pdf", ".pdf"); // also checks the conversion ran
        EXPECT_FALSE(pdf.empty()) << tessaprint::test::ReadFile(work / "soffice.log");
        return PdfPages(work / "out" / (fs::path(savedPath).stem().string() + ".pdf"), work);
    }
};

TEST_F(PrintedPageTest, EveryReadingOfTheSampleRecordsIsOnThePage)
{
    for (const int item : {0, 3}) { // 10234 and PT-0988
        SCOPED_TRACE(listing.SelectorItemText(item));
        const std::vector<std::string> pages = Print(item);
        ASSERT_FALSE(pages.empty());
        std::string all;
        for (const auto& page : pages) {
            all += page;
        }
        for (const auto& row : listing.ReadingsForItem(table, item)) {
            // Each test name whole on one line, and its reading beside it.
            EXPECT_NE(all.find(row.testName.substr(0, 24)), std::string::npos) << row.testName << "\n" << all;
            EXPECT_NE(all.find(row.reading), std::string::npos) << row.reading << "\n" << all;
        }
        // "Rate Measured" whole: its second word is there, not only the "Measured Value" of A and B.
        bool rateMeasured = false;
        for (std::size_t at = all.find("Measured"); at != std::string::npos; at = all.find("Measured", at + 1)) {
            rateMeasured = rateMeasured || all.compare(at, 14, "Measured Value") != 0;
        }
        EXPECT_TRUE(rateMeasured) << "the header \"Rate Measured\" is cut\n" << all;
        // Table B's header is printed on the page of the row below it.
        const std::size_t header = PageWith(pages, "External Measurement ");
        ASSERT_LT(header, pages.size());
        const std::string& page = pages[header];
        const std::string afterHeader = page.substr(page.find("External Measurement "));
        // PT-0988's first row has a reading; 10234's is the empty row for the pen, so
        // the heading printed after the table shows that the row stayed on the page.
        const std::string next = item == 3 ? "External Leakage Enclosure" : "Patient Monitoring equipment";
        EXPECT_NE(afterHeader.find(next), std::string::npos) << page;
        EXPECT_NE(PageWith(pages, "Non AC Powered Devices"), pages.size());
        EXPECT_EQ(PageWith(pages, "Non AC Powered Devices"), header);
    }
}

// The words a page shows: what pdftotext lays out, split at blanks.
std::set<std::string> Words(const std::vector<std::string>& pages)
{
    std::set<std::string> words;
    for (const auto& page : pages) {
        std::istringstream in(page);
        for (std::string word; in >> word;) {
            words.insert(word);
        }
    }
    return words;
}

// The words of every table cell of the saved document.
std::vector<std::string> CellWords(const std::string& docx)
{
    std::vector<std::string> words;
    const Document doc = test::DocxReader::FromFile(docx).ReadDocument();
    for (const Table* printed : Tables(doc)) {
        for (const Row& row : printed->rows) {
            for (const Cell& cell : row.cells) {
                std::string text = Text(cell);
                std::replace(text.begin(), text.end(), '|', ' ');
                std::istringstream in(text);
                for (std::string word; in >> word;) {
                    words.push_back(word);
                }
            }
        }
    }
    return words;
}

TEST_F(PrintedPageTest, NoDateOrWordBreaksInATableAndTheChecksHeadingStaysWithItsFirstCheck)
{
    std::vector<std::string> documents;
    for (const InstrumentKind kind : {InstrumentKind::Quellmax, InstrumentKind::Kappa5100, InstrumentKind::Pactrx}) {
        table = ResultsTable();
        listing = ResultsListing();
        Build(kind, SamplePrintout(kind), 0);
        documents.push_back(savedPath);
    }
    // From 3 to 9 service lines the Checks heading passes the foot of the first page.
    const std::size_t firstWorkOrder = documents.size();
    for (int lines = 3; lines <= 9; ++lines) {
        const Result<std::string> written = WriteWorkOrder(FilledWorkOrder(lines));
        ASSERT_TRUE(written) << ComErrorText(written.error());
        documents.push_back(written.value());
    }
    // One LibreOffice run converts them all.
    const fs::path work = folder.path() / "printed";
    std::string command = "soffice -env:UserInstallation=file://" + (work / "profile").string() +
                          " --headless --convert-to pdf --outdir '" + (work / "out").string() + "'";
    for (const auto& docx : documents) {
        command += " '" + docx + "'";
    }
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;

    for (std::size_t d = 0; d < documents.size(); ++d) {
        SCOPED_TRACE(documents[d]);
        const std::vector<std::string> pages =
            PdfPages(work / "out" / (fs::path(documents[d]).stem().string() + ".pdf"), work);
        ASSERT_FALSE(pages.empty());
        // A word broken across two lines of its cell is not a word on the page.
        const std::set<std::string> shown = Words(pages);
        for (const std::string& word : CellWords(documents[d])) {
            EXPECT_EQ(shown.count(word), 1u) << "\"" << word << "\" is broken";
        }
        if (d >= firstWorkOrder) {
            const std::size_t heading = PageWith(pages, "        Checks\n");
            ASSERT_LT(heading, pages.size());
            EXPECT_EQ(PageWith(pages, "CHECK ALARMS."), heading) << pages[heading];
        }
    }
}

} // namespace
} // namespace tessaprint::docs
