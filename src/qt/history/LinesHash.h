#pragma once

#include <string>
#include <vector>

namespace tessaprint::history {

// The capture's fingerprint in the history: hex SHA-256 of its lines, each
// followed by CR LF, as a capture file holds them. A capture recorded again
// (its archive opened, imported, retried) has the same one.
std::string LinesHash(const std::vector<std::string>& lines);

} // namespace tessaprint::history
