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
std::string_view repertoire();

// What player mode brings to the menu: the choices the options made (those are not asked), and
// the folder where the last answers are kept for the next game ("": nowhere).
struct PlayerMode {
    std::optional<Seat> seat;
    std::optional<int> level;
    std::string stateDirectory;
};

// The title, then the menu until the user quits or the input ends. In player mode, a game against
// the computer starts with the choice of colour and level.
void menu(Game& game, const PlayerMode* playerMode = nullptr);

}  // namespace orvanta
