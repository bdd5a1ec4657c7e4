#pragma once

#include "docs/DocumentFrame.h"
#include "docs/WordApplication.h"
#include "verdict/VerdictEngine.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaprint::docs {

// Pieces the test records share.

// The parts that are not empty, joined with one blank.
std::string JoinParts(const std::string& first, const std::string& second);

// Walks the words of a reading. A word at the end of the text is a word like
// any other, so no field made of words ends in a dangling blank.
class WordCursor {
public:
    explicit WordCursor(std::string text) : m_rest(std::move(text)) {}

    // Removes leading white space.
    void Trim();
    // Consumes one word without trimming after it.
    void Skip();
    // Consumes one word and returns it; trims after it unless told not to.
    std::string Take(bool trim = true);
    // Two words joined.
    std::string TakePair();
    // One word and all that is left.
    std::string TakeWithRest();

private:
    std::string m_rest;
};

// The header and footer of a test record with the maker's company line.
DocumentSpec TestRecordSpec(std::string title, bool boldHeader, double headerSize, DocumentSpec::Footer footer);

// Writes text in the record font.
void TypeInRecordFont(WordApplication& word, const std::string& text);

// "Test result prior to service", "Recurrent Test" and "Test after repair",
// each followed by a tick circle that circle(last) writes.
void WriteServiceChoices(WordApplication& word, const std::function<void(bool last)>& circle);

// The tick circle of the electrical safety and defibrillator records: plain
// circle size among bold label-size labels.
void WriteBoldRecordCircle(WordApplication& word);

// The width between the side margins every document sets, in points: what a
// table may take.
double TextWidthPt(WordApplication& word);

// The given widths, in points, to the columns of the table of the selection,
// left to right; the last column stays selected.
void SetColumnWidths(WordApplication& word, const std::vector<double>& widths);

// How a table keeps together on the printed page. Every row stays whole on one
// page. A heading row repeats on each page the table spans and stays with the
// row below it; a table kept with what follows (one row: a heading, the last
// section before a signature) stays on the page of the paragraph after it.
enum class TableHeading { None, FirstRow };
// Called right after AddTable; the selection ends at the start of the first cell again.
void KeepTableTogether(WordApplication& word, TableHeading heading, bool keepWithFollowing = false);

// Single lines around the selected cells, then between them.
void LineAllBorders(WordApplication& word);

// A new table kept together as KeepTableTogether says, with single lines
// around and between all its cells; the whole table is left selected.
void AddLinedTable(WordApplication& word, int rows, int columns, TableHeading heading, bool keepWithFollowing = false);

// Pieces of the identification tables, each written from the start of its cell.

// Two labels with a blank line between them, in the record font.
void WriteLabelPair(WordApplication& word, const std::string& first, const std::string& second);

// The right cell of the first row: lined around, the row at least the service
// choices' height, the three choices in labelSize with circle after each.
void WriteServiceChoicesCell(WordApplication& word, double labelSize, const std::function<void(bool last)>& circle);

// The row of the selection made one cell holding the label and a blank line;
// the row is made at least atLeast points high first, when given.
void WriteMergedRow(WordApplication& word, const std::string& label, std::optional<double> atLeast = std::nullopt);

// The label, then the equipment ID set off from it: plain after a bold label,
// bold after a plain one; a blank line, then "Serial Number:".
void WriteEquipmentIdCell(WordApplication& word, const std::string& label, const std::string& equipmentId);

// The answer a "Complies (Pass)" choice gets from the verdicts of the
// readings it stands for: No when any failed; Yes when one passed and none
// was unreadable or not judged; none otherwise (the technician decides).
std::optional<bool> ComplianceOf(const std::vector<const verdict::ReadingVerdict*>& verdicts);

// A "Yes      No" choice; with an answer, a ballot box before the chosen word,
// the blanks between the words two fewer so the line keeps its length.
void WriteComplianceChoice(WordApplication& word, const std::string& choice, std::optional<bool> complies);

} // namespace tessaprint::docs
