#pragma once

// The baseline the engine's rules are measured against: the plain way to do them on bitboards.
// Moves by flooding from the player's discs over the opponent's, one step at a time in each of
// the eight directions ("dumb7fill"); flips by walking from the square in each direction.

#include <cstdint>

#include "engine/position.hpp"

namespace orvanta::bench {

engine::Bitboard plainMoves(engine::Bitboard player, engine::Bitboard opponent);
engine::Bitboard plainFlips(engine::Bitboard player, engine::Bitboard opponent, int square);
// engine::perft's algorithm (the same template) over the plain rules.
std::uint64_t plainPerft(const engine::Position& position, int depth);

}  // namespace orvanta::bench
