#pragma once

// Takes a fuzzer's bytes apart: small numbers to steer the run, and the rest.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaprint::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_size == 0; }
    // One byte as a number, 0 when none is left.
    std::uint8_t Byte()
    {
        if (m_size == 0) {
            return 0;
        }
        --m_size;
        return *m_data++;
    }
    // Up to count bytes.
    std::string_view Take(std::size_t count)
    {
        const std::size_t n = std::min(count, m_size);
        const std::string_view taken(reinterpret_cast<const char*>(m_data), n);
        m_data += n;
        m_size -= n;
        return taken;
    }
    std::string_view Rest() { return Take(m_size); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

} // namespace tessaprint::fuzz
