#pragma once

#include "util/Result.h"

#include <filesystem>
#include <string_view>

namespace tessaprint {

// Every file the program writes goes to a temporary file in the folder of its
// target first and is moved into place only when complete, so a full disk or
// a crash never leaves a half-written file, nor damages the one already there.
// Both give the file written; an error's message is the system's words alone.

// Writes bytes and moves them over target, replacing a file already there in
// one step (the archive of a capture being completed, an output the user named).
Result<std::filesystem::path> ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

// Writes bytes and moves them to target without ever replacing a file: when
// the name is taken, even at the very last moment by another program,
// "<stem>-2<ext>", "-3", … are tried in turn (a report).
Result<std::filesystem::path> CreateFileNoReplace(const std::filesystem::path& target, std::string_view bytes);

// "<stem>-n<ext>" in the same folder; copy 1 is target itself.
std::filesystem::path CopyName(const std::filesystem::path& target, int copy);

} // namespace tessaprint
