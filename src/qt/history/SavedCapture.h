#pragma once

#include "history/HistoryStore.h"
#include "util/Result.h"

#include <string>

namespace tessaprint::history {

// A saved capture (a transcript or a capture file, such as the archive's) as
// the history records it: parsed as the window parses it, its records, the
// fingerprint of its lines, an identity derived from them (the same file is
// the same capture whenever it is read) and its file name as the archive name. Its time,
// kind and port are the caller's to give. The file is read in pieces and its
// lines are not kept, so a large file costs what its records take, not its
// size again. Fails when the file does not read or is no regular file.
Result<HistoryCapture> ReadSavedCapture(const std::string& path, bool transcript);

} // namespace tessaprint::history
