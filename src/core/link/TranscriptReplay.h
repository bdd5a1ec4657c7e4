#pragma once

#include "results/ResultsTable.h"
#include "results/ResultsViews.h"

#include <memory>
#include <string_view>

namespace tessaprint {

// A saved transcript decoded without a port, fed in pieces as it is read: the
// raw bytes go through the receive path's byte rule, which carries a line
// begun in one piece into the next, so any cutting gives the lines the whole
// transcript gives. A last line without its end is not delivered.
class TranscriptReplay {
public:
    TranscriptReplay(ResultsTable& table, EquipmentIdSelector& selector, ReceiveView& view);
    // The lines to the view alone, for a caller that parses them itself.
    explicit TranscriptReplay(ReceiveView& view);
    ~TranscriptReplay();
    TranscriptReplay(const TranscriptReplay&) = delete;
    TranscriptReplay& operator=(const TranscriptReplay&) = delete;

    void Feed(std::string_view bytes);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace tessaprint
