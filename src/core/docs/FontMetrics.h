#pragma once

#include <string_view>

namespace tessaprint::docs {

// How wide text in the record font is on the page. The advance widths are
// Calibri's (Carlito, which readers substitute for it, has the same ones), so
// a column can be made wide enough for a word before any reader lays it out.
class FontMetrics {
public:
    // Width in points of the text in the record font at this size. A
    // character outside printable ASCII counts as one of the widest letters,
    // so a measure errs on the wide side.
    static double Width(std::string_view utf8, double size, bool bold);
    // Width of the widest word: a run of characters without a blank, tab or
    // line break, which a reader never breaks when it fits on one line. The
    // blanks the text starts with belong to its first word.
    static double WidestWord(std::string_view utf8, double size, bool bold);
};

} // namespace tessaprint::docs
