#include "text/LowerCase.h"

#include <cctype>

namespace tessaprint {

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string text)
{
    for (char& c : text) {
        c = AsciiLower(c);
    }
    return text;
}

char LocaleLower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string LocaleLower(std::string text)
{
    for (char& c : text) {
        c = LocaleLower(c);
    }
    return text;
}

} // namespace tessaprint
