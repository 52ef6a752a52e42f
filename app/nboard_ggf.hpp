#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "engine/game_state.hpp"

namespace orvanta {

// The game of an NBoard `set game` line, in GGF (the Generic Game Format of the Othello servers):
//   (;GM[Othello]PC[NBoard]...TY[8]BO[8
//   ---------------------------O*------*O--------------------------- *]B[F5]W[F6//0.01];)
// BO gives the start: the board size (8), the 64 squares row by row from a1 ('-' empty, '*'
// black, 'O' white) and the side to move. B[...] and W[...] are the moves in order: a square or
// PA (a pass), perhaps followed by /eval/time, which are ignored. A move by the side that just
// moved stands for the other side's pass when that side had no move. Other properties are
// skipped; a game of another kind (GM other than Othello, TY other than 8) is refused.
//
// This reader serves the NBoard front end only; it is kept apart from the game records' reader so
// that the two can be joined later.
//
// Returns the game, every move played, or what is wrong in one line.
std::variant<engine::GameState, std::string> readNboardGame(std::string_view text);

}  // namespace orvanta
