#pragma once

#include "docs/DocumentModel.h"
#include "docs/WordApplication.h"

#include <string>
#include <vector>

namespace tessaprint::docs {

// The word processor the documents are written with: an in-memory document
// and one selection that behaves as Word's does, saved as .docx.
//
// How the selection behaves, which the document walks rely on:
// - The selection is an insertion point or a set of whole cells. Its pending
//   character formatting is that of the character before the point in the
//   same paragraph; at the start of a paragraph, that of the paragraph mark.
// - A format operation at an insertion point changes the pending formatting
//   (what is typed next); in an empty paragraph it formats the mark as well,
//   so it lasts when the point leaves and comes back. On cells it changes
//   every character and every paragraph mark of the cells. Bold and italic
//   toggle: at a point they flip; on cells, all bold becomes none, otherwise
//   all become bold.
// - Alignment, keep-with-next and paragraph shading go to the paragraphs the
//   selection touches; borders to the selected cells (the point's cell); row
//   height, heading rows and rows kept whole to the selection's rows; column
//   width to the selected column; table shading to the whole table.
// - NewParagraph carries the character and paragraph formatting on to the new
//   paragraph and its mark. AddTable splits the paragraph at the point, puts
//   the table between the halves (a table is always followed by a paragraph),
//   gives the new cells' marks the pending formatting and moves into the
//   first cell.
// - WriteText or NewParagraph with cells selected starts at the first
//   selected cell. MoveLeft on cells goes to the start of the first selected
//   cell, MoveRight to the start of the cell after the last one in reading
//   order (or the paragraph after the table); that is the whole move.
// - MoveRight at a point: one character on; at the end of a cell's last
//   paragraph into the next cell in reading order, after the last cell to the
//   paragraph after the table. With the cell unit it goes to the next cell
//   from anywhere in a cell. MoveLeft mirrors it: from the start of a cell to
//   the end of the previous cell, from the paragraph after a table into its
//   last cell.
// - MoveDown from a cell's last paragraph goes to the start of the cell below
//   in the same column (the only cell of a merged row below; column 1 coming
//   down from a merged row), from the last row to the paragraph after the
//   table; from an earlier paragraph of a cell to the next one; outside tables
//   to the next paragraph (into the first cell of a table that follows). At
//   the last paragraph nothing happens. MoveUp mirrors it, landing at the
//   start of the cell above.
// - HomeOfRow goes to the start of the first cell of the row.
// - SeekView moves between the main text, the page header and the page
//   footer; back in the main text the selection is where it was.
class DocumentEngine : public WordApplication {
public:
    DocumentEngine();

    void StartWord() override;
    void ShowWord(bool visible) override;
    void AddDocument(const std::string& templateName, bool newTemplate) override;
    void MarkSaved(bool saved) override;
    double InchesToPoints(double inches) override;
    void SetLeftMargin(double points) override;
    void SetRightMargin(double points) override;
    void ApplyStyleSet(const std::string& name) override;
    void SaveDocumentAs(const std::string& path) override;
    std::string FullName() const override { return m_savedPath; }
    void ReleaseWord() override;

    void SeekView(int view) override;
    void WriteText(const std::string& text) override;
    void NewParagraph() override;
    void InsertPageNumberField(int fieldType) override;
    void ToggleBold() override;
    void ToggleItalic() override;
    void SetFontSize(double points) override;
    void SetFontName(const std::string& name) override;
    void SetAlignment(int alignment) override;
    void SetKeepWithNext(bool keep) override;
    void SetShading(std::uint32_t colour) override;
    void SetTableShadingForeground(std::int32_t colour) override;
    void SetTableShadingBackground(std::uint32_t colour) override;
    void MoveLeft(int unit) override;
    void MoveRight(int unit) override;
    void MoveUp() override;
    void MoveDown() override;
    void HomeOfRow(int unit) override;

    void AddTable(int rows, int columns) override;
    void SelectTable(int index) override;
    void SetCellBorders(std::optional<int> outside, std::optional<int> inside) override;
    void SetRowHeight(double points, int rule) override;
    void SetHeadingFormat(bool heading) override;
    void SetAllowBreakAcrossPages(bool allow) override;
    void SelectFirstRow(int index) override;
    void MergeCells() override;
    void SelectColumn() override;
    void SetColumnWidth(double points, int widthType) override;

    // What the walk produced.
    const Document& document() const { return m_document; }
    const std::string& templateName() const { return m_templateName; }
    const std::string& styleSet() const { return m_styleSet; }
    // The file the last SaveDocumentAs wrote, extension included.
    const std::string& savedPath() const { return m_savedPath; }

    // Where the selection is, for tests of the rules above.
    struct Position {
        int block = 0;
        int row = -1; // -1 outside tables
        int cell = -1;
        int para = 0; // paragraph of the cell; 0 outside tables
        std::size_t offset = 0;

        bool operator==(const Position&) const = default;
    };
    bool IsInsertionPoint() const { return m_cells.empty(); }
    const Position& insertionPoint() const { return m_point; }
    // Selected cells as (row, cell), in reading order.
    const CharFormat& pendingFormat() const { return m_pending; }

private:
    enum class View { Main, Header, Footer };

    Story& CurrentStory();
    Paragraph& ParagraphAt(const Position& p);
    Table& TableAt(int block);
    bool InTable(const Position& p) const { return p.row >= 0; }
    // The table the selection is in; throws when it is in none.
    int SelectionTableBlock() const;
    // The selected cells, or the point's cell.
    std::vector<std::pair<int, int>> TargetCells() const;
    std::vector<Paragraph*> TargetParagraphs();

    void RequireDocument() const;
    void Arrive(const Position& p);
    void ArriveAtCellStart(int block, int row, int cell);
    void ArriveAtCellEnd(int block, int row, int cell);
    void ArriveAtBlockStart(int block);
    void ArriveAtBlockEnd(int block);
    void Collapse(bool toEnd);
    void MoveUpToBlockBefore(int block);
    CharFormat FormatBefore(const Position& p);

    // Next and previous cell in reading order; false past either end.
    bool NextCell(int block, int& row, int& cell);
    bool PreviousCell(int block, int& row, int& cell);
    int GridStart(const Row& row, int cell) const;
    int CellAtGridColumn(const Row& row, int column) const;

    template <typename Change> void ChangeCharacters(Change change);
    std::vector<Row*> TargetRows();
    void Toggle(bool CharFormat::*attribute);
    void ApplyBorders(std::optional<int> outside, std::optional<int> inside);

    Document m_document;
    bool m_started = false;
    bool m_haveDocument = false;
    View m_view = View::Main;
    Position m_point;
    std::vector<std::pair<int, int>> m_cells; // empty: an insertion point
    int m_cellsBlock = -1;
    CharFormat m_pending;
    Position m_mainPoint; // the main text's selection while a header or footer is edited
    std::string m_templateName;
    std::string m_styleSet;
    std::string m_savedPath;
};

} // namespace tessaprint::docs
