#include "text/Plural.h"

namespace tessaprint {

std::string Plural(std::uint64_t count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace tessaprint
