#pragma once

#include "docs/DocumentFrame.h"
#include "docs/WordApplication.h"

#include <functional>
#include <string>

namespace tessaprint::docs {

// Pieces the test records share.

// The header and footer of a test record with the maker's company line.
DocumentSpec TestRecordSpec(std::string title, bool boldHeader, double headerSize, DocumentSpec::Footer footer);

// "Test result prior to service", "Recurrent Test" and "Test after repair",
// each followed by a tick circle that circle(last) writes.
void WriteServiceChoices(WordApplication& word, const std::function<void(bool last)>& circle);

// The tick circle of the electrical safety and defibrillator records: plain
// 14 points among bold 12-point labels.
void WriteBoldRecordCircle(WordApplication& word);

} // namespace tessaprint::docs
