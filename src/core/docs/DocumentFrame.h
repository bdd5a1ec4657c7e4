#pragma once

#include "docs/WordApplication.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaprint::docs {

// What every document shares: how the document is started and set up, the
// grey two-line page header, one of the two footers, the save, and the one
// error box.
struct DocumentSpec {
    enum class Footer { None, PageNumber, FormNumber };

    std::string companyLine = "Zelmor Corporation";
    std::string title;
    bool boldHeader = true;
    double headerSize = 12;
    Footer footer = Footer::None;
};

inline constexpr std::uint32_t kHeaderShading = 15132390; // grey, red = green = blue = 230
inline constexpr const char* kHeaderFont = "Calibri";
inline constexpr const char* kFormNumberFooter = "Zelmor Corporation Form # /*75-022, rev. 2*/";

// The error box of a document that failed: "COM Error: 0x%08lX. %s".
std::string ComErrorText(const Error& error);

// Runs one document from start to save: start, new document from the normal
// template (style set "Word 2003" when word2007), 0.9 in side margins, the
// footer, the header, then body, then the save under reportPath (without
// extension). The first failing operation ends the run with its error;
// nothing is saved then.
Result<void> RunDocument(WordApplication& word, int word2007, const DocumentSpec& spec,
                         const std::function<void(WordApplication&)>& body, const std::string& reportPath);

} // namespace tessaprint::docs
