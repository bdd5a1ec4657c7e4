#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessaprint::bytescan {

// Scans that look at eight bytes at a time: a printout is mostly long runs of
// ordinary text, and these loops are where parsing and JSON writing spend
// their time. Each word test only says whether the word may hold a byte of
// interest; the byte itself is then found one at a time.

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighs = 0x8080808080808080ULL;

inline std::uint64_t Load(const char* at)
{
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Non-zero when some byte of the word is zero.
constexpr std::uint64_t HasZero(std::uint64_t word)
{
    return (word - kOnes) & ~word & kHighs;
}

// Non-zero when some byte of the word equals c.
constexpr std::uint64_t HasByte(std::uint64_t word, unsigned char c)
{
    return HasZero(word ^ (kOnes * c));
}

// Non-zero when some byte of the word is below n (n at most 128).
constexpr std::uint64_t HasLess(std::uint64_t word, unsigned char n)
{
    return (word - kOnes * n) & ~word & kHighs;
}

// The first position at or after from where isSpecial holds, or end;
// mayHold tells for a whole word whether it can hold such a byte.
template <typename WordTest, typename ByteTest>
std::size_t FindFirst(const char* data, std::size_t from, std::size_t end, WordTest mayHold, ByteTest isSpecial)
{
    std::size_t i = from;
    while (i + 8 <= end && !mayHold(Load(data + i))) {
        i += 8;
    }
    while (i < end && !isSpecial(static_cast<unsigned char>(data[i]))) {
        ++i;
    }
    return i;
}

} // namespace tessaprint::bytescan
