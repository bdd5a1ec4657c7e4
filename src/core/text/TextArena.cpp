#include "text/TextArena.h"

#include <algorithm>
#include <cstring>

namespace tessaprint {

std::string_view TextArena::Store(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    if (m_blocks.empty() || m_size - m_used < text.size()) {
        // A text longer than a block gets a block of its own size.
        const std::size_t size = std::max(kBlockBytes, text.size());
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_size = size;
        m_used = 0;
        m_held += size;
    }
    char* at = m_blocks.back().get() + m_used;
    std::memcpy(at, text.data(), text.size());
    m_used += text.size();
    return {at, text.size()};
}

void TextArena::Clear()
{
    m_blocks.clear();
    m_used = 0;
    m_size = 0;
    m_held = 0;
}

} // namespace tessaprint
