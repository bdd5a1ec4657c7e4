#pragma once

#include "util/ProcessRunner.h"

namespace tessaprint {

// Runs jobs as children of this program (fork and exec), each in a process
// group of its own: at its time limit the whole group is killed, and whatever
// of the group is left when the job ends by itself goes with it.
class PosixProcessRunner : public ProcessRunner {
public:
    Result<ProcessOutcome> Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
                               std::stop_token stop = {}, const ProcessWatch& watch = {}) override;
};

} // namespace tessaprint
