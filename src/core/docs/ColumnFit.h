#pragma once

#include <string>
#include <vector>

namespace tessaprint::docs {

// What one table column asks for, in points.
struct ColumnFit {
    double preferredPt = 0; // the width its layout gives it
    double fixedPt = 0;     // enough for the widest word of its fixed texts and dates: never less
    double entriesPt = 0;   // enough for the widest word written into it: as far as the page allows
};

// The width a cell needs to show the widest word of the texts on one line in
// the record font: the word, the cell's side margins, and a point and a half
// for the rounding of a reader's layout.
double CellWidthForWords(const std::vector<std::string>& texts, double size, bool bold);

// Column widths that fit side by side in availablePt. The preferred widths
// are scaled down alike when they add up to more; then each column is widened
// to hold its words whole, the room taken from the columns with more than
// their own words need, in proportion to what they can spare. Fixed texts
// come first: when the entries' words cannot all be held, each column holds
// its fixed words and the same share of the rest of its entries' need. The
// widths are whole twentieths of a point (what a .docx stores) and add up to
// no more than availablePt.
std::vector<double> FitColumns(const std::vector<ColumnFit>& columns, double availablePt);

} // namespace tessaprint::docs
