#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/options.hpp"
#include "game/game.hpp"
#include "platform/console.hpp"

namespace orvanta {

// The menu answer a word stands for: an optional sign and decimal digits that fit an int;
// nothing for any other word.
std::optional<int> menuNumber(const platform::Word& word);

// Every character beyond ASCII that the program may write.

// How the games of the menu start: the human's colour against the computer when an option chose
// it (else a coin toss); in player mode, the colour and level are asked unless options chose
// them, and the answers are kept in `stateDirectory` ("": nowhere) for the next game.
struct MenuSettings {
    bool coach = false;
    std::optional<Seat> seat;
    std::optional<int> level;
    std::string stateDirectory;
};

// The title, then the menu until the user quits or the input ends.
void menu(Game& game, const MenuSettings& settings = {});

}  // namespace orvanta
