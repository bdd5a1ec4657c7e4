#include "docs/RecordParts.h"

#include "docs/DocumentModel.h"
#include "docs/RecordStyle.h"

namespace tessaprint::docs {

namespace {

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string JoinParts(const std::string& first, const std::string& second)
{
    if (first.empty()) {
        return second;
    }
    if (second.empty()) {
        return first;
    }
    return first + " " + second;
}

void WordCursor::Trim()
{
    std::size_t start = 0;
    while (start < m_rest.size() && IsWhiteSpace(m_rest[start])) {
        ++start;
    }
    m_rest.erase(0, start);
}

void WordCursor::Skip()
{
    const auto blank = m_rest.find(' ');
    m_rest = blank == std::string::npos ? std::string() : m_rest.substr(blank + 1);
}

std::string WordCursor::Take(bool trim)
{
    const auto blank = m_rest.find(' ');
    std::string token = blank == std::string::npos ? m_rest : m_rest.substr(0, blank);
    Skip();
    if (trim) {
        Trim();
    }
    return token;
}

std::string WordCursor::TakePair()
{
    const std::string first = Take();
    return JoinParts(first, Take());
}

std::string WordCursor::TakeWithRest()
{
    const std::string token = Take();
    return JoinParts(token, m_rest);
}

DocumentSpec TestRecordSpec(std::string title, bool boldHeader, double headerSize, DocumentSpec::Footer footer)
{
    DocumentSpec spec;
    spec.title = std::move(title);
    spec.boldHeader = boldHeader;
    spec.headerSize = headerSize;
    spec.footer = footer;
    return spec;
}

void TypeInRecordFont(WordApplication& word, const std::string& text)
{
    word.SetFontName(kRecordFont);
    word.WriteText(text);
}

void WriteServiceChoices(WordApplication& word, const std::function<void(bool last)>& circle)
{
    word.WriteText("Test result prior to service");
    circle(false);
    word.NewParagraph();
    word.WriteText("                     Recurrent Test");
    circle(false);
    word.NewParagraph();
    word.WriteText("                  Test after repair");
    circle(true);
}

void WriteBoldRecordCircle(WordApplication& word)
{
    word.SetFontSize(kCircleSize);
    word.ToggleBold();
    word.WriteText("   o");
    word.SetFontSize(kLabelSize);
    word.ToggleBold();
}

double TextWidthPt(WordApplication& word)
{
    return kPageWidthPt - 2 * word.InchesToPoints(kSideMarginInches);
}

void SetColumnWidths(WordApplication& word, const std::vector<double>& widths)
{
    word.SelectTable(1);
    word.MoveLeft(kUnitCharacter);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        if (c > 0) {
            word.MoveRight(kUnitCharacter);
        }
        word.SelectColumn();
        word.SetColumnWidth(widths[c], kColumnWidthPoints);
    }
}

void KeepTableTogether(WordApplication& word, TableHeading heading, bool keepWithFollowing)
{
    word.SelectTable(1);
    // The keep-with-next of a kept table's paragraphs holds its one row whole
    // as well. Marked unsplittable besides, the row makes LibreOffice take the
    // table for one that may never split, and for such a table it drops the
    // keep: the heading stays at the foot of a page, its lines go to the next.
    if (!keepWithFollowing) {
        word.SetAllowBreakAcrossPages(false);
    }
    // The cells take the formatting of the paragraph the table went into,
    // which may be a heading's kept with what follows it.
    word.SetKeepWithNext(keepWithFollowing);
    if (heading == TableHeading::FirstRow) {
        word.SelectFirstRow(1);
        word.SetHeadingFormat(true);
        word.SetKeepWithNext(true);
    }
    word.MoveLeft(kUnitCharacter);
}

void LineAllBorders(WordApplication& word)
{
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetCellBorders(std::nullopt, kLineStyleSingle);
}

void AddLinedTable(WordApplication& word, int rows, int columns, TableHeading heading, bool keepWithFollowing)
{
    word.AddTable(rows, columns);
    KeepTableTogether(word, heading, keepWithFollowing);
    word.SelectTable(1);
    LineAllBorders(word);
}

void WriteLabelPair(WordApplication& word, const std::string& first, const std::string& second)
{
    TypeInRecordFont(word, first);
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText(second);
}

void WriteServiceChoicesCell(WordApplication& word, double labelSize, const std::function<void(bool last)>& circle)
{
    word.SetCellBorders(kLineStyleSingle, std::nullopt);
    word.SetFontSize(labelSize);
    word.SetAlignment(kAlignLeft);
    word.SetRowHeight(kServiceChoicesRowHeight, kRowHeightAtLeast);
    word.SetFontName(kRecordFont);
    WriteServiceChoices(word, circle);
}

void WriteMergedRow(WordApplication& word, const std::string& label, std::optional<double> atLeast)
{
    word.SelectFirstRow(1);
    word.MergeCells();
    if (atLeast) {
        word.SetRowHeight(*atLeast, kRowHeightAtLeast);
    }
    TypeInRecordFont(word, label);
    word.NewParagraph();
}

void WriteEquipmentIdCell(WordApplication& word, const std::string& label, const std::string& equipmentId)
{
    TypeInRecordFont(word, label);
    word.ToggleBold();
    word.WriteText(equipmentId);
    word.ToggleBold();
    word.NewParagraph();
    word.NewParagraph();
    word.WriteText("Serial Number:");
}

std::optional<bool> ComplianceOf(const std::vector<const verdict::ReadingVerdict*>& verdicts)
{
    std::vector<verdict::ReadingVerdict> judged;
    for (const verdict::ReadingVerdict* v : verdicts) {
        if (v) {
            judged.push_back(*v);
        }
    }
    // The choice answers as the record's verdict would for these readings alone.
    switch (verdict::CombineOutcomes(judged)) {
    case verdict::RecordOutcome::Pass:
        return true;
    case verdict::RecordOutcome::Fail:
        return false;
    default:
        return std::nullopt;
    }
}

void WriteComplianceChoice(WordApplication& word, const std::string& choice, std::optional<bool> complies)
{
    const std::size_t gapStart = choice.find(' ');
    const std::size_t gapEnd = choice.find_first_not_of(' ', gapStart);
    if (!complies || gapStart == std::string::npos || gapEnd == std::string::npos || gapEnd - gapStart < 3) {
        word.WriteText(choice);
        return;
    }
    // U+2612 BALLOT BOX WITH X: a mark every word processor shows, also in print.
    constexpr const char* kMark = "\u2612 ";
    const std::string yes = choice.substr(0, gapStart);
    const std::string gap(gapEnd - gapStart - 2, ' ');
    const std::string no = choice.substr(gapEnd);
    word.WriteText(*complies ? kMark + yes + gap + no : yes + gap + kMark + no);
}

} // namespace tessaprint::docs
