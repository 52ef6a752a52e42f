#pragma once

#include <optional>
#include <string_view>

#include "game/game.hpp"
#include "platform/console.hpp"

namespace orvanta {

// The menu answer a word stands for: an optional sign and decimal digits that fit an int;
// nothing for any other word.
std::optional<int> menuNumber(const platform::Word& word);

// Every character beyond ASCII that the program may write.
std::string_view repertoire();

// The title, then the menu until the user quits or the input ends.
void menu(Game& game);

}  // namespace orvanta
