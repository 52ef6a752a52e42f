#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/position.hpp"
#include "engine/score.hpp"

namespace orvanta::testing {

// Plain negamax with alpha-beta: moves in square order, no table, no ordering. A pass does not
// count as a ply; a finished game scores its exact result (the evaluation must give it at the
// leaves). The reference for the search's
// values in the tests and its baseline in the benchmark.
template <class Evaluate>
class PlainSearch {
  public:
    explicit PlainSearch(Evaluate evaluate) : evaluate_(evaluate) {}

    int search(engine::Bitboard player, engine::Bitboard opponent, int depth, int alpha, int beta) {
        using namespace engine;
        ++nodes_;
        if (depth == 0) {
            return evaluate_(player, opponent);
        }
        Bitboard moves = legalMoves(player, opponent);
        if (moves == 0) {
            if (legalMoves(opponent, player) == 0) {
                return finalScore(player, opponent) * kScale;
            }
            return -search(opponent, player, depth, -beta, -alpha);
        }
        int best = -kInfinity;
        for (; moves != 0; moves &= moves - 1) {
            const int square = firstSquare(moves);
            const Bitboard flipped = flips(player, opponent, square);
            best = std::max(best, -search(opponent ^ flipped, player ^ flipped ^ bit(square),
                                          depth - 1, -beta, -std::max(alpha, best)));
            if (best >= beta) {
                break;
            }
        }
        return best;
    }

    // The best move and its score at `depth` plies from a position with a move.
    std::pair<int, int> root(const engine::Position& position, int depth) {
        std::pair<int, int> best{engine::kPass, -kInfinity};
        for (engine::Bitboard m = position.moves(); m != 0; m &= m - 1) {
            const engine::Position child = position.after(engine::firstSquare(m));
            const int score =
                -search(child.player(), child.opponent(), depth - 1, -kInfinity, -best.second);
            if (score > best.second) {
                best = {engine::firstSquare(m), score};
            }
        }
        return best;
    }

    std::uint64_t nodes() const { return nodes_; }

    static constexpr int kScale = engine::kScoreScale;
    static constexpr int kInfinity = engine::kInfinity;

  private:
    Evaluate evaluate_;
    std::uint64_t nodes_ = 0;
};

}  // namespace orvanta::testing
