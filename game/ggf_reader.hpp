#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/position.hpp"

namespace orvanta {

// One game of a GGF file, checked move by move: every move in `moves` is legal in turn from
// `start`.
struct GgfGame {
    engine::Position start;
    std::vector<int> moves;              // squares (a1 = 0, h8 = 63) or engine::kPass, in order
    std::array<std::string, 2> players;  // PB and PW, printable ASCII only ("" when absent)
    // The clock, as a game in progress carries it (NBoard's `set game`): each side's time for
    // the whole game in seconds (TI[5:00], nothing when absent or unreadable), and the seconds
    // each move took ("/eval/time" after it; 0 when not given), one for each of `moves`.
    std::optional<double> timeLimit;
    std::vector<double> moveSeconds;
    int line = 0;  // where the game begins, from 1

    friend bool operator==(const GgfGame&, const GgfGame&) = default;
};

// Why a file could not be read: the line (from 1) and what is wrong there.
struct GgfError {
    int line = 0;
    std::string what;
};

// Reads the games of a GGF file, as `--record` writes them and as Othello servers keep them:
// games "(;" ... ";)" one after the other, each on one line or over several; tags NAME[value] in
// any order, the unknown ones skipped; the board BO[8 <64 squares, row 1 to row 8: * black, O
// white, - empty> <* or O to move>]; moves B[f5] and W[d6], in either case, with or without
// "/eval/time" after them, passes as PA or pass (a pass the record leaves out before the other
// colour's move is taken as played). Only the standard 8x8 game (TY[8], GM[Othello]) is read.
// The clock TI[[[h:]m:]s] and the moves' times are kept; what they do not make sense of (an
// increment after '/', a time that is not a number) is left out rather than refused.
// The first fault ends the reading. Time and memory grow with the size of the text alone.
std::variant<std::vector<GgfGame>, GgfError> readGgf(std::string_view text);

// "games.ggf:3: c4 is not legal for white".
std::string describe(std::string_view file, const GgfError& error);

// The game as one line of GGF with its board, players, clock and moves (readGgf reads it back
// to the same game, but for `line`).
std::string ggfText(const GgfGame& game);

}  // namespace orvanta
