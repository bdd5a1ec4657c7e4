#pragma once

#include <string>
#include <vector>

namespace tessaprint {

// Each command takes its own arguments (after the command word) and returns
// the process exit status; results go to stdout, messages to stderr.
int RunParseCommand(const std::vector<std::string>& args);
int RunDataSheetCommand(const std::vector<std::string>& args);
int RunWorkOrderCommand(const std::vector<std::string>& args);
int RunCaptureCommand(int argc, char** argv, const std::vector<std::string>& args);

} // namespace tessaprint
