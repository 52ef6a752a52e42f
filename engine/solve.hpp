#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "engine/eval.hpp"
#include "engine/kernels.hpp"
#include "engine/position.hpp"
#include "engine/score.hpp"
#include "engine/transposition.hpp"

namespace orvanta::engine {

class ThreadPool;

struct SolveResult {
    // The final disc difference for the mover under best play, empties to the winner; with a
    // window (alpha, beta), a score <= alpha is only an upper bound and one >= beta a lower one.
    int score = 0;
    // The move that reaches it: a square, or kPass when the mover must pass or the game is over.
    int move = kPass;
    // Positions searched.
    std::uint64_t nodes = 0;
};

// How much a solve may spend: it gives up once `nodes` positions are searched by all its threads
// (0: no limit) or when `stop`, polled every few thousand positions, says so (may be empty; only
// the calling thread calls it). Giving up throws SolveAbandoned out of solve(); the table keeps
// only true results. With more than one thread the score stays exact, but the move (among
// equals), the node count and the table's contents may differ from run to run.
struct SolveBudget {
    std::uint64_t nodes = 0;
    std::function<bool()> stop;
    int threads = 1;  // the calling thread and threads - 1 helpers
    // The helpers' workers (at least threads - 1 of them); without a pool, the solve starts
    // threads of its own.
    ThreadPool* pool = nullptr;
    // The evaluation that orders the moves (by shallow searches); the built-in one when empty.
    // The score is exact whatever it is; the move chosen among equally good ones is not.
    std::optional<EvalWeights> ordering;
};
struct SolveAbandoned {
    std::uint64_t nodes = 0;  // spent before giving up
};

// Solves the position exactly to the end of the game. The table carries results between calls
// (they stay true); the caller owns it and chooses its size.
SolveResult solve(const Position& position, TranspositionTable& table, Isa isa = bestIsa());
// The same within the window alpha < score < beta (kMinScore <= alpha < beta <= kMaxScore).
SolveResult solve(const Position& position, int alpha, int beta, TranspositionTable& table,
                  Isa isa = bestIsa());
// The same under a budget.
SolveResult solve(const Position& position, int alpha, int beta, TranspositionTable& table,
                  const SolveBudget& budget, Isa isa = bestIsa());

}  // namespace orvanta::engine
