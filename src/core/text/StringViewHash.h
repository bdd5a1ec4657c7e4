#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessaprint {

// Lets an unordered_map keyed by std::string be looked up with a
// string_view without making a string of it.
struct StringViewHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

template <class Value> using StringMap = std::unordered_map<std::string, Value, StringViewHash, std::equal_to<>>;

} // namespace tessaprint
