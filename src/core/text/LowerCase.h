#pragma once

#include <string>

namespace tessaprint {

// Two rules for lower case, each kept where the text relies on it.

// A-Z become a-z and every other byte stays, whatever the locale: the bytes
// of UTF-8 letters are never touched. Texts compared or stored lower-cased
// (the history's IDs, readings told apart case aside) use this rule.
char AsciiLower(char c);
std::string AsciiLower(std::string text);

// Each byte as the C library lowers it under the process's locale
// (std::tolower): the same as AsciiLower under the "C" and UTF-8 locales,
// more letters under a single-byte locale such as ISO 8859-1.
char LocaleLower(char c);
std::string LocaleLower(std::string text);

} // namespace tessaprint
