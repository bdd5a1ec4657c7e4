#pragma once

#include <filesystem>
#include <string_view>

namespace tessaprint {

// Every file the program writes goes to a temporary file in the folder of its
// target first and is moved into place only when complete, so a full disk or
// a crash never leaves a half-written file, nor damages the one already there.
struct AtomicWrite {
    int error = 0;              // an errno value; 0 when the file was written
    std::filesystem::path path; // the file written
};

// Writes bytes and moves them over target, replacing a file already there in
// one step (the archive of a capture being completed, an output the user named).
AtomicWrite ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

// Writes bytes and moves them to target without ever replacing a file: when
// the name is taken, even at the very last moment by another program,
// "<stem>-2<ext>", "-3", … are tried in turn (a report).
AtomicWrite CreateFileNoReplace(const std::filesystem::path& target, std::string_view bytes);

// Moves from to to unless to exists; 0, EEXIST when it is taken, or another errno.
int MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// "<stem>-n<ext>" in the same folder; copy 1 is target itself.
std::filesystem::path CopyName(const std::filesystem::path& target, int copy);

} // namespace tessaprint
