#pragma once

#include <string>
#include <vector>

namespace orvanta {

// The program as its command line asks for it: the usage text, a complaint about bad use, or the
// game. Returns the exit status: 0 done, 1 the output failed, 2 bad use of the command line.
int launch(const std::vector<std::string>& arguments);

}  // namespace orvanta
