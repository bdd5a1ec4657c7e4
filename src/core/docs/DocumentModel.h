#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tessaprint::docs {

// Colours as Word takes them: 0x00BBGGRR.
using Colour = std::uint32_t;

// The document defaults (what a new document from the normal template has).
inline constexpr const char* kDefaultFontName = "Times New Roman";
inline constexpr double kDefaultFontSize = 12.0;
// US Letter in points, 1 inch top and bottom margins.
inline constexpr double kPageWidthPt = 612.0;
inline constexpr double kPageHeightPt = 792.0;
inline constexpr double kDefaultTopBottomMarginPt = 72.0;
inline constexpr double kDefaultLeftRightMarginPt = 90.0; // 1.25 in, the template's side margins
// Between a cell's edge and its text, on the left and on the right (0.075 in).
inline constexpr double kCellSideMarginPt = 5.4;

struct CharFormat {
    bool bold = false;
    bool italic = false;
    double size = kDefaultFontSize; // points
    std::string font = kDefaultFontName;
    std::optional<Colour> shading; // background behind the characters

    bool operator==(const CharFormat&) const = default;
};

enum class Alignment { Left = 0, Center = 1 };

struct ParaFormat {
    Alignment alignment = Alignment::Left;
    std::optional<Colour> shading; // background of the whole paragraph
    bool keepWithNext = false;     // on the same page as the paragraph (or table row) after it

    bool operator==(const ParaFormat&) const = default;
};

// A piece of a paragraph with one formatting: text (UTF-8; '\t' is a tab
// stop) or a PAGE field showing the page number.
struct Run {
    enum class Kind { Text, PageNumber };
    Kind kind = Kind::Text;
    std::string text;
    CharFormat format;

    bool operator==(const Run&) const = default;
};

struct Paragraph {
    std::vector<Run> runs;
    CharFormat markFormat; // the paragraph mark's own character formatting
    ParaFormat format;

    bool IsEmpty() const { return runs.empty(); }
    bool operator==(const Paragraph&) const = default;
};

// Which edges of a cell carry a single line.
struct CellBorders {
    bool top = false;
    bool left = false;
    bool bottom = false;
    bool right = false;

    bool operator==(const CellBorders&) const = default;
};

struct Cell {
    std::vector<Paragraph> paragraphs{Paragraph{}}; // never empty
    int gridSpan = 1;                               // > 1 for merged cells
    double widthPt = 0;                             // preferred width
    CellBorders borders;
    std::optional<Colour> shading;

    bool operator==(const Cell&) const = default;
};

enum class HeightRule { Auto, AtLeast, Exactly };

struct Row {
    std::vector<Cell> cells;
    double heightPt = 0;
    HeightRule heightRule = HeightRule::Auto;
    bool headingRow = false; // repeated at the top of each page the table spans
    bool cantSplit = false;  // never broken across two pages

    bool operator==(const Row&) const = default;
};

struct Table {
    std::vector<Row> rows;
    std::vector<double> gridColumnsPt; // widths of the grid's columns
    std::optional<Colour> shading;     // background of every cell of the table
    bool shadingForegroundAuto = false;

    bool operator==(const Table&) const = default;
};

using Block = std::variant<Paragraph, Table>;

// A story: the main text, the page header or the page footer. A table is
// always followed by a paragraph.
struct Story {
    std::vector<Block> blocks{Paragraph{}};

    bool operator==(const Story&) const = default;
};

struct PageSetup {
    double widthPt = kPageWidthPt;
    double heightPt = kPageHeightPt;
    double topMarginPt = kDefaultTopBottomMarginPt;
    double bottomMarginPt = kDefaultTopBottomMarginPt;
    double leftMarginPt = kDefaultLeftRightMarginPt;
    double rightMarginPt = kDefaultLeftRightMarginPt;

    bool operator==(const PageSetup&) const = default;
};

struct Document {
    Story main;
    Story header;
    Story footer;
    PageSetup page;

    bool operator==(const Document&) const = default;
};

} // namespace tessaprint::docs
