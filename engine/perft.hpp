#pragma once

#include <cstdint>
#include <vector>

#include "engine/kernels.hpp"
#include "engine/position.hpp"

namespace orvanta::engine {

// The number of move sequences of `depth` plies from the position. A pass is a ply of its own;
// a game that ends before `depth` plies is not counted. Bulk counting: the last ply is the
// popcount of the move mask. No table: it measures the rules.
std::uint64_t perft(const Position& position, int depth, Isa isa = bestIsa());

// The same split by the first move (kPass for a forced pass), in square order, to narrow down a
// mismatch.
struct MoveCount {
    int move;
    std::uint64_t count;
};
std::vector<MoveCount> perftByMove(const Position& position, int depth, Isa isa = bestIsa());

}  // namespace orvanta::engine
