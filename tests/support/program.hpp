#pragma once

#include <string>

namespace orvanta::testing {

// How the real program's standard output is connected.
enum class Output { Pipe, Closed, BrokenPipe };

struct ProgramRun {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs the built program with `input` written into a pipe on its standard input.
ProgramRun runProgram(const std::string& input, Output output = Output::Pipe);

}  // namespace orvanta::testing
