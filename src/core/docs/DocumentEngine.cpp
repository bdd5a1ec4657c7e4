#include "docs/DocumentEngine.h"

#include "docs/DocxWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace tessaprint::docs {

namespace {

constexpr char kFieldPlaceholder = '\x01';

std::size_t RunLength(const Run& run)
{
    return run.kind == Run::Kind::Text ? run.text.size() : 1;
}

// The paragraph's content as one string; a field counts as one character.
std::string Flatten(const Paragraph& p)
{
    std::string flat;
    for (const auto& run : p.runs) {
        flat += run.kind == Run::Kind::Text ? run.text : std::string(1, kFieldPlaceholder);
    }
    return flat;
}

std::size_t Length(const Paragraph& p)
{
    return Flatten(p).size();
}

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t NextBoundary(const std::string& flat, std::size_t offset)
{
    if (offset >= flat.size()) {
        return flat.size();
    }
    ++offset;
    while (offset < flat.size() && IsContinuation(flat[offset])) {
        ++offset;
    }
    return offset;
}

std::size_t PreviousBoundary(const std::string& flat, std::size_t offset)
{
    if (offset == 0) {
        return 0;
    }
    --offset;
    while (offset > 0 && IsContinuation(flat[offset])) {
        --offset;
    }
    return offset;
}

// Splits the paragraph's runs so that one starts exactly at offset; returns
// the index of that run (runs.size() at the end).
std::size_t SplitAt(Paragraph& p, std::size_t offset)
{
    std::size_t pos = 0;
    for (std::size_t i = 0; i < p.runs.size(); ++i) {
        const std::size_t length = RunLength(p.runs[i]);
        if (offset == pos) {
            return i;
        }
        if (offset < pos + length) {
            Run tail = p.runs[i];
            tail.text = p.runs[i].text.substr(offset - pos);
            p.runs[i].text.resize(offset - pos);
            p.runs.insert(p.runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, tail);
            return i + 1;
        }
        pos += length;
    }
    return p.runs.size();
}

void MergeRuns(Paragraph& p)
{
    std::vector<Run> merged;
    for (auto& run : p.runs) {
        if (run.kind == Run::Kind::Text && run.text.empty()) {
            continue;
        }
        if (!merged.empty() && merged.back().kind == Run::Kind::Text && run.kind == Run::Kind::Text &&
            merged.back().format == run.format) {
            merged.back().text += run.text;
        } else {
            merged.push_back(std::move(run));
        }
    }
    p.runs = std::move(merged);
}

// Lengths live in twentieths of a point, as the saved document keeps them.
double RoundToTwip(double points)
{
    return std::round(points * 20.0) / 20.0;
}

} // namespace

DocumentEngine::DocumentEngine() = default;

// ---- application and document ----------------------------------------------

void DocumentEngine::StartWord()
{
    m_started = true;
}

void DocumentEngine::ShowWord(bool)
{
    RequireDocument();
}

void DocumentEngine::AddDocument(const std::string& templateName, bool)
{
    if (!m_started) {
        throw WordError(kErrorPointer, "Invalid pointer");
    }
    m_document = Document{};
    m_haveDocument = true;
    m_templateName = templateName;
    m_styleSet.clear();
    m_view = View::Main;
    m_cells.clear();
    m_point = Position{};
    m_mainPoint = Position{};
    m_pending =
        m_document.main.blocks.empty() ? CharFormat{} : std::get<Paragraph>(m_document.main.blocks[0]).markFormat;
}

void DocumentEngine::MarkSaved(bool)
{
    RequireDocument();
}

double DocumentEngine::InchesToPoints(double inches)
{
    if (!m_started) {
        throw WordError(kErrorPointer, "Invalid pointer");
    }
    return inches * 72.0;
}

void DocumentEngine::SetLeftMargin(double points)
{
    RequireDocument();
    m_document.page.leftMarginPt = RoundToTwip(points);
}

void DocumentEngine::SetRightMargin(double points)
{
    RequireDocument();
    m_document.page.rightMarginPt = RoundToTwip(points);
}

void DocumentEngine::ApplyStyleSet(const std::string& name)
{
    RequireDocument();
    m_styleSet = name;
}

void DocumentEngine::SaveDocumentAs(const std::string& path)
{
    RequireDocument();
    Result<std::string> saved = WriteDocx(m_document, path + ".docx");
    if (!saved) {
        throw WordError(saved.error().code, saved.error().message);
    }
    m_savedPath = std::move(saved).value();
}

void DocumentEngine::ReleaseWord()
{
}

void DocumentEngine::RequireDocument() const
{
    if (!m_haveDocument) {
        throw WordError(kErrorPointer, "Invalid pointer");
    }
}

// ---- where the selection is ------------------------------------------------

Story& DocumentEngine::CurrentStory()
{
    switch (m_view) {
    case View::Header:
        return m_document.header;
    case View::Footer:
        return m_document.footer;
    case View::Main:
        break;
    }
    return m_document.main;
}

Table& DocumentEngine::TableAt(int block)
{
    return std::get<Table>(CurrentStory().blocks[static_cast<std::size_t>(block)]);
}

Paragraph& DocumentEngine::ParagraphAt(const Position& p)
{
    if (InTable(p)) {
        auto& cell = TableAt(p.block).rows[static_cast<std::size_t>(p.row)].cells[static_cast<std::size_t>(p.cell)];
        return cell.paragraphs[static_cast<std::size_t>(p.para)];
    }
    return std::get<Paragraph>(CurrentStory().blocks[static_cast<std::size_t>(p.block)]);
}

CharFormat DocumentEngine::FormatBefore(const Position& p)
{
    Paragraph& paragraph = ParagraphAt(p);
    if (p.offset == 0) {
        return paragraph.markFormat;
    }
    std::size_t pos = 0;
    for (const auto& run : paragraph.runs) {
        pos += RunLength(run);
        if (p.offset <= pos) {
            return run.format;
        }
    }
    return paragraph.runs.empty() ? paragraph.markFormat : paragraph.runs.back().format;
}

void DocumentEngine::Arrive(const Position& p)
{
    m_cells.clear();
    m_cellsBlock = -1;
    m_point = p;
    m_pending = FormatBefore(p);
}

void DocumentEngine::ArriveAtCellStart(int block, int row, int cell)
{
    Arrive({block, row, cell, 0, 0});
}

void DocumentEngine::ArriveAtCellEnd(int block, int row, int cell)
{
    const auto& paragraphs =
        TableAt(block).rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(cell)].paragraphs;
    const int last = static_cast<int>(paragraphs.size()) - 1;
    Arrive({block, row, cell, last, Length(paragraphs.back())});
}

void DocumentEngine::ArriveAtBlockStart(int block)
{
    if (std::holds_alternative<Table>(CurrentStory().blocks[static_cast<std::size_t>(block)])) {
        ArriveAtCellStart(block, 0, 0);
    } else {
        Arrive({block, -1, -1, 0, 0});
    }
}

void DocumentEngine::ArriveAtBlockEnd(int block)
{
    const Block& b = CurrentStory().blocks[static_cast<std::size_t>(block)];
    if (const auto* table = std::get_if<Table>(&b)) {
        const int row = static_cast<int>(table->rows.size()) - 1;
        ArriveAtCellEnd(block, row, static_cast<int>(table->rows.back().cells.size()) - 1);
    } else {
        Arrive({block, -1, -1, 0, Length(std::get<Paragraph>(b))});
    }
}

bool DocumentEngine::NextCell(int block, int& row, int& cell)
{
    const Table& table = TableAt(block);
    if (cell + 1 < static_cast<int>(table.rows[static_cast<std::size_t>(row)].cells.size())) {
        ++cell;
        return true;
    }
    if (row + 1 < static_cast<int>(table.rows.size())) {
        ++row;
        cell = 0;
        return true;
    }
    return false;
}

bool DocumentEngine::PreviousCell(int block, int& row, int& cell)
{
    const Table& table = TableAt(block);
    if (cell > 0) {
        --cell;
        return true;
    }
    if (row > 0) {
        --row;
        cell = static_cast<int>(table.rows[static_cast<std::size_t>(row)].cells.size()) - 1;
        return true;
    }
    return false;
}

int DocumentEngine::GridStart(const Row& row, int cell) const
{
    int column = 0;
    for (int c = 0; c < cell; ++c) {
        column += row.cells[static_cast<std::size_t>(c)].gridSpan;
    }
    return column;
}

int DocumentEngine::CellAtGridColumn(const Row& row, int column) const
{
    int start = 0;
    for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
        const int span = row.cells[static_cast<std::size_t>(c)].gridSpan;
        if (column < start + span) {
            return c;
        }
        start += span;
    }
    return static_cast<int>(row.cells.size()) - 1;
}

int DocumentEngine::SelectionTableBlock() const
{
    if (!m_cells.empty()) {
        return m_cellsBlock;
    }
    if (!InTable(m_point)) {
        throw WordError(kErrorNotInTable, "The selection is not in a table.");
    }
    return m_point.block;
}

std::vector<std::pair<int, int>> DocumentEngine::TargetCells() const
{
    if (!m_cells.empty()) {
        return m_cells;
    }
    SelectionTableBlock(); // throws outside tables
    return {{m_point.row, m_point.cell}};
}

std::vector<Paragraph*> DocumentEngine::TargetParagraphs()
{
    std::vector<Paragraph*> paragraphs;
    if (m_cells.empty()) {
        paragraphs.push_back(&ParagraphAt(m_point));
        return paragraphs;
    }
    Table& table = TableAt(m_cellsBlock);
    for (const auto& [row, cell] : m_cells) {
        for (auto& p : table.rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(cell)].paragraphs) {
            paragraphs.push_back(&p);
        }
    }
    return paragraphs;
}

// Cells selected: collapse to the start of the first, or to the start of what
// follows the last in reading order.
void DocumentEngine::Collapse(bool toEnd)
{
    if (m_cells.empty()) {
        return;
    }
    const int block = m_cellsBlock;
    auto [row, cell] = toEnd ? m_cells.back() : m_cells.front();
    if (!toEnd) {
        ArriveAtCellStart(block, row, cell);
    } else if (NextCell(block, row, cell)) {
        ArriveAtCellStart(block, row, cell);
    } else {
        ArriveAtBlockStart(block + 1);
    }
}

// ---- text ------------------------------------------------------------------

void DocumentEngine::SeekView(int view)
{
    RequireDocument();
    Collapse(false);
    if (m_view == View::Main) {
        m_mainPoint = m_point;
    }
    switch (view) {
    case kSeekHeader:
        m_view = View::Header;
        ArriveAtBlockStart(0);
        break;
    case kSeekFooter:
        m_view = View::Footer;
        ArriveAtBlockStart(0);
        break;
    default:
        m_view = View::Main;
        Arrive(m_mainPoint);
        break;
    }
}

void DocumentEngine::WriteText(const std::string& text)
{
    RequireDocument();
    Collapse(false);
    if (text.empty()) {
        return;
    }
    // A line end inside a text (CR LF, CR or LF, from a capture file or a
    // work order entry) is one line break: '\n' in a run.
    std::string typed;
    typed.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            typed += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            typed += text[i];
        }
    }
    Paragraph& p = ParagraphAt(m_point);
    const std::size_t at = SplitAt(p, m_point.offset);
    p.runs.insert(p.runs.begin() + static_cast<std::ptrdiff_t>(at), Run{Run::Kind::Text, typed, m_pending});
    MergeRuns(p);
    m_point.offset += typed.size();
}

void DocumentEngine::InsertPageNumberField(int)
{
    RequireDocument();
    Collapse(false);
    Paragraph& p = ParagraphAt(m_point);
    const std::size_t at = SplitAt(p, m_point.offset);
    p.runs.insert(p.runs.begin() + static_cast<std::ptrdiff_t>(at), Run{Run::Kind::PageNumber, {}, m_pending});
    MergeRuns(p);
    m_point.offset += 1;
}

void DocumentEngine::NewParagraph()
{
    RequireDocument();
    Collapse(false);
    Paragraph& p = ParagraphAt(m_point);
    const std::size_t at = SplitAt(p, m_point.offset);
    Paragraph next;
    next.runs.assign(p.runs.begin() + static_cast<std::ptrdiff_t>(at), p.runs.end());
    p.runs.erase(p.runs.begin() + static_cast<std::ptrdiff_t>(at), p.runs.end());
    next.markFormat = m_pending;
    next.format = p.format;
    MergeRuns(p);
    Position target = m_point;
    if (InTable(m_point)) {
        auto& cell = TableAt(m_point.block)
                         .rows[static_cast<std::size_t>(m_point.row)]
                         .cells[static_cast<std::size_t>(m_point.cell)];
        cell.paragraphs.insert(cell.paragraphs.begin() + m_point.para + 1, std::move(next));
        target.para += 1;
    } else {
        auto& blocks = CurrentStory().blocks;
        blocks.insert(blocks.begin() + m_point.block + 1, std::move(next));
        target.block += 1;
    }
    target.offset = 0;
    const CharFormat carried = m_pending;
    Arrive(target);
    m_pending = carried;
}

// ---- formatting ------------------------------------------------------------

template <typename Change> void DocumentEngine::ChangeCharacters(Change change)
{
    RequireDocument();
    if (m_cells.empty()) {
        change(m_pending);
        Paragraph& p = ParagraphAt(m_point);
        if (p.IsEmpty()) {
            change(p.markFormat);
        }
        return;
    }
    for (Paragraph* p : TargetParagraphs()) {
        for (auto& run : p->runs) {
            change(run.format);
        }
        change(p->markFormat);
        MergeRuns(*p);
    }
}

// At a point the pending value flips; on cells, all set becomes none set,
// otherwise all become set.
void DocumentEngine::Toggle(bool CharFormat::*attribute)
{
    bool value = !(m_pending.*attribute);
    if (!m_cells.empty()) {
        bool all = true;
        for (Paragraph* p : TargetParagraphs()) {
            all = all && p->markFormat.*attribute &&
                  std::all_of(p->runs.begin(), p->runs.end(), [&](const Run& r) { return r.format.*attribute; });
        }
        value = !all;
    }
    ChangeCharacters([value, attribute](CharFormat& f) { f.*attribute = value; });
}

void DocumentEngine::ToggleBold()
{
    Toggle(&CharFormat::bold);
}

void DocumentEngine::ToggleItalic()
{
    Toggle(&CharFormat::italic);
}

void DocumentEngine::SetFontSize(double points)
{
    ChangeCharacters([points](CharFormat& f) { f.size = points; });
}

void DocumentEngine::SetFontName(const std::string& name)
{
    ChangeCharacters([&name](CharFormat& f) { f.font = name; });
}

void DocumentEngine::SetAlignment(int alignment)
{
    RequireDocument();
    const Alignment value = alignment == kAlignCentre ? Alignment::Center : Alignment::Left;
    for (Paragraph* p : TargetParagraphs()) {
        p->format.alignment = value;
    }
}

void DocumentEngine::SetKeepWithNext(bool keep)
{
    RequireDocument();
    for (Paragraph* p : TargetParagraphs()) {
        p->format.keepWithNext = keep;
    }
}

void DocumentEngine::SetShading(std::uint32_t colour)
{
    RequireDocument();
    for (Paragraph* p : TargetParagraphs()) {
        p->format.shading = colour;
    }
}

void DocumentEngine::SetTableShadingForeground(std::int32_t colour)
{
    RequireDocument();
    TableAt(SelectionTableBlock()).shadingForegroundAuto = colour == kColourAutomatic;
}

void DocumentEngine::SetTableShadingBackground(std::uint32_t colour)
{
    RequireDocument();
    TableAt(SelectionTableBlock()).shading = colour;
}

// ---- moving ----------------------------------------------------------------

void DocumentEngine::MoveRight(int unit)
{
    RequireDocument();
    if (!m_cells.empty()) {
        Collapse(true);
        return;
    }
    const Position p = m_point;
    if (InTable(p) && unit == kUnitCell) {
        int row = p.row;
        int cell = p.cell;
        if (NextCell(p.block, row, cell)) {
            ArriveAtCellStart(p.block, row, cell);
        } else {
            ArriveAtBlockStart(p.block + 1);
        }
        return;
    }
    const std::string flat = Flatten(ParagraphAt(p));
    if (p.offset < flat.size()) {
        Position next = p;
        next.offset = NextBoundary(flat, p.offset);
        Arrive(next);
        return;
    }
    if (InTable(p)) {
        const auto& cell =
            TableAt(p.block).rows[static_cast<std::size_t>(p.row)].cells[static_cast<std::size_t>(p.cell)];
        if (p.para + 1 < static_cast<int>(cell.paragraphs.size())) {
            Arrive({p.block, p.row, p.cell, p.para + 1, 0});
            return;
        }
        int row = p.row;
        int c = p.cell;
        if (NextCell(p.block, row, c)) {
            ArriveAtCellStart(p.block, row, c);
        } else {
            ArriveAtBlockStart(p.block + 1);
        }
        return;
    }
    if (p.block + 1 < static_cast<int>(CurrentStory().blocks.size())) {
        ArriveAtBlockStart(p.block + 1);
    }
}

void DocumentEngine::MoveLeft(int)
{
    RequireDocument();
    if (!m_cells.empty()) {
        Collapse(false);
        return;
    }
    const Position p = m_point;
    if (p.offset > 0) {
        Position previous = p;
        previous.offset = PreviousBoundary(Flatten(ParagraphAt(p)), p.offset);
        Arrive(previous);
        return;
    }
    if (InTable(p)) {
        if (p.para > 0) {
            Position previous{p.block, p.row, p.cell, p.para - 1, 0};
            previous.offset = Length(ParagraphAt(previous));
            Arrive(previous);
            return;
        }
        int row = p.row;
        int cell = p.cell;
        if (PreviousCell(p.block, row, cell)) {
            ArriveAtCellEnd(p.block, row, cell);
        } else if (p.block > 0) {
            ArriveAtBlockEnd(p.block - 1);
        }
        return;
    }
    if (p.block > 0) {
        ArriveAtBlockEnd(p.block - 1);
    }
}

void DocumentEngine::MoveDown()
{
    RequireDocument();
    Collapse(false);
    const Position p = m_point;
    if (InTable(p)) {
        const Table& table = TableAt(p.block);
        const Row& row = table.rows[static_cast<std::size_t>(p.row)];
        const Cell& cell = row.cells[static_cast<std::size_t>(p.cell)];
        if (p.para + 1 < static_cast<int>(cell.paragraphs.size())) {
            Arrive({p.block, p.row, p.cell, p.para + 1, 0});
            return;
        }
        if (p.row + 1 >= static_cast<int>(table.rows.size())) {
            ArriveAtBlockStart(p.block + 1);
            return;
        }
        const Row& below = table.rows[static_cast<std::size_t>(p.row + 1)];
        // Coming down from a merged row lands in column 1.
        const int column = row.cells.size() == 1 ? 0 : GridStart(row, p.cell);
        ArriveAtCellStart(p.block, p.row + 1, CellAtGridColumn(below, column));
        return;
    }
    if (p.block + 1 < static_cast<int>(CurrentStory().blocks.size())) {
        ArriveAtBlockStart(p.block + 1);
    }
}

void DocumentEngine::MoveUp()
{
    RequireDocument();
    Collapse(false);
    const Position p = m_point;
    if (InTable(p)) {
        if (p.para > 0) {
            Arrive({p.block, p.row, p.cell, p.para - 1, 0});
            return;
        }
        const Table& table = TableAt(p.block);
        if (p.row == 0) {
            MoveUpToBlockBefore(p.block);
            return;
        }
        const Row& row = table.rows[static_cast<std::size_t>(p.row)];
        const Row& above = table.rows[static_cast<std::size_t>(p.row - 1)];
        const int column = row.cells.size() == 1 ? 0 : GridStart(row, p.cell);
        ArriveAtCellStart(p.block, p.row - 1, CellAtGridColumn(above, column));
        return;
    }
    MoveUpToBlockBefore(p.block);
}

// Up out of a block: to the start of the paragraph above, or of the first
// cell in the last row of a table above. Nothing above: nothing happens.
void DocumentEngine::MoveUpToBlockBefore(int block)
{
    if (block == 0) {
        return;
    }
    const Block& previous = CurrentStory().blocks[static_cast<std::size_t>(block - 1)];
    if (const auto* table = std::get_if<Table>(&previous)) {
        ArriveAtCellStart(block - 1, static_cast<int>(table->rows.size()) - 1, 0);
    } else {
        Arrive({block - 1, -1, -1, 0, 0});
    }
}

void DocumentEngine::HomeOfRow(int)
{
    RequireDocument();
    if (!m_cells.empty()) {
        ArriveAtCellStart(m_cellsBlock, m_cells.front().first, 0);
        return;
    }
    if (InTable(m_point)) {
        ArriveAtCellStart(m_point.block, m_point.row, 0);
    } else {
        Arrive({m_point.block, -1, -1, 0, 0});
    }
}

// ---- tables ----------------------------------------------------------------

void DocumentEngine::AddTable(int rows, int columns)
{
    RequireDocument();
    Collapse(false);
    if (rows < 1 || columns < 1 || rows > 4096 || columns > 63) {
        throw WordError(kErrorFail, "The table size is out of range.");
    }
    if (InTable(m_point)) {
        throw WordError(kErrorFail, "Tables inside tables are not supported.");
    }
    auto& blocks = CurrentStory().blocks;
    int at = m_point.block;
    Paragraph& p = std::get<Paragraph>(blocks[static_cast<std::size_t>(at)]);
    const ParaFormat paraFormat = p.format;
    if (m_point.offset > 0) {
        // The text before the point stays above the table.
        const std::size_t split = SplitAt(p, m_point.offset);
        Paragraph before;
        before.runs.assign(p.runs.begin(), p.runs.begin() + static_cast<std::ptrdiff_t>(split));
        before.markFormat = p.markFormat;
        before.format = p.format;
        p.runs.erase(p.runs.begin(), p.runs.begin() + static_cast<std::ptrdiff_t>(split));
        blocks.insert(blocks.begin() + at, std::move(before));
        ++at;
    }
    const PageSetup& page = m_document.page;
    const double textWidth = std::max(72.0, page.widthPt - page.leftMarginPt - page.rightMarginPt);
    Table table;
    const double columnWidth = RoundToTwip(textWidth / columns);
    table.gridColumnsPt.assign(static_cast<std::size_t>(columns), columnWidth);
    Cell cell;
    cell.paragraphs[0].markFormat = m_pending;
    cell.paragraphs[0].format = paraFormat;
    cell.widthPt = columnWidth;
    table.rows.assign(static_cast<std::size_t>(rows), Row{std::vector<Cell>(static_cast<std::size_t>(columns), cell)});
    blocks.insert(blocks.begin() + at, std::move(table));
    ArriveAtCellStart(at, 0, 0);
}

void DocumentEngine::SelectTable(int)
{
    RequireDocument();
    const int block = SelectionTableBlock();
    const Table& table = TableAt(block);
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < static_cast<int>(table.rows.size()); ++r) {
        for (int c = 0; c < static_cast<int>(table.rows[static_cast<std::size_t>(r)].cells.size()); ++c) {
            cells.emplace_back(r, c);
        }
    }
    m_point = {block, 0, 0, 0, 0};
    m_cells = std::move(cells);
    m_cellsBlock = block;
}

void DocumentEngine::SelectFirstRow(int)
{
    RequireDocument();
    const int block = SelectionTableBlock();
    const int row = m_cells.empty() ? m_point.row : m_cells.front().first;
    std::vector<std::pair<int, int>> cells;
    for (int c = 0; c < static_cast<int>(TableAt(block).rows[static_cast<std::size_t>(row)].cells.size()); ++c) {
        cells.emplace_back(row, c);
    }
    m_point = {block, row, 0, 0, 0};
    m_cells = std::move(cells);
    m_cellsBlock = block;
}

void DocumentEngine::SelectColumn()
{
    RequireDocument();
    const int block = SelectionTableBlock();
    const Table& table = TableAt(block);
    const auto [row, cell] = m_cells.empty() ? std::pair{m_point.row, m_point.cell} : m_cells.front();
    const int column = GridStart(table.rows[static_cast<std::size_t>(row)], cell);
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < static_cast<int>(table.rows.size()); ++r) {
        const Row& each = table.rows[static_cast<std::size_t>(r)];
        const int c = CellAtGridColumn(each, column);
        if (GridStart(each, c) == column) {
            cells.emplace_back(r, c);
        }
    }
    m_point = {block, cells.front().first, cells.front().second, 0, 0};
    m_cells = std::move(cells);
    m_cellsBlock = block;
}

void DocumentEngine::MergeCells()
{
    RequireDocument();
    if (m_cells.size() < 2) {
        return; // one cell is already one cell
    }
    const int block = m_cellsBlock;
    const int row = m_cells.front().first;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (m_cells[i].first != row || m_cells[i].second != m_cells.front().second + static_cast<int>(i)) {
            throw WordError(kErrorCannotMerge, "Only cells next to each other in one row can be merged.");
        }
    }
    auto& cells = TableAt(block).rows[static_cast<std::size_t>(row)].cells;
    const auto first = static_cast<std::size_t>(m_cells.front().second);
    const auto last = static_cast<std::size_t>(m_cells.back().second);
    Cell merged = cells[first];
    merged.paragraphs.clear();
    merged.gridSpan = 0;
    merged.widthPt = 0;
    for (std::size_t c = first; c <= last; ++c) {
        const Cell& each = cells[c];
        const bool empty = each.paragraphs.size() == 1 && each.paragraphs[0].IsEmpty();
        if (!empty) {
            merged.paragraphs.insert(merged.paragraphs.end(), each.paragraphs.begin(), each.paragraphs.end());
        }
        merged.gridSpan += each.gridSpan;
        merged.widthPt += each.widthPt;
        merged.borders.top = merged.borders.top || each.borders.top;
        merged.borders.bottom = merged.borders.bottom || each.borders.bottom;
    }
    merged.borders.right = cells[last].borders.right;
    if (merged.paragraphs.empty()) {
        merged.paragraphs.push_back(cells[first].paragraphs[0]);
    }
    cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                cells.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    cells[first] = std::move(merged);
    m_cells = {{row, static_cast<int>(first)}};
    m_point = {block, row, static_cast<int>(first), 0, 0};
}

void DocumentEngine::ApplyBorders(std::optional<int> outside, std::optional<int> inside)
{
    const int block = SelectionTableBlock();
    Table& table = TableAt(block);
    const auto cells = TargetCells();
    const auto selected = [&cells](int r, int c) {
        return std::find(cells.begin(), cells.end(), std::pair{r, c}) != cells.end();
    };
    // Another selected cell in the row above or below that overlaps this one's columns.
    const auto neighbourSelected = [&](int r, int c, int otherRow) {
        if (otherRow < 0 || otherRow >= static_cast<int>(table.rows.size())) {
            return false;
        }
        const Row& row = table.rows[static_cast<std::size_t>(r)];
        const int start = GridStart(row, c);
        const int end = start + row.cells[static_cast<std::size_t>(c)].gridSpan;
        const Row& other = table.rows[static_cast<std::size_t>(otherRow)];
        for (int oc = 0; oc < static_cast<int>(other.cells.size()); ++oc) {
            const int os = GridStart(other, oc);
            const int oe = os + other.cells[static_cast<std::size_t>(oc)].gridSpan;
            if (os < end && start < oe && selected(otherRow, oc)) {
                return true;
            }
        }
        return false;
    };
    const auto apply = [&](bool& edge, bool isInside) {
        const std::optional<int>& style = isInside ? inside : outside;
        if (style) {
            edge = *style != kLineStyleNone;
        }
    };
    for (const auto& [r, c] : cells) {
        Cell& cell = table.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)];
        apply(cell.borders.top, neighbourSelected(r, c, r - 1));
        apply(cell.borders.bottom, neighbourSelected(r, c, r + 1));
        apply(cell.borders.left, selected(r, c - 1));
        apply(cell.borders.right, selected(r, c + 1));
    }
}

void DocumentEngine::SetCellBorders(std::optional<int> outside, std::optional<int> inside)
{
    RequireDocument();
    ApplyBorders(outside, inside);
}

std::vector<Row*> DocumentEngine::TargetRows()
{
    Table& table = TableAt(SelectionTableBlock());
    std::vector<int> indexes;
    for (const auto& [r, c] : TargetCells()) {
        if (std::find(indexes.begin(), indexes.end(), r) == indexes.end()) {
            indexes.push_back(r);
        }
    }
    std::vector<Row*> rows;
    for (int r : indexes) {
        rows.push_back(&table.rows[static_cast<std::size_t>(r)]);
    }
    return rows;
}

void DocumentEngine::SetRowHeight(double points, int rule)
{
    RequireDocument();
    for (Row* row : TargetRows()) {
        row->heightPt = RoundToTwip(points);
        row->heightRule = rule == kRowHeightExactly   ? HeightRule::Exactly
                          : rule == kRowHeightAtLeast ? HeightRule::AtLeast
                                                      : HeightRule::Auto;
    }
}

void DocumentEngine::SetHeadingFormat(bool heading)
{
    RequireDocument();
    for (Row* row : TargetRows()) {
        row->headingRow = heading;
    }
}

void DocumentEngine::SetAllowBreakAcrossPages(bool allow)
{
    RequireDocument();
    for (Row* row : TargetRows()) {
        row->cantSplit = !allow;
    }
}

void DocumentEngine::SetColumnWidth(double points, int)
{
    points = RoundToTwip(points);
    RequireDocument();
    Table& table = TableAt(SelectionTableBlock());
    for (const auto& [r, c] : TargetCells()) {
        Row& row = table.rows[static_cast<std::size_t>(r)];
        Cell& cell = row.cells[static_cast<std::size_t>(c)];
        cell.widthPt = points;
        if (cell.gridSpan == 1) {
            const auto column = static_cast<std::size_t>(GridStart(row, c));
            if (column < table.gridColumnsPt.size()) {
                table.gridColumnsPt[column] = points;
            }
        }
    }
}

} // namespace tessaprint::docs
