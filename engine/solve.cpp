#include "engine/solve.hpp"

namespace orvanta::engine {

SolveResult solve(const Position& position, TranspositionTable& table, Isa isa) {
    return solve(position, kMinScore, kMaxScore, table, isa);
}

SolveResult solve(const Position& position, int alpha, int beta, TranspositionTable& table,
                  Isa isa) {
    return solve(position, alpha, beta, table, SolveBudget{}, isa);
}

SolveResult solve(const Position& position, int alpha, int beta, TranspositionTable& table,
                  const SolveBudget& budget, Isa isa) {
    assert(kMinScore <= alpha && alpha < beta && beta <= kMaxScore);
    return kernels(isa).solve(position.player(), position.opponent(), alpha, beta, table, budget);
}

}  // namespace orvanta::engine
