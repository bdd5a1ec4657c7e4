// The work order: entry lines, the form's load, add, clear, export and close,
// and the document read back.
#include "DocxReader.h"
#include "ScriptedPrompts.h"
#include "ScriptedWorkOrder.h"
#include "TestFiles.h"

#include "docs/DocumentEngine.h"
#include "util/ManualClock.h"
#include "workorder/WorkOrderDocument.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tessaprint {
namespace {

using Lines = std::vector<std::string>;
using Results = std::array<std::string, 10>;

class WorkOrderFormTest : public ::testing::Test {
protected:
    WorkOrderForm& Open()
    {
        m_form = std::make_unique<WorkOrderForm>(record, settings, view, entries, prompts, clock);
        m_form->OnInitDialog();
        return *m_form;
    }
    // The path written, or nothing when the export failed (its box was shown).
    std::optional<std::string> Export()
    {
        Result<std::string> written = m_form->OnExportToWord(m_folder.path().string(), 1);
        return written ? std::optional<std::string>(std::move(written).value()) : std::nullopt;
    }
    std::string Stored(const std::string& key) const { return settings.GetProfileString("Work Order", key, "<none>"); }

    tessaprint::test::TempFolder m_folder;
    WorkOrderRecord record;
    MemorySettingsStore settings;
    test::MemoryWorkOrderView view;
    test::ScriptedWorkOrderPrompts entries;
    test::ScriptedPrompts prompts;
    ManualClock clock;
    std::unique_ptr<WorkOrderForm> m_form;
};

TEST(WorkOrderLinesTest, EntryDialogsJoinTheirFieldsWithSemicolons)
{
    EXPECT_EQ(JoinServiceLine("", ""), " ; ");
    EXPECT_EQ(JoinServiceLine("12/01/2026", "a ; b"), "12/01/2026 ; a ; b");
    EXPECT_EQ(JoinResultsLine({"12/01/2026"}), "12/01/2026 ;  ;  ;  ;  ;  ;  ;  ;  ; ");
    EXPECT_EQ(JoinResultsLine({"d", "t", "v", "n", "m", "r", "p", "q", "c", "x"}),
              "d ; t ; v ; n ; m ; r ; p ; q ; c ; x");
}

TEST(WorkOrderLinesTest, SplitOffTakesTheFieldBeforeTheFirstSemicolon)
{
    std::string rest = "12/01/2026 ; Replaced fuse";
    EXPECT_EQ(SplitOff(rest), "12/01/2026 ");
    EXPECT_EQ(rest, " Replaced fuse");
    rest = "no separator";
    EXPECT_EQ(SplitOff(rest), "");
    EXPECT_EQ(rest, "no separator");
}

TEST_F(WorkOrderFormTest, FirstOpeningIsEmptyAndReadsCreateNoKeys)
{
    Open();
    EXPECT_EQ(view.FieldText("szWorkOrderCompany"), "");
    EXPECT_TRUE(view.ListEntries(WorkOrderRecord::kChecks).empty());
    EXPECT_EQ(view.fields.size(), 30u);
    EXPECT_EQ(settings.writes(), 0);
}

TEST_F(WorkOrderFormTest, SortedListsSortTheWholeLineAndServiceKeepsEntryOrder)
{
    WorkOrderForm& form = Open();
    entries.service = {std::array<std::string, 2>{"b", "second"}, std::array<std::string, 2>{"a", "first"}};
    entries.results = {Results{"12/02"}, Results{"12/01", "JD"}, std::nullopt};
    entries.checks = {"PERFORM X", "check lower", "CHECK OPERATION WITH OPERATOR CONTROL."};
    form.OnAddService();
    form.OnAddService();
    form.OnAddResults();
    form.OnAddResults();
    form.OnAddResults(); // cancelled: nothing added
    form.OnAddChecks();
    form.OnAddChecks();
    form.OnAddChecks();
    form.OnAddChecks(); // cancelled: empty task
    EXPECT_EQ(view.ListEntries(WorkOrderRecord::kService), (Lines{"b ; second", "a ; first"}));
    EXPECT_EQ(view.ListEntries(WorkOrderRecord::kResults),
              (Lines{"12/01 ; JD ;  ;  ;  ;  ;  ;  ;  ; ", "12/02 ;  ;  ;  ;  ;  ;  ;  ;  ; "}));
    EXPECT_EQ(view.ListEntries(WorkOrderRecord::kChecks),
              (Lines{"check lower", "CHECK OPERATION WITH OPERATOR CONTROL.", "PERFORM X"})); // case aside
    // The record and the settings are not touched by adding.
    EXPECT_EQ(record.checks[0], "");
    EXPECT_EQ(settings.writes(), 0);
}

TEST_F(WorkOrderFormTest, ExportStoresWhatCloseKeepsAndReopeningShows)
{
    WorkOrderForm& form = Open();
    view.SetFieldText("szWorkOrderCompany", "Mercy");
    view.SetFieldText("szWorkOrderFixedInspections", "12/2026");
    entries.checks = {"B TASK", "A TASK"};
    form.OnAddChecks();
    form.OnAddChecks();
    const auto path = Export();
    ASSERT_TRUE(path) << prompts.messageBoxes.front();
    EXPECT_EQ(std::filesystem::path(*path).filename(), "Mercy-Work-Order-307201590508.docx");
    EXPECT_EQ(Stored("szWorkOrderCompany"), "Mercy");
    EXPECT_EQ(Stored("szWorkOrderFixedInspections"), "12/2026");
    EXPECT_EQ(Stored("szWorkOrderChecks[0]"), "A TASK"); // stored in list order
    EXPECT_EQ(Stored("szWorkOrderChecks[1]"), "B TASK");
    EXPECT_EQ(Stored("szWorkOrderChecks[7]"), "");

    // Typing after the export and closing stores the record as exported.
    view.SetFieldText("szWorkOrderCompany", "Typed later");
    entries.checks = {"C TASK"};
    form.OnAddChecks();
    form.OnClose();
    EXPECT_EQ(Stored("szWorkOrderCompany"), "Mercy");
    EXPECT_EQ(Stored("szWorkOrderChecks[2]"), "");

    test::MemoryWorkOrderView reopened;
    WorkOrderRecord fresh;
    WorkOrderForm again(fresh, settings, reopened, entries, prompts, clock);
    again.OnInitDialog();
    EXPECT_EQ(reopened.FieldText("szWorkOrderCompany"), "Mercy");
    EXPECT_EQ(reopened.ListEntries(WorkOrderRecord::kChecks), (Lines{"A TASK", "B TASK"}));
}

TEST_F(WorkOrderFormTest, TenEntriesReachTheDocumentAndEightComeBack)
{
    WorkOrderForm& form = Open();
    for (int i = 0; i < 10; ++i) {
        entries.service.push_back(std::array<std::string, 2>{"d" + std::to_string(i), "s" + std::to_string(i)});
        form.OnAddService();
    }
    const auto path = Export();
    ASSERT_TRUE(path);
    EXPECT_EQ(record.service[9], "d9 ; s9");
    EXPECT_EQ(record.service[10], "");
    const docs::Document doc = docs::test::DocxReader::FromFile(*path).ReadDocument();
    int lines = 0;
    for (const auto& block : doc.main.blocks) {
        if (const auto* p = std::get_if<docs::Paragraph>(&block); p && !p->runs.empty()) {
            lines += p->runs[0].text.rfind("d", 0) == 0 && p->runs[0].text.find("\t\t s") != std::string::npos;
        }
    }
    EXPECT_EQ(lines, 10);
    EXPECT_EQ(Stored("szWorkOrderEquipmentServiceInformation[7]"), "d7 ; s7");
    EXPECT_FALSE(settings.Contains("Work Order", "szWorkOrderEquipmentServiceInformation[8]"));
    form.OnClose();
    test::MemoryWorkOrderView reopened;
    WorkOrderForm again(record, settings, reopened, entries, prompts, clock);
    again.OnInitDialog();
    EXPECT_EQ(reopened.ListEntries(WorkOrderRecord::kService).size(), 8u);
}

TEST_F(WorkOrderFormTest, ClearThenExportLeavesNoEarlierEntryBehind)
{
    WorkOrderForm& form = Open();
    for (int i = 0; i < 10; ++i) {
        entries.results.push_back(Results{"r" + std::to_string(i)});
        form.OnAddResults();
    }
    ASSERT_TRUE(Export());
    form.OnClear(WorkOrderRecord::kResults);
    entries.results = {Results{"only"}};
    form.OnAddResults();
    ASSERT_TRUE(Export());
    EXPECT_EQ(record.results[0], "only ;  ;  ;  ;  ;  ;  ;  ;  ; ");
    for (int i = 1; i < WorkOrderRecord::kListSlots; ++i) {
        EXPECT_EQ(record.results[static_cast<std::size_t>(i)], "") << i;
    }
    EXPECT_EQ(Stored("szWorkOrderResults[1]"), "");
    form.OnClose();
    test::MemoryWorkOrderView reopened;
    WorkOrderForm again(record, settings, reopened, entries, prompts, clock);
    again.OnInitDialog();
    EXPECT_EQ(reopened.ListEntries(WorkOrderRecord::kResults).size(), 1u);
}

TEST_F(WorkOrderFormTest, AFullListSaysSoBeforeTheDialogOpens)
{
    WorkOrderForm& form = Open();
    for (int i = 0; i < 50; ++i) {
        entries.checks.push_back("TASK " + std::to_string(100 + i));
        form.OnAddChecks();
    }
    ASSERT_TRUE(prompts.errors.empty());
    // The 51st "Add" is refused before the dialog asks for anything, so nothing typed is lost.
    entries.checks.push_back("TASK 150");
    form.OnAddChecks();
    EXPECT_EQ(view.ListEntries(WorkOrderRecord::kChecks).size(), 50u);
    EXPECT_EQ(entries.checks.size(), 1u);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("Checks list already holds 50 entries"), std::string::npos);
    EXPECT_NE(prompts.errors[0].find("\"Clear\""), std::string::npos);
    // Exporting keeps the entries, so the advice must not send the user there.
    EXPECT_EQ(prompts.errors[0].find("export first"), std::string::npos);
    ASSERT_TRUE(Export());
    EXPECT_EQ(view.ListEntries(WorkOrderRecord::kChecks).size(), 50u);
}

TEST_F(WorkOrderFormTest, WithoutACompanyTheFileIsNamedByTheStampAndNeverReplaced)
{
    Open();
    const auto unnamed = Export();
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(std::filesystem::path(*unnamed).filename(), "Work-Order-307201590508.docx");
    const auto again = Export(); // the same second: a new file all the same
    EXPECT_EQ(std::filesystem::path(*again).filename(), "Work-Order-307201590508-2.docx");
    EXPECT_EQ(m_folder.Names().size(), 2u);
}

TEST_F(WorkOrderFormTest, CompanyThatCannotNameAFileFailsClearlyAndIsStoredAllTheSame)
{
    Open();
    view.SetFieldText("szWorkOrderCompany", "A/B Clinic");
    EXPECT_FALSE(Export());
    ASSERT_EQ(prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(prompts.messageBoxes[0].rfind("COM Error: 0x8007007B. ", 0), 0u);
    EXPECT_TRUE(m_folder.Names().empty());
    EXPECT_EQ(Stored("szWorkOrderCompany"), "A/B Clinic"); // stored before the document, as always
}

TEST(WorkOrderDocumentTest, TabCountsFollowTheLengthOfTheFirstValue)
{
    const auto tabs = [](const std::string& line) { return std::count(line.begin(), line.end(), '\t'); };
    EXPECT_EQ(tabs(ManufacturerLine("ABCDEF", "m")), 6);
    EXPECT_EQ(tabs(ManufacturerLine("ABCDEFG", "m")), 5);
    EXPECT_EQ(tabs(ManufacturerLine(std::string(13, 'x'), "m")), 5);
    EXPECT_EQ(tabs(ManufacturerLine(std::string(14, 'x'), "m")), 4);
    EXPECT_EQ(tabs(SerialLine("123456", "s")), 7);
    EXPECT_EQ(tabs(SerialLine("1234567", "s")), 6);
    EXPECT_EQ(tabs(SerialLine(std::string(11, '1'), "s")), 6);
    EXPECT_EQ(tabs(SerialLine(std::string(12, '1'), "s")), 5);
    EXPECT_EQ(tabs(LocationLine("ICU-1", "x")), 7);
    EXPECT_EQ(tabs(LocationLine("ICU-12", "x")), 6);
    EXPECT_EQ(tabs(LocationLine(std::string(10, 'L'), "x")), 6);
    EXPECT_EQ(tabs(LocationLine(std::string(11, 'L'), "x")), 5);
    EXPECT_EQ(tabs(ManufacturerLine("Dräger", "m")), 6); // six characters, seven bytes
    EXPECT_EQ(ManufacturerLine("", ""), "Manufacturer: \t\t\t\t\t\tModel#: ");
    EXPECT_EQ(LocationLine("ICU", "Infusion"), "Location: ICU\t\t\t\t\t\t\tSystem: Infusion");
}

class WorkOrderDocumentReadBack : public ::testing::Test {
protected:
    docs::Document Write()
    {
        const auto result = WriteWorkOrderDocument(record, m_folder.path().string(), 1, clock.LocalTime());
        EXPECT_TRUE(result) << docs::ComErrorText(result.error());
        path = result.value();
        return docs::test::DocxReader::FromFile(path).ReadDocument();
    }
    static Lines Texts(const docs::Document& doc)
    {
        Lines texts;
        for (const auto& block : doc.main.blocks) {
            if (const auto* p = std::get_if<docs::Paragraph>(&block)) {
                std::string text;
                for (const auto& run : p->runs) {
                    text += run.text;
                }
                texts.push_back(text);
            } else {
                texts.push_back("<table>");
            }
        }
        return texts;
    }
    static std::string CellText(const docs::Cell& cell)
    {
        std::string text;
        for (const auto& run : cell.paragraphs.at(0).runs) {
            text += run.text;
        }
        return text;
    }

    tessaprint::test::TempFolder m_folder;
    ManualClock clock;
    WorkOrderRecord record;
    std::string path;
};

TEST_F(WorkOrderDocumentReadBack, EmptyWorkOrderKeepsEveryLabel)
{
    const docs::Document doc = Write();
    const Lines texts = Texts(doc);
    const Lines expected = {
        "",
        "<table>",
        "",
        "Control #: \t\t\t\t\t\t\tDescription: ",
        "Manufacturer: \t\t\t\t\t\tModel#: ",
        "Serial #: \t\t\t\t\t\t\tStatus: ",
        "Work Order PO #: ",
        "Facility: ",
        "Department: ",
        "Location: \t\t\t\t\t\t\tSystem: ",
        "Floor: \t\t\tRoom #: \t\t\tBuilding: ",
        "Risk Priority: \t\tLast Seen: \tFixed Inspections: Next: \tLast: ",
        "Type: ",
        "Warranty Expires: \t\tParts: \t\tLabor: ",
        "",
        "<table>",
        "",
        "Work Order type: \t\tRequested On: ",
        "Due: ",
        "Person Requesting: \t\t\t\tPhone: ",
        "Service Requested: ",
        "<table>",
        "",
        "<table>",
        "",
        "<table>", // results
        "",
        "<table>", // checks heading, then straight to the four empty paragraphs
        "",
        "",
        "",
        "",
        "",
        "[  ]     Signature_______________________________________________  Date_____________",
        "",
    };
    EXPECT_EQ(texts, expected);
    // Headings: one grey cell, bold 14, centred, exactly 20 points.
    const auto& heading = std::get<docs::Table>(doc.main.blocks[1]);
    EXPECT_EQ(CellText(heading.rows[0].cells[0]), "Equipment Data");
    EXPECT_EQ(heading.shading, 11776947u);
    EXPECT_EQ(heading.rows[0].heightPt, 20);
    EXPECT_TRUE(heading.rows[0].cells[0].paragraphs[0].runs[0].format.bold);
    const auto& header = std::get<docs::Paragraph>(doc.header.blocks[1]);
    EXPECT_EQ(header.runs[0].text, "Work Order #: ");
    EXPECT_EQ(std::get<docs::Paragraph>(doc.footer.blocks[0]).runs[0].kind, docs::Run::Kind::PageNumber);
}

TEST_F(WorkOrderDocumentReadBack, ListsSplitAtSemicolonsAndOnlyTwoResultsRows)
{
    record.SetField("szWorkOrderCompany", "Mercy");
    record.SetField("szWorkOrderNumber", "WO-7");
    record.SetField("szWorkOrderNext", "06/2027");
    record.SetField("szWorkOrderFixedInspections", "12/2026");
    record.service[0] = "12/01/2026 ; Replaced fuse";
    record.service[1] = "no date given";
    record.results[0] = "12/01 ; JD ; Replaced ; Fuse ; 15 ; R ; F-22 ; 1 ; 2.50 ; Fuse 2A";
    record.results[1] = "whole text";
    record.results[2] = "12/03 ; third ; never ; shown ;  ;  ;  ;  ;  ; x";
    record.checks[0] = "CHECK OPERATION WITH OPERATOR CONTROL.";
    const docs::Document doc = Write();
    const Lines texts = Texts(doc);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "12/01/2026 \t\t Replaced fuse"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "\t\tno date given"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "[  ] CHECK OPERATION WITH OPERATOR CONTROL."), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "Risk Priority: \t\tLast Seen: \tFixed Inspections: Next: 06/2027\tLast: 12/2026"),
              texts.end());

    const docs::Table* results = nullptr;
    for (const auto& block : doc.main.blocks) {
        if (const auto* table = std::get_if<docs::Table>(&block); table && table->rows.size() == 3) {
            results = table;
        }
    }
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->rows[0].cells.size(), 10u);
    EXPECT_EQ(CellText(results->rows[0].cells[9]), "Description");
    // Within the 6.7 in between the margins; the date column holds a whole date
    // (0.9 in would not), the others give up what it takes in proportion.
    EXPECT_DOUBLE_EQ(std::accumulate(results->gridColumnsPt.begin(), results->gridColumnsPt.end(), 0.0), 482.4);
    EXPECT_EQ(results->gridColumnsPt[0], 66.35);
    EXPECT_EQ(results->gridColumnsPt[9], 76.65);
    EXPECT_EQ(CellText(results->rows[1].cells[0]), "12/01 ");
    EXPECT_EQ(CellText(results->rows[1].cells[2]), " Replaced ");
    EXPECT_EQ(CellText(results->rows[1].cells[9]), " Fuse 2A");
    // The second entry has no ';': nine empty cells and the whole text last.
    EXPECT_EQ(CellText(results->rows[2].cells[0]), "");
    EXPECT_EQ(CellText(results->rows[2].cells[9]), "whole text");
    for (const auto& text : texts) {
        EXPECT_EQ(text.find("third"), std::string::npos);
        EXPECT_EQ(text.find("whole text"), std::string::npos); // never run on after the table
    }
    EXPECT_EQ(std::get<docs::Paragraph>(doc.header.blocks[0]).runs[0].text, "Mercy");
}

TEST_F(WorkOrderDocumentReadBack, OpensInLibreOffice)
{
    if (!tessaprint::test::SofficeOnPath()) {
        GTEST_SKIP() << "soffice is not on PATH; install libreoffice-writer-nogui to check the documents open";
    }
    record.SetField("szWorkOrderCompany", "Mercy");
    record.SetField("szWorkOrderManufacturer", "Baxter");
    record.checks[0] = "CHECK HARDWARE FOR MISSING PARTS, LOOSE SCREWS.";
    Write();
    tessaprint::test::TempFolder work;
    const std::string text = tessaprint::test::ConvertWithLibreOffice(work.path(), path, "txt:Text", ".txt");
    for (const char* expected : {"Equipment Data", "Manufacturer: Baxter", "Work Order Data", "Results", "Unit Cost",
                                 "[  ] CHECK HARDWARE FOR MISSING PARTS, LOOSE SCREWS.", "Signature____"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

} // namespace
} // namespace tessaprint
