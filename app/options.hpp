#pragma once

#include <string>
#include <variant>
#include <vector>

namespace orvanta {

// What the command line asks for. No arguments at all means today's game, exactly.
struct Options {
    bool help = false;
    // How many columns the terminal draws an East Asian ambiguous-width character in: 1 or 2,
    // or 0 to find out.
    int ambiguousWidth = 0;
};

// Bad use of the command line: what is wrong, in one line.
struct UsageError {
    std::string message;
};

// Parses the arguments (without the program's name) the GNU way: long options as --name=value
// or --name value, short ones where they exist, no operands.
std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& arguments);

// The --help text: how to call the program and every option, one line each.
std::string usage();

}  // namespace orvanta
