#include "docs/DocxWriter.h"
#include "DocxReader.h"
#include "TestFiles.h"
#include "docs/XmlWriter.h"

#include <cstring>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <variant>

namespace tessaprint::docs {
namespace {

namespace fs = std::filesystem;
using tessaprint::test::ConvertWithLibreOffice;
using tessaprint::test::FilePermissionsHold;
using tessaprint::test::ReadFile;
using tessaprint::test::SofficeOnPath;
using tessaprint::test::TempFolder;
using test::DocxReader;
using test::ParseXml;

// ---- building blocks ----

Run TextRun(std::string text, CharFormat format = {})
{
    Run run;
    run.text = std::move(text);
    run.format = std::move(format);
    return run;
}

Run PageNumberRun(CharFormat format = {})
{
    Run run;
    run.kind = Run::Kind::PageNumber;
    run.format = std::move(format);
    return run;
}

Paragraph Para(std::vector<Run> runs, CharFormat mark = {}, ParaFormat format = {})
{
    return Paragraph{std::move(runs), std::move(mark), format};
}

Cell TextCell(std::string text, double widthPt, CellBorders borders = {true, true, true, true})
{
    Cell cell;
    cell.paragraphs = {Para({TextRun(std::move(text))})};
    cell.widthPt = widthPt;
    cell.borders = borders;
    return cell;
}

CharFormat Calibri(double size, bool bold = false, bool italic = false)
{
    CharFormat format;
    format.font = "Calibri";
    format.size = size;
    format.bold = bold;
    format.italic = italic;
    return format;
}

// A test record the way the generators build one: a grey two-line header, a
// page-number footer, a heading, a table with a merged title row, a closing
// line.
Document SampleDocument()
{
    Document doc;
    doc.page.leftMarginPt = 54;
    doc.page.rightMarginPt = 72.5;

    const ParaFormat greyCentered{Alignment::Center, 0x00E6E6E6};
    doc.header.blocks = {
        Para({TextRun("Zelmor Corporation", Calibri(12, true, true))}, Calibri(12, true), greyCentered),
        Para({TextRun("Electrical Safety Test Record", Calibri(12, true))}, Calibri(12, true), greyCentered),
    };
    doc.footer.blocks = {Para({TextRun("Page "), PageNumberRun()}, {}, ParaFormat{Alignment::Center, {}})};

    Table table;
    table.gridColumnsPt = {180, 304.5};
    table.shading = 0x00F2F2F2;
    table.shadingForegroundAuto = true;
    Row title;
    title.heightPt = 18;
    title.heightRule = HeightRule::Exactly;
    Cell merged = TextCell("Identification", 484.5);
    merged.gridSpan = 2;
    merged.shading = 0x00336699;
    merged.paragraphs[0].runs[0].format = Calibri(11, true);
    title.cells = {merged};
    Row second;
    second.cells = {TextCell("Equipment ID:", 180, {true, true, false, false}), TextCell("QX-1234", 304.5)};
    second.cells[1].paragraphs.push_back(Para({TextRun("second line\tafter a tab")}));
    Row third;
    third.heightPt = 20;
    third.heightRule = HeightRule::AtLeast;
    third.cells = {TextCell("Leakage current", 180, {}), TextCell("5 \u00B5A \u2013 ok & <fine>", 304.5)};
    table.rows = {title, second, third};

    doc.main.blocks = {
        Para({TextRun("Test Data:", Calibri(11, true)), TextRun(" 2024-03-01", Calibri(11))}, Calibri(11)),
        table,
        Para({}, Calibri(11)),
        Para({TextRun("Signature: ______   Date: ______\nsecond line", Calibri(10.5))}),
    };
    return doc;
}

// ---- XmlWriter ----

TEST(XmlWriterTest, NestsElementsAndWritesChildlessOnesAsEmptyTags)
{
    XmlWriter w;
    w.StartElement("a");
    w.Attribute("x", "1");
    w.StartElement("b");
    w.Text("text");
    w.EndElement();
    w.EmptyElement("c", {{"y", "2"}, {"z", "3"}});
    w.StartElement("d");
    w.Text("");
    w.EndElement();
    w.EndElement();
    EXPECT_EQ(w.str(), R"(<a x="1"><b>text</b><c y="2" z="3"/><d></d></a>)");
}

TEST(XmlWriterTest, EscapesMarkupInTextAndAttributes)
{
    XmlWriter w;
    w.StartElement("e");
    w.Attribute("v", "a&b<c>\"d'e\tf\ng\rh");
    w.Text("a&b<c>\"d'e\tf\ng\rh ]]>");
    w.EndElement();
    // Tab, LF and CR survive a parser's normalisation only as references in
    // attributes; in text only CR needs one.
    EXPECT_EQ(w.str(), "<e v=\"a&amp;b&lt;c&gt;&quot;d&apos;e&#9;f&#10;g&#13;h\">"
                       "a&amp;b&lt;c&gt;&quot;d'e\tf\ng&#13;h ]]&gt;</e>");
}

TEST(XmlWriterTest, ReplacesWhatXmlCannotCarryAndKeepsEverythingElse)
{
    const std::string fffd = "\uFFFD";
    // Control characters, DEL and the C1 controls as well: boxes or nothing in a word processor.
    EXPECT_EQ(EscapeXml("\x01"
                        "A\x1F\x7F\u0085\u009F",
                        false),
              fffd + "A" + fffd + fffd + fffd + fffd);
    EXPECT_EQ(EscapeXml("\xEF\xBF\xBE\xEF\xBF\xBF", false), fffd + fffd); // U+FFFE, U+FFFF
    EXPECT_EQ(EscapeXml("\xED\xA0\x80", false), fffd + fffd + fffd);      // an encoded surrogate
    EXPECT_EQ(EscapeXml("\xC3", false), fffd);                            // cut off at the end
    EXPECT_EQ(EscapeXml("\xE2\x82"
                        "A",
                        false),
              fffd + "A");                                // one replacement for one damaged character
    EXPECT_EQ(EscapeXml("\xC0\xAF", false), fffd + fffd); // overlong
    EXPECT_EQ(EscapeXml("\xF4\x90\x80\x80", false), fffd + fffd + fffd + fffd); // beyond U+10FFFF
    EXPECT_EQ(EscapeXml("\xB5"
                        "A",
                        true),
              fffd + "A"); // a Windows-1252 byte that was never decoded
    const std::string valid = "5 \u00B5A \u2013 \u2026 \U0001F600 \u00A0 \uFFFD";
    EXPECT_EQ(EscapeXml(valid, false), valid);
}

// ---- the pieces, as exact XML ----

TEST(DocxPieceTest, PlainAndEmptyParagraphsCarryNoProperties)
{
    EXPECT_EQ(ParagraphXml(Para({TextRun("Hello world")})),
              R"(<w:p><w:r><w:t xml:space="preserve">Hello world</w:t></w:r></w:p>)");
    EXPECT_EQ(ParagraphXml(Paragraph{}), "<w:p/>");
    // A size that rounds to the default half points is the default.
    CharFormat nearlyDefault;
    nearlyDefault.size = 12.1;
    EXPECT_EQ(ParagraphXml(Para({}, nearlyDefault)), "<w:p/>");
}

TEST(DocxPieceTest, RunFormattingInSchemaOrderWithColourAsRrGgBb)
{
    CharFormat format = Calibri(10.5, true, true);
    format.shading = 0x00336699; // blue 0x33, green 0x66, red 0x99
    EXPECT_EQ(ParagraphXml(Para({TextRun("  Label ", format)})),
              "<w:p><w:r><w:rPr>"
              R"(<w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:cs="Calibri"/><w:b/><w:i/>)"
              R"(<w:sz w:val="21"/><w:szCs w:val="21"/><w:shd w:val="clear" w:color="auto" w:fill="996633"/>)"
              R"(</w:rPr><w:t xml:space="preserve">  Label </w:t></w:r></w:p>)");
    CharFormat small;
    small.size = 9.75; // 19.5 half points round up
    EXPECT_EQ(ParagraphXml(Para({TextRun("x", small)})),
              R"(<w:p><w:r><w:rPr><w:sz w:val="20"/><w:szCs w:val="20"/></w:rPr>)"
              R"(<w:t xml:space="preserve">x</w:t></w:r></w:p>)");
}

TEST(DocxPieceTest, TabsAndLineBreaksBecomeElementsAndTextIsMadeSafe)
{
    EXPECT_EQ(ParagraphXml(Para({TextRun("\tA & B <x>\t\t\"q\"\x01\nend\n")})),
              "<w:p><w:r><w:tab/>"
              R"(<w:t xml:space="preserve">A &amp; B &lt;x&gt;</w:t><w:tab/><w:tab/>)"
              "<w:t xml:space=\"preserve\">&quot;q&quot;\uFFFD</w:t><w:br/>"
              R"(<w:t xml:space="preserve">end</w:t><w:br/></w:r></w:p>)");
}

TEST(DocxPieceTest, CrLfAndALoneCrAreLineBreaksLikeLf)
{
    // CR LF and a lone CR are line breaks like LF, never a character in the text.
    EXPECT_EQ(ParagraphXml(Para({TextRun("x\r\ny\rz\n")})),
              "<w:p><w:r><w:t xml:space=\"preserve\">x</w:t><w:br/><w:t xml:space=\"preserve\">y</w:t><w:br/>"
              "<w:t xml:space=\"preserve\">z</w:t><w:br/></w:r></w:p>");
}

TEST(DocxPieceTest, CenteredShadedParagraphCarriesItsMarkFormatting)
{
    const Paragraph p =
        Para({TextRun("Title", Calibri(12, true))}, Calibri(12, true), ParaFormat{Alignment::Center, 0x00E6E6E6});
    EXPECT_EQ(ParagraphXml(p), "<w:p><w:pPr>"
                               R"(<w:shd w:val="clear" w:color="auto" w:fill="E6E6E6"/><w:jc w:val="center"/>)"
                               R"(<w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:cs="Calibri"/><w:b/></w:rPr>)"
                               "</w:pPr><w:r>"
                               R"(<w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:cs="Calibri"/><w:b/></w:rPr>)"
                               R"(<w:t xml:space="preserve">Title</w:t></w:r></w:p>)");
    // An empty paragraph is only its mark, and the mark keeps the format.
    CharFormat bold;
    bold.bold = true;
    EXPECT_EQ(ParagraphXml(Para({}, bold)), "<w:p><w:pPr><w:rPr><w:b/></w:rPr></w:pPr></w:p>");
}

TEST(DocxPieceTest, KeepWithNextIsInSchemaOrderInTheParagraphProperties)
{
    ParaFormat kept;
    kept.keepWithNext = true;
    kept.alignment = Alignment::Center;
    EXPECT_EQ(ParagraphXml(Para({TextRun("Heading")}, CharFormat{}, kept)),
              R"(<w:p><w:pPr><w:keepNext/><w:jc w:val="center"/></w:pPr>)"
              R"(<w:r><w:t xml:space="preserve">Heading</w:t></w:r></w:p>)");
}

TEST(DocxPieceTest, RepeatedHeaderRowThatCannotSplitIsInSchemaOrderInTheRowProperties)
{
    Table t;
    t.gridColumnsPt = {100};
    Row header{{TextCell("Name", 100)}, 20, HeightRule::AtLeast};
    header.headingRow = true;
    header.cantSplit = true;
    t.rows = {header};
    EXPECT_NE(TableXml(t).find(R"(<w:trPr><w:cantSplit/><w:trHeight w:val="400" w:hRule="atLeast"/>)"
                               R"(<w:tblHeader/></w:trPr>)"),
              std::string::npos)
        << TableXml(t);
}

TEST(DocxPieceTest, PageNumberIsAPageFieldWithAShownValue)
{
    EXPECT_EQ(ParagraphXml(Para({TextRun("Page "), PageNumberRun(Calibri(9))}, {}, {Alignment::Center, {}})),
              R"(<w:p><w:pPr><w:jc w:val="center"/></w:pPr>)"
              R"(<w:r><w:t xml:space="preserve">Page </w:t></w:r>)"
              R"(<w:fldSimple w:instr=" PAGE "><w:r><w:rPr>)"
              R"(<w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:cs="Calibri"/><w:sz w:val="18"/><w:szCs w:val="18"/>)"
              "</w:rPr><w:t>1</w:t></w:r></w:fldSimple></w:p>");
}

const std::string kSingle = R"(w:val="single" w:sz="4" w:space="0" w:color="auto"/>)";
const std::string kNil = R"(w:val="nil"/>)";

TEST(DocxPieceTest, TableWithRowHeightsMergedRowWidthsAndBorders)
{
    Table t;
    t.gridColumnsPt = {144, 288.5};
    Row exact;
    exact.heightPt = 18;
    exact.heightRule = HeightRule::Exactly;
    Cell merged = TextCell("Identification", 432.5);
    merged.gridSpan = 2;
    exact.cells = {merged};
    Row plain;
    Cell left;
    left.widthPt = 144;
    left.borders = {true, true, true, false};
    Cell right = TextCell("b", 288.5, {true, false, true, true});
    right.paragraphs.insert(right.paragraphs.begin(), Para({TextRun("a")}));
    plain.cells = {left, right};
    Row atLeast;
    atLeast.heightPt = 20;
    atLeast.heightRule = HeightRule::AtLeast;
    Cell unsized;
    unsized.gridSpan = 2;
    unsized.paragraphs.clear(); // the writer still gives it its paragraph
    atLeast.cells = {unsized};
    t.rows = {exact, plain, atLeast};

    const std::string expected =
        R"(<w:tbl><w:tblPr><w:tblW w:w="8650" w:type="dxa"/><w:tblLayout w:type="fixed"/></w:tblPr>)"
        R"(<w:tblGrid><w:gridCol w:w="2880"/><w:gridCol w:w="5770"/></w:tblGrid>)"
        R"(<w:tr><w:trPr><w:trHeight w:val="360" w:hRule="exact"/></w:trPr>)"
        R"(<w:tc><w:tcPr><w:tcW w:w="8650" w:type="dxa"/><w:gridSpan w:val="2"/>)"
        "<w:tcBorders><w:top " +
        kSingle + "<w:left " + kSingle + "<w:bottom " + kSingle + "<w:right " + kSingle +
        "</w:tcBorders></w:tcPr>"
        R"(<w:p><w:r><w:t xml:space="preserve">Identification</w:t></w:r></w:p></w:tc></w:tr>)"
        R"(<w:tr><w:tc><w:tcPr><w:tcW w:w="2880" w:type="dxa"/>)"
        "<w:tcBorders><w:top " +
        kSingle + "<w:left " + kSingle + "<w:bottom " + kSingle + "<w:right " + kNil +
        "</w:tcBorders></w:tcPr><w:p/></w:tc>"
        R"(<w:tc><w:tcPr><w:tcW w:w="5770" w:type="dxa"/>)"
        "<w:tcBorders><w:top " +
        kSingle + "<w:left " + kNil + "<w:bottom " + kSingle + "<w:right " + kSingle +
        "</w:tcBorders></w:tcPr>"
        R"(<w:p><w:r><w:t xml:space="preserve">a</w:t></w:r></w:p>)"
        R"(<w:p><w:r><w:t xml:space="preserve">b</w:t></w:r></w:p></w:tc></w:tr>)"
        R"(<w:tr><w:trPr><w:trHeight w:val="400" w:hRule="atLeast"/></w:trPr>)"
        R"(<w:tc><w:tcPr><w:tcW w:w="0" w:type="auto"/><w:gridSpan w:val="2"/>)"
        "<w:tcBorders><w:top " +
        kNil + "<w:left " + kNil + "<w:bottom " + kNil + "<w:right " + kNil +
        "</w:tcBorders></w:tcPr><w:p/></w:tc></w:tr></w:tbl>";
    EXPECT_EQ(TableXml(t), expected);
}

TEST(DocxPieceTest, TableShadingIsStatedOnTheTableAndOnEveryCellWithoutItsOwn)
{
    Table t;
    t.gridColumnsPt = {100, 100};
    t.shading = 0x00B3B3B3;
    t.shadingForegroundAuto = true;
    Row row;
    Cell own;
    own.shading = 0x000000FF; // red
    row.cells = {Cell{}, own};
    t.rows = {row};
    const std::string noBorders =
        "<w:tcBorders><w:top " + kNil + "<w:left " + kNil + "<w:bottom " + kNil + "<w:right " + kNil + "</w:tcBorders>";
    EXPECT_EQ(TableXml(t), R"(<w:tbl><w:tblPr><w:tblW w:w="4000" w:type="dxa"/>)"
                           R"(<w:shd w:val="clear" w:color="auto" w:fill="B3B3B3"/><w:tblLayout w:type="fixed"/>)"
                           R"(</w:tblPr><w:tblGrid><w:gridCol w:w="2000"/><w:gridCol w:w="2000"/></w:tblGrid><w:tr>)"
                           R"(<w:tc><w:tcPr><w:tcW w:w="0" w:type="auto"/>)" +
                               noBorders +
                               R"(<w:shd w:val="clear" w:color="auto" w:fill="B3B3B3"/></w:tcPr><w:p/></w:tc>)"
                               R"(<w:tc><w:tcPr><w:tcW w:w="0" w:type="auto"/>)" +
                               noBorders +
                               R"(<w:shd w:val="clear" w:color="auto" w:fill="FF0000"/></w:tcPr><w:p/></w:tc>)"
                               "</w:tr></w:tbl>");
}

TEST(DocxPieceTest, TableShadingForegroundAloneIsKept)
{
    // The foreground alone (set before any background) is kept as well.
    Table foregroundOnly;
    foregroundOnly.shadingForegroundAuto = true;
    EXPECT_NE(TableXml(foregroundOnly).find(R"(<w:shd w:val="clear" w:color="auto" w:fill="auto"/>)"),
              std::string::npos);
}

TEST(DocxPieceTest, StoryEndingInATableGetsAClosingParagraph)
{
    Story story;
    story.blocks = {Table{}};
    const std::string header = HeaderXml(story);
    EXPECT_NE(header.find("</w:tbl><w:p/></w:hdr>"), std::string::npos) << header;
}

TEST(DocxPieceTest, EmptyStoryIsOneEmptyParagraph)
{
    Story empty;
    empty.blocks.clear();
    EXPECT_NE(FooterXml(empty).find("><w:p/></w:ftr>"), std::string::npos);
}

TEST(DocxPieceTest, SectionGivesPageSizeMarginsAndTheHeaderAndFooter)
{
    Document doc;
    doc.page.leftMarginPt = 54;
    doc.page.rightMarginPt = 72.5;
    const std::string xml = DocumentXml(doc);
    const std::string tail =
        R"(<w:p/><w:sectPr><w:headerReference w:type="default" r:id="rId3"/>)"
        R"(<w:footerReference w:type="default" r:id="rId4"/><w:pgSz w:w="12240" w:h="15840"/>)"
        R"(<w:pgMar w:top="1440" w:right="1450" w:bottom="1440" w:left="1080" w:header="720" w:footer="720")"
        R"( w:gutter="0"/><w:cols w:space="720"/></w:sectPr></w:body></w:document>)";
    ASSERT_GE(xml.size(), tail.size());
    EXPECT_EQ(xml.substr(xml.size() - tail.size()), tail);
}

TEST(DocxPieceTest, StylesGiveTheTemplateDefaults)
{
    const test::XmlElement styles = ParseXml(StylesXml());
    const test::XmlElement* defaults = styles.FindChild("w:docDefaults");
    ASSERT_NE(defaults, nullptr);
    const test::XmlElement* rPr = defaults->FindChild("w:rPrDefault")->FindChild("w:rPr");
    EXPECT_EQ(rPr->FindChild("w:rFonts")->Attribute("w:ascii"), "Times New Roman");
    EXPECT_EQ(rPr->FindChild("w:rFonts")->Attribute("w:hAnsi"), "Times New Roman");
    EXPECT_EQ(rPr->FindChild("w:sz")->Attribute("w:val"), "24");
    const test::XmlElement* spacing = defaults->FindChild("w:pPrDefault")->FindChild("w:pPr")->FindChild("w:spacing");
    EXPECT_EQ(spacing->Attribute("w:after"), "0");
    EXPECT_EQ(spacing->Attribute("w:line"), "240");
    EXPECT_EQ(spacing->Attribute("w:lineRule"), "auto");
}

// ---- whole documents, written and read back ----

TEST(DocxRoundTripTest, SampleDocumentReadsBackAsTheSameModel)
{
    const Document doc = SampleDocument();
    const Document read = DocxReader::FromBytes(DocxBytes(doc).value()).ReadDocument();
    // Story by story, each shown as XML when it differs.
    EXPECT_TRUE(read.header == doc.header) << HeaderXml(read.header);
    EXPECT_TRUE(read.footer == doc.footer) << FooterXml(read.footer);
    EXPECT_TRUE(read.main == doc.main) << DocumentXml(read);
    EXPECT_TRUE(read.page == doc.page) << DocumentXml(read);
    EXPECT_TRUE(read == doc);
}

TEST(DocxRoundTripTest, FormatsAndTextDetailsSurvive)
{
    Document doc;
    CharFormat shaded = Calibri(8);
    shaded.shading = 0x00010203;
    Cell cell = TextCell(" leading and trailing spaces  ", 100);
    cell.shading = 0x00FFFFFF;
    Table table;
    table.gridColumnsPt = {100};
    table.rows = {Row{{cell}, 0, HeightRule::Auto}};
    doc.main.blocks = {
        Para({TextRun("a\tb\n\nc\n", shaded), TextRun("same format, separate run", shaded)}, shaded),
        Para({TextRun(""), TextRun("\u00B5\u2013\u2026 &amp; <![CDATA[x]]>")}),
        table,
        Para({}),
    };
    doc.page = PageSetup{792, 612, 36, 48.5, 90, 90};
    EXPECT_TRUE(DocxReader::FromBytes(DocxBytes(doc).value()).ReadDocument() == doc);
}

TEST(DocxRoundTripTest, ControlBytesArriveAsReplacementCharacters)
{
    Document doc;
    doc.main.blocks = {Para({TextRun(std::string("A\x01") + "B\x1B[0m\xFF")})};
    const Document read = DocxReader::FromBytes(DocxBytes(doc).value()).ReadDocument();
    const Paragraph& p = std::get<Paragraph>(read.main.blocks.at(0));
    EXPECT_EQ(p.runs.at(0).text, "A\uFFFDB\uFFFD[0m\uFFFD");
}

TEST(DocxRoundTripTest, StoryEndingInATableReadsBackWithTheClosingParagraph)
{
    Document doc;
    Table table;
    table.gridColumnsPt = {72};
    table.rows = {Row{{TextCell("x", 72)}, 0, HeightRule::Auto}};
    doc.footer.blocks = {table};
    const Document read = DocxReader::FromBytes(DocxBytes(doc).value()).ReadDocument();
    ASSERT_EQ(read.footer.blocks.size(), 2u);
    EXPECT_TRUE(std::get<Table>(read.footer.blocks[0]) == table);
    EXPECT_TRUE(std::get<Paragraph>(read.footer.blocks[1]) == Paragraph{});
}

// The round trips are only as good as the reader's parser: it must refuse
// what a word processor refuses.
TEST(DocxReaderTest, ParserRefusesMalformedXml)
{
    for (const char* bad : {"<a>\x01</a>", "<a>&#1;</a>", "<a>&#xFFFE;</a>", "<a>\xC3</a>", "<a>\xED\xA0\x80</a>",
                            "<a></b>", "<a x='1' x='2'/>", "<a>&nbsp;</a>", "<a x=\"<\"/>", "<a/><b/>", "<a>"}) {
        EXPECT_THROW(ParseXml(bad), std::runtime_error) << bad;
    }
}

TEST(DocxReaderTest, ParserNormalisesLineEndsWhiteSpaceAndReferencesLikeARealOne)
{
    const test::XmlElement e = ParseXml("<?xml version=\"1.0\"?>\r\n<a k=\"x&#9;y\tz\">1\r\n2&#13;&lt;&#x263A;</a>");
    EXPECT_EQ(e.Attribute("k"), "x\ty z");
    EXPECT_EQ(e.text, "1\n2\r<\u263A");
}

// The local file headers and central directory entries of a zip, as
// (method, DOS time, DOS date, extra field length) per entry.
struct ZipEntryHeader {
    std::uint16_t method, time, date, extraLength;
    bool operator==(const ZipEntryHeader&) const = default;
};

std::uint16_t U16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) |
                                      (static_cast<unsigned char>(b.at(at + 1)) << 8));
}

std::uint32_t U32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

std::vector<ZipEntryHeader> ZipHeaders(const std::string& bytes, bool central)
{
    std::vector<ZipEntryHeader> headers;
    std::size_t at = 0;
    while (U32(bytes, at) == 0x04034b50) { // local header; sizes are in it, no data descriptors
        if (!central) {
            headers.push_back({U16(bytes, at + 8), U16(bytes, at + 10), U16(bytes, at + 12), U16(bytes, at + 28)});
        }
        at += 30 + U16(bytes, at + 26) + U16(bytes, at + 28) + U32(bytes, at + 18);
    }
    while (central && U32(bytes, at) == 0x02014b50) {
        headers.push_back({U16(bytes, at + 10), U16(bytes, at + 12), U16(bytes, at + 14), U16(bytes, at + 30)});
        at += 46 + U16(bytes, at + 28) + U16(bytes, at + 30) + U16(bytes, at + 32);
    }
    return headers;
}

TEST(DocxPackageTest, BytesAreTheSameEveryTimeWithFixedDatesAndDeflate)
{
    const Document doc = SampleDocument();
    const std::string first = DocxBytes(doc).value();
    EXPECT_EQ(first, DocxBytes(doc).value());
    EXPECT_EQ(first, DocxBytes(SampleDocument()).value());

    // Nothing that depends on the clock: 1980-01-01 00:00 everywhere and no
    // extra fields (which could carry timestamps of their own).
    const ZipEntryHeader expected{8, 0x0000, 0x0021, 0};
    for (bool central : {false, true}) {
        const std::vector<ZipEntryHeader> headers = ZipHeaders(first, central);
        ASSERT_EQ(headers.size(), 8u) << (central ? "central directory" : "local headers");
        for (const ZipEntryHeader& header : headers) {
            EXPECT_TRUE(header == expected);
        }
    }
}

TEST(DocxPackageTest, EntriesContentTypesAndRelationshipsFitTogether)
{
    const DocxReader package = DocxReader::FromBytes(DocxBytes(SampleDocument()).value());
    EXPECT_EQ(package.EntryNames(),
              (std::vector<std::string>{"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                                        "word/_rels/document.xml.rels", "word/styles.xml", "word/settings.xml",
                                        "word/header1.xml", "word/footer1.xml"}));

    // Every part is complete XML with its declaration.
    for (const std::string& name : package.EntryNames()) {
        EXPECT_TRUE(package.Part(name).starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"))
            << name;
        EXPECT_NO_THROW(ParseXml(package.Part(name))) << name;
    }

    // Every part but the relationships has a content type, and each override names an existing part.
    const test::XmlElement types = ParseXml(package.Part("[Content_Types].xml"));
    std::map<std::string, std::string> overrides;
    std::map<std::string, std::string> defaults;
    for (const test::XmlElement& type : types.children) {
        if (type.name == "Override") {
            overrides[type.Attribute("PartName")] = type.Attribute("ContentType");
        } else {
            defaults[type.Attribute("Extension")] = type.Attribute("ContentType");
        }
    }
    const std::string wordml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
    EXPECT_EQ(overrides, (std::map<std::string, std::string>{
                             {"/word/document.xml", wordml + "document.main+xml"},
                             {"/word/styles.xml", wordml + "styles+xml"},
                             {"/word/settings.xml", wordml + "settings+xml"},
                             {"/word/header1.xml", wordml + "header+xml"},
                             {"/word/footer1.xml", wordml + "footer+xml"},
                         }));
    EXPECT_EQ(defaults.at("rels"), "application/vnd.openxmlformats-package.relationships+xml");

    // The package points at the document, the document at the parts it uses.
    const test::XmlElement root = ParseXml(package.Part("_rels/.rels"));
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].Attribute("Target"), "word/document.xml");
    EXPECT_TRUE(root.children[0].Attribute("Type").ends_with("/officeDocument"));
    std::vector<std::string> targets;
    for (const test::XmlElement& relationship : ParseXml(package.Part("word/_rels/document.xml.rels")).children) {
        EXPECT_TRUE(package.HasPart("word/" + relationship.Attribute("Target"))) << relationship.Attribute("Target");
        const std::string& type = relationship.Attribute("Type");
        targets.push_back(type.substr(type.rfind('/') + 1) + "=" + relationship.Attribute("Target"));
    }
    EXPECT_EQ(targets, (std::vector<std::string>{"styles=styles.xml", "settings=settings.xml", "header=header1.xml",
                                                 "footer=footer1.xml"}));
}

// ---- saving to a file ----

TEST(WriteDocxTest, WritesTheNamedFileAndNeverReplacesAnOldOne)
{
    TempFolder folder;
    const fs::path path = folder.path() / "QX-1234 record.docx";
    {
        std::ofstream old(path, std::ios::binary);
        old << "an older document";
    }
    const Document doc = SampleDocument();
    EXPECT_EQ(WriteDocx(doc, path.string()).value(), (folder.path() / "QX-1234 record-2.docx").string());
    EXPECT_EQ(WriteDocx(doc, path.string()).value(), (folder.path() / "QX-1234 record-3.docx").string());
    // No temporary file left, and the older document untouched.
    EXPECT_EQ(folder.Names(),
              (std::vector<std::string>{"QX-1234 record-2.docx", "QX-1234 record-3.docx", "QX-1234 record.docx"}));
    EXPECT_EQ(ReadFile(path), "an older document");
    EXPECT_EQ(ReadFile(folder.path() / "QX-1234 record-2.docx"), DocxBytes(doc).value());
    EXPECT_TRUE(DocxReader::FromFile((folder.path() / "QX-1234 record-2.docx").string()).ReadDocument() == doc);
}

TEST(WriteDocxTest, MissingFolderFailsWithEnoentAndCreatesNothing)
{
    TempFolder folder;
    const fs::path path = folder.path() / "missing" / "record.docx";
    const Result<std::string> written = WriteDocx(SampleDocument(), path.string());
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().code, kErrorPathNotFound);
    EXPECT_NE(written.error().message.find(path.string()), std::string::npos) << written.error().message;
    EXPECT_NE(written.error().message.find(std::strerror(ENOENT)), std::string::npos) << written.error().message;
    EXPECT_TRUE(folder.Names().empty());
}

TEST(WriteDocxTest, InvalidTargetsFailWithTheSystemsReason)
{
    TempFolder folder;
    const auto errorOf = [](const std::string& path) {
        const Result<std::string> written = WriteDocx(Document{}, path);
        return written ? 0u : written.error().code;
    };
    std::ofstream(folder.path() / "plain-file") << "x";
    fs::create_directory(folder.path() / "a folder");
    EXPECT_EQ(errorOf(""), kErrorInvalidName);
    EXPECT_EQ(errorOf((folder.path() / "ends-in-slash").string() + "/"), kErrorInvalidName);
    EXPECT_EQ(errorOf((folder.path() / "plain-file" / "x.docx").string()), kErrorPathNotFound);
    EXPECT_EQ(errorOf((folder.path() / std::string(300, 'n')).string() + ".docx"), kErrorNameTooLong);
    // A folder of the name counts as taken: the next name is used and the folder is left alone.
    EXPECT_EQ(errorOf((folder.path() / "a folder").string()), 0u);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a folder", "a folder-2", "plain-file"}));
    EXPECT_TRUE(fs::is_empty(folder.path() / "a folder"));
}

TEST(WriteDocxTest, ReadOnlyFolderFailsCleanlyAndKeepsTheOldFile)
{
    TempFolder folder;
    const fs::path path = folder.path() / "record.docx";
    std::ofstream(path) << "the document already there";
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    // Root, as CI runs, writes into any folder: here the permissions hold for it too.
    const FilePermissionsHold permissionsHold;
#ifdef __linux__
    ASSERT_FALSE(std::ofstream(folder.path() / "probe")) << "the read-only folder took a file";
#else
    if (std::ofstream(folder.path() / "probe")) {
        GTEST_SKIP() << "running with privileges that ignore folder permissions";
    }
#endif
    const Result<std::string> written = WriteDocx(SampleDocument(), path.string());
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().code, kErrorAccessDenied) << written.error().message;
    EXPECT_EQ(ReadFile(path), "the document already there");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"record.docx"});
}

// ---- a real word processor ----

class LibreOfficeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SofficeOnPath()) {
            GTEST_SKIP() << "soffice is not on PATH; install libreoffice-writer-nogui to check the file opens";
        }
        ASSERT_TRUE(WriteDocx(SampleDocument(), m_docx.string()));
    }

    TempFolder m_folder;
    fs::path m_docx = m_folder.path() / "record.docx";
};

TEST_F(LibreOfficeTest, OpensTheFileAndShowsTheBodyAndCellTexts)
{
    const std::string text = ConvertWithLibreOffice(m_folder.path(), m_docx, "txt:Text", ".txt");
    std::size_t at = 0;
    // In reading order: body paragraph, the table's cells row by row, the closing lines.
    for (const char* expected :
         {"Test Data: 2024-03-01", "Identification", "Equipment ID:", "QX-1234", "second line\tafter a tab",
          "Leakage current", "5 \u00B5A \u2013 ok & <fine>", "Signature: ______   Date: ______", "second line"}) {
        const std::size_t found = text.find(expected, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << expected << "\n" << text;
        at = found;
    }
}

TEST_F(LibreOfficeTest, ShowsTheHeaderAndAPageNumberFieldInTheFooter)
{
    // The plain-text export leaves headers and footers out; the HTML export
    // keeps them and shows which fields LibreOffice recognised.
    const std::string html = ConvertWithLibreOffice(m_folder.path(), m_docx, "html:HTML (StarWriter)", ".html");
    const std::size_t header = html.find("title=\"header\"");
    const std::size_t footer = html.find("title=\"footer\"");
    ASSERT_NE(header, std::string::npos) << html;
    ASSERT_NE(footer, std::string::npos) << html;
    const std::string headerPart = html.substr(header, footer - header);
    EXPECT_NE(headerPart.find("Zelmor Corporation"), std::string::npos) << headerPart;
    EXPECT_NE(headerPart.find("Electrical Safety Test Record"), std::string::npos) << headerPart;
    EXPECT_NE(html.find("type=PAGE", footer), std::string::npos) << html.substr(footer);
}

} // namespace
} // namespace tessaprint::docs
