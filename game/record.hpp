#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "board/point.hpp"

namespace orvanta {

// One move of a game as a record keeps it: the colour and its square, or a pass.
struct RecordedMove {
    std::int32_t colour;
    std::optional<Point> square;
    // Chosen by the computer for a human who handed the move over: the record does not keep it
    // (GGF has no place for it), the review after the game does.
    bool handedOver = false;
};

// The game as one line of GGF, the format of Othello game servers:
// (;GM[Othello]PC[orvanta]DT[2026.12.07_18:49:06.UTC]PB[human]PW[orvanta]RE[+14.00]TY[8]
// BO[8 <64 squares> *]B[f5]W[d6]...;)
// The board is the starting position, row 1 to row 8 ('*' black, 'O' white, '-' empty) and the
// side to move; a pass is PA. `margin` is the final disc difference from black's side with the
// empty squares going to the winner; an abandoned game has none, and no RE tag.
std::string ggfRecord(const std::vector<RecordedMove>& moves,
                      const std::array<std::string, 2>& players, std::time_t date,
                      std::optional<int> margin);

}  // namespace orvanta
