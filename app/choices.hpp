#pragma once

#include <string>

#include "app/options.hpp"

namespace orvanta {

// What player mode asks before a game against the computer. The last answers are the defaults
// of the next game: player mode keeps them in a small file of its state folder.
struct Choices {
    Seat seat = Seat::kToss;
    int level = 3;

    bool operator==(const Choices&) const = default;
};

// The choices kept in `directory`; the defaults when there are none or the file is damaged.
Choices loadChoices(const std::string& directory);
// Keeps the choices in `directory`, replacing the file at once. A failure is one warning on
// standard error; the game goes on.
void saveChoices(const std::string& directory, const Choices& choices);

// The file's text, and back (a line it does not know is skipped).
std::string choicesText(const Choices& choices);
Choices parseChoices(std::string_view text);

}  // namespace orvanta
