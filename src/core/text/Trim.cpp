#include "text/Trim.h"

namespace tessaprint {

std::string_view Trimmed(std::string_view text, std::string_view chars)
{
    const auto first = text.find_first_not_of(chars);
    if (first == std::string_view::npos) {
        return text.substr(text.size());
    }
    return text.substr(first, text.find_last_not_of(chars) - first + 1);
}

std::string_view TrimBlanks(std::string_view text)
{
    return Trimmed(text, " \t");
}

} // namespace tessaprint
