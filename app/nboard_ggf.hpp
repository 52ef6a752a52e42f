#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "engine/game_state.hpp"

namespace orvanta {

// The game of an NBoard `set game` line, with its clock.
struct NboardGame {
    engine::GameState state;
    std::optional<double> timeLimit;   // each side's seconds for the game (TI), when given
    std::array<double, 2> timeUsed{};  // black's and white's seconds spent on their moves
};

// One game in GGF, read by the game records' reader (game/ggf_reader.hpp: any start position,
// passes written or implied, the clock TI and each move's "/eval/time", only Othello on 8x8),
// every move played. Or what is wrong, in one line.
std::variant<NboardGame, std::string> readNboardGame(std::string_view text);

}  // namespace orvanta
