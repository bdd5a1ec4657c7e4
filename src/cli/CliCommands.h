#pragma once

#include "results/ResultsListing.h"
#include "results/ResultsTable.h"

#include <string>
#include <vector>

namespace tessaprint {

// Each command takes its own arguments (after the command word) and returns
// the process exit status; results go to stdout, messages to stderr.
int RunParseCommand(const std::vector<std::string>& args);
// Reads a saved transcript (raw bytes) or capture (line list) and parses it;
// false with a message for stderr when the file cannot be read.
bool LoadResults(const std::string& path, bool transcript, ResultsTable& table, ResultsListing& listing,
                 std::string& error);

int RunDataSheetCommand(const std::vector<std::string>& args);
int RunWorkOrderCommand(const std::vector<std::string>& args);
int RunCaptureCommand(int argc, char** argv, const std::vector<std::string>& args);

} // namespace tessaprint
