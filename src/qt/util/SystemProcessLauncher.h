#pragma once

#include "util/CNotepad.h"

#include <memory>

namespace tessaprint {

// How this system starts and tracks external programs: fork and exec on
// POSIX systems, QProcess on Windows (where closing asks the program's
// windows to close).
std::unique_ptr<ProcessLauncher> MakeSystemProcessLauncher();

} // namespace tessaprint
