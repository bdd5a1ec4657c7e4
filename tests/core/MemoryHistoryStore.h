#pragma once

// The in-memory history, for tests of what uses a store: the program's own
// (the demo's), thread-safe, with FailWith to act as an unreachable server.
#include "history/MemoryHistoryStore.h"

namespace tessaprint::test {

using MemoryHistoryStore = history::MemoryHistoryStore;

} // namespace tessaprint::test
