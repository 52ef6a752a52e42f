#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace orvanta::testing {

// How one of the real program's standard streams is connected.
// Closed, BrokenPipe and Full (/dev/full) are for standard output, Directory for standard input.
enum class Stream { Pipe, Terminal, Closed, BrokenPipe, Full, Directory };

struct Launch {
    std::string input;
    std::vector<std::string> args;
    std::vector<std::string> env;  // NAME=VALUE, on top of this process's environment
    Stream in = Stream::Pipe;
    Stream out = Stream::Pipe;
    // A Terminal's answer each time the program asks where the cursor is ("" never answers),
    // or a signal sent to the program at that moment instead.
    std::string answer;
    int signal = 0;
    bool cooked = false;  // a Terminal in canonical mode with echo rather than raw
};

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    int signal = 0;   // the signal that ended it
    std::string out;
    std::string err;
    unsigned terminalModes = 0;  // c_lflag of a Terminal after the run
    std::chrono::duration<double> time{};
};

// Runs the built program with SIGPIPE at its default action. A Terminal is a pseudo-terminal in
// raw mode (no echo, no line-end translation), the same one when both streams are Terminal.
ProgramRun runProgram(const Launch& launch);

}  // namespace orvanta::testing
