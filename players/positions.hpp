#pragma once

#include <cstdint>

#include "board/board.hpp"
#include "engine/position.hpp"

namespace orvanta {

// The game board and the engine's positions, one into the other. Neither scans the board, so
// nothing is traced and no flag changes.

// The board as the engine sees it: from the side of `colour`, to move.
engine::Position positionOf(const Board& board, std::int32_t colour);
// The squares where `colour` may play, as a bitboard (bit (y - 1) * 8 + x - 1).
engine::Bitboard legalSquares(const Board& board, std::int32_t colour);
// Sets the 64 cells of the board to the position's discs.
void setCells(Board& board, const engine::Position& position);

// An engine square (0..63, a1 first) as a point of the board, and back.
inline Point pointOf(int square) {
    return {square % 8 + 1, square / 8 + 1};
}
inline int squareOf(const Point& point) {
    return (point.getY() - 1) * 8 + point.getX() - 1;
}

}  // namespace orvanta
