#pragma once

// The rules the plain way, square by square in (column, row) coordinates, without shifts or
// tables: the reference the fast functions of rules.hpp and the kernels are checked against.

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// Walks from `square` in each of the eight directions over the opponent's discs; a walk that
// ends on a player's disc captures the discs it passed. The square must be empty.
Bitboard slowFlips(Bitboard player, Bitboard opponent, int square);

// The empty squares whose slowFlips are not empty.
Bitboard slowLegalMoves(Bitboard player, Bitboard opponent);

}  // namespace orvanta::engine
