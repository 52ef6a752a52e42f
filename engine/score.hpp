#pragma once

// The units of every score of the engine, always from the side of the player to move.

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// A finished game scores its disc difference, the empty squares going to the winner: from
// kMinScore to kMaxScore. The exact solver works in these whole discs.
inline constexpr int kMinScore = -kSquares;
inline constexpr int kMaxScore = kSquares;

// The evaluation and the mid-game search work in hundredths of a disc: an exact result is its
// disc difference times kScoreScale.
inline constexpr int kScoreScale = 100;

// The best mid-game score, that of the best final result; a search window may reach one beyond
// it on either side (kInfinity).
inline constexpr int kBest = kMaxScore * kScoreScale;
inline constexpr int kInfinity = kBest + 1;

// The evaluation stays strictly inside what only a finished game can claim.
inline constexpr int kEvalLimit = kBest - 1;

}  // namespace orvanta::engine
