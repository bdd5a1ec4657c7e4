#pragma once

#include <filesystem>
#include <string>

namespace tessaprint {

// Paths from and to the program's UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

} // namespace tessaprint
