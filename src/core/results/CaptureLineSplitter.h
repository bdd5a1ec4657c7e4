#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessaprint {

// Cuts a saved capture's content, given in pieces as it is read, into its
// lines: LF ends a line and a CR before it is dropped; a last line without
// LF is a line too. Pieces may cut anywhere, also between CR and LF. Only a
// line still open at the end of a piece is held, so memory is bounded by the
// longest line, not the file. Decoding is the caller's: the bytes are passed
// on as they are.
class CaptureLineSplitter {
public:
    using Take = std::function<void(std::string_view line)>;

    void Feed(std::string_view piece, const Take& take);
    // The content has ended: the line still open, if any, is the last one.
    void Finish(const Take& take);

private:
    std::string m_open; // the start of a line the next piece goes on with
};

} // namespace tessaprint
