#pragma once

#include <string>
#include <vector>

#include "app/options.hpp"

namespace orvanta {

// The game as the options set it up: the console, the record file, the seeds, then the title
// and the menu until the user quits or the input ends. Returns the exit status: 0 done, 1
// reading standard input failed, 2 an option's value cannot be used (with the complaint on
// standard error and nothing shown).
int run(const Options& options = {});

// Whether player mode's screen is in colour: always, never, or on a terminal unless NO_COLOR is
// set and not empty, or TERM is "dumb" (either may be null: not set).
bool wantsColour(Colouring colouring, bool terminal, const char* noColour, const char* term);

// The program as its command line asks for it: the usage or version text, a complaint about bad
// use, or the game. Returns the exit status: that of `run`, 1 when the output failed, 2 for bad
// use of the command line.
int launch(const std::vector<std::string>& arguments);

}  // namespace orvanta
