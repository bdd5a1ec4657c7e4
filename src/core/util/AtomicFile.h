#pragma once

#include "util/Result.h"

#include <filesystem>
#include <string_view>

namespace tessaprint {

// Every file the program writes goes to a temporary file in the folder of its
// target first and is moved into place only when complete, so a full disk or
// a crash never leaves a half-written file, nor damages the one already there.
// An error's message is the system's words alone, or says what is in the way
// ("it is a folder, not a file").

// What a write to a FIFO does while no program has it open for reading.
enum class FifoWait {
    No,        // fails at once: the window never hangs on a pipe nobody reads
    ForReader, // waits, as any command-line program writing to a pipe does
};

// Writes bytes to target (the archive of a capture being completed, an output
// the user named), replacing a regular file there in one step. A symbolic link
// stays a link: the file it names (through every link in turn) gets the
// bytes, its temporary file beside that file. A FIFO or a character device
// (/dev/null, a terminal) is written to directly. Anything else (a folder, a
// socket, a block device) is refused and left as it is. A file replaced keeps
// its permissions. Gives the file that got the bytes.
Result<std::filesystem::path> ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                                          FifoWait fifoWait = FifoWait::No);

// Whether ReplaceFile could write to target now: the file it reaches is a
// regular file, a FIFO or a character device, or is not there yet in a folder
// that is. For a check before work whose result would be lost if the write
// failed at its end. Gives that file.
Result<std::filesystem::path> CheckReplaceTarget(const std::filesystem::path& target);

// Writes bytes and moves them to target without ever replacing a file: when
// the name is taken, even at the very last moment by another program,
// "<stem>-2<ext>", "-3", … are tried in turn (a report).
Result<std::filesystem::path> CreateFileNoReplace(const std::filesystem::path& target, std::string_view bytes);

// "<stem>-n<ext>" in the same folder; copy 1 is target itself.
std::filesystem::path CopyName(const std::filesystem::path& target, int copy);

} // namespace tessaprint
