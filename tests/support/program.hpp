#pragma once

#include <string>
#include <vector>

namespace orvanta::testing {

// How one of the real program's standard streams is connected.
enum class Stream { Pipe, Terminal, Closed, BrokenPipe };

struct Launch {
    std::string input;
    std::vector<std::string> args;
    std::vector<std::string> env;  // NAME=VALUE, on top of this process's environment
    Stream in = Stream::Pipe;
    Stream out = Stream::Pipe;
};

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs the built program with SIGPIPE at its default action. A Terminal is a pseudo-terminal in
// raw mode (no echo, no line-end translation), the same one when both streams are Terminal.
ProgramRun runProgram(const Launch& launch);

}  // namespace orvanta::testing
