#pragma once

#include <string>

#include "app/options.hpp"

namespace orvanta {

// Sets the console up for the game and the review as the options say: test mode, the language,
// the characters the program writes and a character set forced by --charset. Returns the exit
// status of bad use (after its complaint) when that set cannot show the program's text, else 0.
int setUpConsole(const Options& options);

// Bad use of the command line: the complaint and where to read more on standard error. Returns
// the exit status of bad use.
int badUse(const std::string& message);

}  // namespace orvanta
