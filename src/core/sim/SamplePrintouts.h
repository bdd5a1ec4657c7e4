#pragma once

#include "results/InstrumentKind.h"

#include <string_view>

namespace tessaprint {

// The printout each simulated instrument keeps in its memory, built into the
// program from the files under samples/.
std::string_view SamplePrintout(InstrumentKind kind);

} // namespace tessaprint
