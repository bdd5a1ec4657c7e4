#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace tessaprint {

// Keeps many short texts in a few large blocks. A stored text never moves,
// so its view stays good until Clear() or the arena goes; one allocation
// serves thousands of readings instead of one each.
class TextArena {
public:
    std::string_view Store(std::string_view text);
    // Forgets every text; the views handed out must not be used any more.
    void Clear();
    // Bytes held in blocks, used or not.
    std::size_t BytesHeld() const { return m_held; }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    std::size_t m_used = 0; // in the last block
    std::size_t m_size = 0; // of the last block
    std::size_t m_held = 0;
};

} // namespace tessaprint
