#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "engine/game_state.hpp"

namespace orvanta {

// The game of an NBoard `set game` line: one game in GGF, read by the game records' reader
// (game/ggf_reader.hpp: any start position, passes written or implied, "/eval/time" after a move
// ignored, only Othello on 8x8), every move played. Or what is wrong, in one line.
std::variant<engine::GameState, std::string> readNboardGame(std::string_view text);

}  // namespace orvanta
