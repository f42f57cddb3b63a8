#pragma once
// Running another program (the batch scheduler's commands) and collecting what it prints, within a
// time and an amount of output: a command that hangs or floods is stopped, not waited for.
#include <cstddef>
#include <string>
#include <vector>

namespace kelmora::cli {

struct ProgramLimits {
    double seconds = 120.0;                          // wall-clock time before the program is stopped
    std::size_t outputBytes = std::size_t{8} << 20;  // stdout and stderr together
};

struct ProgramResult {
    bool started = false;   // false: the program could not be started (not installed, …)
    bool timedOut = false;  // stopped after ProgramLimits::seconds
    bool flooded = false;   // stopped once it had printed more than ProgramLimits::outputBytes
    int exitStatus = -1;    // the exit status, or 128 + the signal that ended it
    std::string out;        // what it wrote on stdout (up to the limit)
    std::string err;        // on stderr, or why it could not be started
};

// Runs argv[0] (looked up in PATH) with the arguments and waits for it to end, or stops it (with
// everything it started: it runs in a process group of its own) at either limit. Its stdin is
// /dev/null.
ProgramResult RunProgram(const std::vector<std::string>& argv, const ProgramLimits& limits = {});

}  // namespace kelmora::cli
