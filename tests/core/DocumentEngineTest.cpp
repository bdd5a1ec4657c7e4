// The document engine's selection rules, each with a short walk and the
// document it must leave behind.
#include "docs/DocumentEngine.h"

#include <gtest/gtest.h>

namespace tessaprint::docs {
namespace {

class DocumentEngineTest : public ::testing::Test {
protected:
    DocumentEngineTest()
    {
        word.StartWord();
        word.AddDocument("Normal.dotm", false);
    }

    const Story& Main() const { return word.document().main; }
    const Paragraph& Para(int block) const { return std::get<Paragraph>(Main().blocks.at(block)); }
    const Table& TableAt(int block) const { return std::get<Table>(Main().blocks.at(block)); }
    const Cell& CellAt(int block, int row, int cell) const { return TableAt(block).rows.at(row).cells.at(cell); }

    static std::string Text(const Paragraph& p)
    {
        std::string text;
        for (const auto& run : p.runs) {
            text += run.kind == Run::Kind::Text ? run.text : "#";
        }
        return text;
    }
    static std::string Text(const Cell& cell)
    {
        std::string text;
        for (std::size_t i = 0; i < cell.paragraphs.size(); ++i) {
            text += (i ? "|" : "") + Text(cell.paragraphs[i]);
        }
        return text;
    }
    std::pair<int, int> At() const { return {word.insertionPoint().row, word.insertionPoint().cell}; }

    DocumentEngine word;
};

TEST_F(DocumentEngineTest, FormattingAtAPointAppliesToWhatIsTypedNext)
{
    word.WriteText("plain ");
    word.ToggleBold();
    word.SetFontSize(14);
    word.WriteText("bold");
    word.ToggleBold();
    word.WriteText(" again");
    const Paragraph& p = Para(0);
    ASSERT_EQ(p.runs.size(), 3u);
    EXPECT_EQ(p.runs[0].text, "plain ");
    EXPECT_FALSE(p.runs[0].format.bold);
    EXPECT_EQ(p.runs[0].format.size, 12);
    EXPECT_EQ(p.runs[1].text, "bold");
    EXPECT_TRUE(p.runs[1].format.bold);
    EXPECT_EQ(p.runs[1].format.size, 14);
    EXPECT_FALSE(p.runs[2].format.bold);
    EXPECT_EQ(p.runs[2].format.size, 14);
    // A non-empty paragraph keeps its mark as it was.
    EXPECT_FALSE(p.markFormat.bold);
    EXPECT_EQ(p.markFormat.size, 12);
}

TEST_F(DocumentEngineTest, FormattingInAnEmptyParagraphLastsInItsMark)
{
    word.ToggleItalic();
    word.SetFontName("Calibri");
    EXPECT_TRUE(Para(0).markFormat.italic);
    EXPECT_EQ(Para(0).markFormat.font, "Calibri");
    // Leaving and coming back picks the formatting up from the mark.
    word.WriteText("x");
    word.MoveLeft(kUnitCharacter);
    word.MoveRight(kUnitCharacter);
    EXPECT_TRUE(word.pendingFormat().italic);
    word.MoveLeft(kUnitCharacter);
    EXPECT_TRUE(word.pendingFormat().italic); // at the start: the mark's formatting
}

TEST_F(DocumentEngineTest, NewParagraphCarriesCharacterAndParagraphFormattingOn)
{
    word.SeekView(kSeekHeader);
    word.SetShading(15132390);
    word.SetAlignment(1);
    word.ToggleBold();
    word.ToggleItalic();
    word.WriteText("Zelmor Corporation");
    word.ToggleItalic();
    word.NewParagraph();
    word.WriteText("Title");
    word.SeekView(kSeekMainDocument);
    const auto& header = word.document().header.blocks;
    ASSERT_EQ(header.size(), 2u);
    const auto& first = std::get<Paragraph>(header[0]);
    const auto& second = std::get<Paragraph>(header[1]);
    EXPECT_EQ(first.format.shading, 15132390u);
    EXPECT_EQ(second.format.shading, 15132390u);
    EXPECT_EQ(second.format.alignment, Alignment::Center);
    EXPECT_TRUE(first.runs[0].format.italic);
    EXPECT_TRUE(second.runs[0].format.bold);
    EXPECT_FALSE(second.runs[0].format.italic);
    EXPECT_TRUE(second.markFormat.bold);
    // The main text was not touched and its selection is where it was.
    EXPECT_TRUE(Para(0).IsEmpty());
    EXPECT_EQ(word.insertionPoint(), DocumentEngine::Position{});
}

TEST_F(DocumentEngineTest, AddTableSplitsTheParagraphAndGivesTheCellsThePendingFormat)
{
    word.WriteText("before");
    word.SetFontSize(14);
    word.AddTable(2, 3);
    ASSERT_EQ(Main().blocks.size(), 3u);
    EXPECT_EQ(Text(Para(0)), "before");
    EXPECT_TRUE(std::holds_alternative<Table>(Main().blocks[1]));
    EXPECT_TRUE(Para(2).IsEmpty()); // a table is always followed by a paragraph
    EXPECT_EQ(CellAt(1, 1, 2).paragraphs[0].markFormat.size, 14);
    EXPECT_EQ(At(), (std::pair{0, 0}));
    // Columns share the text width between the margins.
    EXPECT_DOUBLE_EQ(TableAt(1).gridColumnsPt[0], (612.0 - 180.0) / 3);
}

TEST_F(DocumentEngineTest, BoldToggleOnTheWholeTableMakesEveryLabelBold)
{
    word.AddTable(2, 2);
    word.SelectTable(1);
    word.ToggleBold();
    word.SetFontSize(12);
    word.WriteText("first"); // after SelectTable the text goes into the first cell
    EXPECT_EQ(Text(CellAt(0, 0, 0)), "first");
    EXPECT_TRUE(CellAt(0, 0, 0).paragraphs[0].runs[0].format.bold);
    EXPECT_TRUE(CellAt(0, 1, 1).paragraphs[0].markFormat.bold);
    word.MoveDown();
    word.WriteText("later");
    EXPECT_TRUE(CellAt(0, 1, 0).paragraphs[0].runs[0].format.bold);
    // All bold now: the toggle on the whole table turns it all off.
    word.SelectTable(1);
    word.ToggleBold();
    EXPECT_FALSE(CellAt(0, 0, 0).paragraphs[0].runs[0].format.bold);
    EXPECT_FALSE(CellAt(0, 1, 1).paragraphs[0].markFormat.bold);
}

TEST_F(DocumentEngineTest, ColumnWidthsWalkAndBackToTheFirstCell)
{
    word.AddTable(3, 4);
    word.SelectTable(1);
    word.MoveLeft(kUnitCharacter);
    word.SelectColumn();
    word.SetColumnWidth(180, kColumnWidthPoints);
    for (const double width : {129.6, 72.0, 108.0}) {
        word.MoveRight(kUnitCharacter);
        word.SelectColumn();
        word.SetColumnWidth(width, kColumnWidthPoints);
    }
    EXPECT_EQ(TableAt(0).gridColumnsPt, (std::vector<double>{180, 129.6, 72, 108}));
    EXPECT_DOUBLE_EQ(CellAt(0, 2, 1).widthPt, 129.6);
    for (int i = 0; i < 4; ++i) {
        word.MoveLeft(kUnitCharacter);
    }
    EXPECT_EQ(At(), (std::pair{0, 0}));
    EXPECT_TRUE(word.IsInsertionPoint());
}

TEST_F(DocumentEngineTest, HeaderRowThenDataRowsMoveAsTheTablesExpect)
{
    word.AddTable(3, 2);
    word.WriteText("H1");
    word.MoveRight(kUnitCharacter);
    word.WriteText("H2");
    word.MoveDown();
    word.MoveLeft(kUnitCharacter);
    EXPECT_EQ(At(), (std::pair{1, 0}));
    for (const char* name : {"a", "b"}) {
        word.WriteText(name);
        word.MoveRight(kUnitCharacter);
        word.WriteText("1 V");
        word.MoveDown();
        word.MoveLeft(kUnitCharacter);
    }
    EXPECT_EQ(Text(CellAt(0, 2, 0)), "b");
    EXPECT_EQ(Text(CellAt(0, 2, 1)), "1 V");
    // After the last row the MoveDown left and the MoveLeft came back in.
    EXPECT_EQ(At(), (std::pair{2, 1}));
    word.MoveDown();
    EXPECT_EQ(word.insertionPoint().block, 1);
    EXPECT_EQ(word.insertionPoint().row, -1);
    word.MoveLeft(kUnitCharacter);
    EXPECT_EQ(At(), (std::pair{2, 1}));
    EXPECT_EQ(word.insertionPoint().offset, 3u); // at the end of the last cell
}

TEST_F(DocumentEngineTest, MoveDownFollowsParagraphsAndMergedRows)
{
    word.AddTable(3, 2);
    word.MoveRight(kUnitCharacter);
    word.WriteText("one");
    word.NewParagraph();
    word.NewParagraph();
    word.MoveDown();
    EXPECT_EQ(At(), (std::pair{1, 1}));
    word.SelectFirstRow(1);
    word.MergeCells();
    word.WriteText("merged");
    ASSERT_EQ(TableAt(0).rows[1].cells.size(), 1u);
    EXPECT_EQ(TableAt(0).rows[1].cells[0].gridSpan, 2);
    EXPECT_EQ(Text(TableAt(0).rows[1].cells[0]), "merged");
    word.MoveDown();
    EXPECT_EQ(At(), (std::pair{2, 0})); // column 1 coming down from a merged row
    // Inside a cell with several paragraphs MoveDown goes paragraph by paragraph.
    word.MoveUp();
    word.MoveUp();
    EXPECT_EQ(At(), (std::pair{0, 0}));
    word.MoveRight(kUnitCell);
    word.MoveDown();
    EXPECT_EQ(word.insertionPoint().para, 1);
    EXPECT_EQ(At(), (std::pair{0, 1}));
}

TEST_F(DocumentEngineTest, MoveRightByCellAndHomeOfRow)
{
    word.AddTable(2, 2);
    word.WriteText("abc");
    word.MoveLeft(kUnitCharacter);
    word.MoveRight(kUnitCell); // from inside the text straight to the next cell
    EXPECT_EQ(At(), (std::pair{0, 1}));
    word.MoveRight(kUnitCell);
    EXPECT_EQ(At(), (std::pair{1, 0}));
    word.MoveRight(kUnitCell);
    word.HomeOfRow(kUnitRow);
    EXPECT_EQ(At(), (std::pair{1, 0}));
    word.MoveRight(kUnitCell);
    word.MoveRight(kUnitCell);
    EXPECT_EQ(word.insertionPoint().row, -1); // after the last cell: the paragraph after the table
}

TEST_F(DocumentEngineTest, BordersHeightsAndShadingGoWhereTheSelectionIs)
{
    word.AddTable(2, 2);
    word.MoveRight(kUnitCharacter);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetRowHeight(50, kRowHeightExactly);
    EXPECT_EQ(CellAt(0, 0, 1).borders, (CellBorders{true, true, true, true}));
    EXPECT_EQ(CellAt(0, 0, 0).borders, CellBorders{});
    EXPECT_EQ(TableAt(0).rows[0].heightPt, 50);
    EXPECT_EQ(TableAt(0).rows[0].heightRule, HeightRule::Exactly);
    EXPECT_EQ(TableAt(0).rows[1].heightRule, HeightRule::Auto);
    // Outside only on a whole table: the inner edges stay bare.
    word.SelectTable(1);
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    EXPECT_EQ(CellAt(0, 1, 0).borders, (CellBorders{false, true, true, false}));
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
    EXPECT_EQ(CellAt(0, 1, 0).borders, (CellBorders{true, true, true, true}));
    word.SetTableShadingForeground(kColourAutomatic);
    word.SetTableShadingBackground(11776947);
    EXPECT_EQ(TableAt(0).shading, 11776947u);
    EXPECT_TRUE(TableAt(0).shadingForegroundAuto);
}

TEST_F(DocumentEngineTest, KeepingTogetherGoesToTheSelectionsParagraphsAndRowsAndCarriesOnLikeWord)
{
    word.SetKeepWithNext(true);
    word.WriteText("Heading");
    word.NewParagraph(); // a new paragraph keeps the paragraph formatting
    EXPECT_TRUE(Para(0).format.keepWithNext);
    EXPECT_TRUE(Para(1).format.keepWithNext);
    word.SetKeepWithNext(false);
    EXPECT_FALSE(Para(1).format.keepWithNext);
    word.AddTable(3, 2);
    word.SelectTable(1);
    word.SetAllowBreakAcrossPages(false);
    word.SelectFirstRow(1);
    word.SetHeadingFormat(true);
    word.SetKeepWithNext(true);
    const Table& table = TableAt(1);
    EXPECT_TRUE(table.rows[0].headingRow && table.rows[0].cantSplit);
    EXPECT_TRUE(table.rows[2].cantSplit);
    EXPECT_FALSE(table.rows[1].headingRow);
    EXPECT_TRUE(CellAt(1, 0, 1).paragraphs[0].format.keepWithNext);
    EXPECT_FALSE(CellAt(1, 1, 0).paragraphs[0].format.keepWithNext);
    EXPECT_TRUE(Para(0).format.keepWithNext);
    EXPECT_FALSE(Para(2).format.keepWithNext); // the paragraph after the table
}

TEST_F(DocumentEngineTest, LineEndsInsideATextAreOneLineBreakEach)
{
    word.WriteText("a\r\nb\rc\nd");
    EXPECT_EQ(Text(Para(0)), "a\nb\nc\nd");
    EXPECT_EQ(word.insertionPoint().offset, 7u);
}

TEST_F(DocumentEngineTest, OperationsThatCannotBeDoneThrowWordErrors)
{
    EXPECT_THROW(word.SelectTable(1), WordError);
    EXPECT_THROW(word.SetRowHeight(20, kRowHeightExactly), WordError);
    word.AddTable(2, 2);
    EXPECT_THROW(word.AddTable(1, 1), WordError);
    word.SelectTable(1);
    EXPECT_THROW(word.MergeCells(), WordError); // two rows cannot become one cell
    DocumentEngine fresh;
    try {
        fresh.WriteText("x");
        FAIL() << "no document, yet the text went somewhere";
    } catch (const WordError& error) {
        EXPECT_EQ(error.code(), kErrorPointer);
    }
}

TEST_F(DocumentEngineTest, PageNumberFieldGoesIntoTheFooterWithItsAlignment)
{
    word.SeekView(kSeekFooter);
    word.InsertPageNumberField(kFieldPage);
    word.SetAlignment(1);
    word.SeekView(kSeekMainDocument);
    const auto& footer = std::get<Paragraph>(word.document().footer.blocks[0]);
    ASSERT_EQ(footer.runs.size(), 1u);
    EXPECT_EQ(footer.runs[0].kind, Run::Kind::PageNumber);
    EXPECT_EQ(footer.format.alignment, Alignment::Center);
}

TEST_F(DocumentEngineTest, CharacterMovesStepOverAWholeUtf8Character)
{
    word.WriteText("a\u2013b");
    word.MoveLeft(kUnitCharacter);
    word.MoveLeft(kUnitCharacter); // one step over the three bytes of the dash
    word.WriteText("|");
    EXPECT_EQ(Text(Para(0)), "a|\u2013b");
}

} // namespace
} // namespace tessaprint::docs
