// The staged program folder and the command-line runs of the tools in it.
#pragma once

#include <string>

namespace tobu::testing {

// $TOBU_STAGE, else TobuClock/ beside the test executable.
std::string StageDir();

struct CommandRun {
    int status = -1; // the exit code, -1 when the command did not exit normally
    std::string out; // what it wrote on standard output
};

// Runs a shell command line and collects its standard output.
CommandRun RunCommand(const std::string& command);

} // namespace tobu::testing
