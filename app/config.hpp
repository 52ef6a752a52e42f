#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/options.hpp"

namespace orvanta {

// The user's configuration file: the options a player keeps, read before the command line so
// that the command line wins. One long option a line, as "name=value" or "name" without the
// dashes; '#' starts a comment; blank lines are ignored. Only options of the game may stand
// there (see allowedInConfig).

// Where the file is: orvanta/config under the configuration folder; "" when there is none.
std::string configPath();

// The command-line arguments the file's text stands for, such as "--level=3"; or bad use naming
// the file and the line, as in "~/.config/orvanta/config:2: unrecognized option 'levle'".
std::variant<std::vector<std::string>, UsageError> configArguments(std::string_view text,
                                                                   const std::string& path);

// The options of the command line with those of the configuration file before them, unless
// the command line says --no-config or asks for something other than the game. Bad use of
// either, or a file that exists but cannot be read, is a UsageError.
std::variant<Options, UsageError> optionsWithConfig(const std::vector<std::string>& arguments,
                                                    const std::string& path);

}  // namespace orvanta
