#pragma once
// Running another program (the batch scheduler's commands) and collecting what it prints.
#include <string>
#include <vector>

namespace kelmora::cli {

struct ProgramResult {
    bool started = false;  // false: the program could not be started (not installed, …)
    int exitStatus = -1;   // the exit status, or 128 + the signal that ended it
    std::string out;       // what it wrote on stdout
    std::string err;       // on stderr, or why it could not be started
};

// Runs argv[0] (looked up in PATH) with the arguments and waits for it to end. Its stdin is /dev/null.
ProgramResult RunProgram(const std::vector<std::string>& argv);

}  // namespace kelmora::cli
