#pragma once

#include <string>
#include <string_view>

namespace tessaprint {

// The instrument and the stored texts speak Windows-1252; inside the program
// text is UTF-8. The five byte values that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same number,
// as Windows itself converts them, so every byte survives a round trip.
std::string DecodeWindows1252(std::string_view bytes);

// True when every byte is below 0x80: the text is the same in Windows-1252 and UTF-8.
bool IsAscii(std::string_view bytes);

// True when bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// Length of the well-formed UTF-8 sequence at text[i], or 0 with `bad` set to
// how many bytes make up the broken start (the maximal subpart, at least one),
// so that one damaged character can become one U+FFFD.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i, std::size_t& bad);

} // namespace tessaprint
