#pragma once

namespace orvanta {

// The program's exit statuses.
enum ExitStatus : int {
    kExitSuccess = 0,
    // Reading standard input, writing standard output, or part of an analysis failed.
    kExitFailure = 1,
    // Bad use of the command line: nothing was done.
    kExitBadUse = 2,
};

}  // namespace orvanta
