#pragma once

#include "util/Result.h"
#include "verdict/VerdictEngine.h"

#include <string>
#include <vector>

namespace tessaprint::verdict {

// Where the verdicts' inputs come from: a limits file (empty: the shipped
// profiles), a profile name (empty: the library's default), an equipment list
// file (empty: none). The window's Options > Limits and the command line's
// --limits/--profile/--inventory fill it.
struct VerdictSources {
    std::string limitsFile;
    std::string profile;
    std::string inventoryFile;
};
// The engine, or the first fault of a file (naming it and its line) or an
// unknown profile name (the list's profile column included): never a
// half-built engine with silent defaults.
Result<VerdictEngine> MakeVerdictEngine(const VerdictSources& sources);
// The same with the equipment list given instead of sources.inventoryFile
// (the list the history keeps), named `listName` in a fault.
Result<VerdictEngine> MakeVerdictEngine(const VerdictSources& sources, std::vector<Device> equipment,
                                        const std::string& listName);

} // namespace tessaprint::verdict
