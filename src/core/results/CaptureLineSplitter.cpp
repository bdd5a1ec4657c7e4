#include "results/CaptureLineSplitter.h"

namespace tessaprint {

namespace {

void TakeLine(std::string_view line, const CaptureLineSplitter::Take& take)
{
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    take(line);
}

} // namespace

void CaptureLineSplitter::Feed(std::string_view piece, const Take& take)
{
    std::size_t start = 0;
    for (auto end = piece.find('\n'); end != std::string_view::npos; end = piece.find('\n', start)) {
        if (m_open.empty()) {
            TakeLine(piece.substr(start, end - start), take); // whole in this piece: no copy
        } else {
            m_open.append(piece.substr(start, end - start));
            TakeLine(m_open, take);
            m_open.clear();
        }
        start = end + 1;
    }
    m_open.append(piece.substr(start));
}

void CaptureLineSplitter::Finish(const Take& take)
{
    // Content that ends with LF has no line after it; a lone CR at the end is
    // an (empty) line of its own.
    if (!m_open.empty()) {
        TakeLine(m_open, take);
        m_open.clear();
    }
}

} // namespace tessaprint
