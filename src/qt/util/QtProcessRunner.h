#pragma once

#include "util/ProcessRunner.h"

#include <memory>

namespace tessaprint {

// Runs jobs with QProcess, the way this system runs them on Windows. A job
// past its limit is killed; on Windows that ends the program started, not
// what it may have started in turn.
class QtProcessRunner : public ProcessRunner {
public:
    Result<ProcessOutcome> Run(const std::string& program, const std::vector<std::string>& arguments, int timeLimitMs,
                               std::stop_token stop = {}, const ProcessWatch& watch = {}) override;
};

// How this system runs jobs: a process group of their own on POSIX systems,
// QProcess on Windows.
std::unique_ptr<ProcessRunner> MakeSystemProcessRunner();

} // namespace tessaprint
