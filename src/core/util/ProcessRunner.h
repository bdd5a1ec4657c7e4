#pragma once

#include "util/Result.h"

#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tessaprint {

// How a program that was run to its end ended.
struct ProcessOutcome {
    enum class End {
        Exited,   // it ended by itself; exitCode says how
        Crashed,  // a signal (or on Windows a crash) ended it
        TimedOut, // it was still running at its time limit and was ended
        Stopped,  // the caller gave up on it (the program is quitting) and it was ended
    };
    End end = End::Exited;
    int exitCode = 0;
    // The end of what it wrote, standard output and error together.
    std::string output;
};

// Told while a job runs, at every look at it (a few times a second), with
// what it wrote since the last call (often nothing), and once more with the
// rest after it ended; returning false ends it at once, with everything it
// started (ProcessOutcome::End::Stopped). The last call's answer is not heard.
using ProcessWatch = std::function<bool(std::string_view output)>;

// Runs a program as a job of this one: it gets no input, its output is kept
// rather than shown, and it may not outlive its time limit. Unlike the
// programs a ProcessLauncher starts (an editor the user now works in), a job
// that is ended is ended with every program it started, since office programs
// hand their work to a child of their own.
class ProcessRunner {
public:
    // How much of a job's output is kept (its last bytes: where the reason is).
    static constexpr std::size_t kOutputKept = 4096;

    virtual ~ProcessRunner() = default;
    // Runs program with arguments until it ends, timeLimitMs pass, stop is
    // requested or watch says to; an error (the system's reason alone) only
    // when it could not be started at all.
    virtual Result<ProcessOutcome> Run(const std::string& program, const std::vector<std::string>& arguments,
                                       int timeLimitMs, std::stop_token stop = {}, const ProcessWatch& watch = {}) = 0;
};

} // namespace tessaprint
