#pragma once

#include <cstdint>
#include <string>

namespace tessaprint {

// "1 line", "12 lines", "0 lines": the count and the word that goes with it.
std::string Plural(std::uint64_t count, const std::string& one, const std::string& many);

} // namespace tessaprint
