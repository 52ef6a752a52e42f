#include <gtest/gtest.h>

#include <algorithm>

#include "engine/solve.hpp"
#include "tests/support/engine_games.hpp"
#include "tests/support/ffo.hpp"

namespace orvanta::engine {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Plain negamax over the whole tree, no pruning: the reference for the solver.
int minimax(const Position& position) {
    const Bitboard moves = position.moves();
    if (moves == 0) {
        return position.isOver() ? position.finalScore() : -minimax(position.after(kPass));
    }
    int best = kMinScore;
    for (Bitboard m = moves; m != 0; m &= m - 1) {
        best = std::max(best, -minimax(position.after(firstSquare(m))));
    }
    return best;
}

// Positions of seeded random games with 10 or fewer empty squares, forced passes among them,
// solved with each kernel, with a roomy table and with one of a single bucket: the exact score, a
// move that reaches it, and the bounds a window promises when the score lies outside it.
TEST(EngineSolve, AgreesWithMinimaxNearTheEnd) {
    std::vector<Position> chosen;
    int passes = 0;
    int seen = 0;
    for (const Position& p : testing::randomGamePositions(7, 300)) {
        const bool pass = p.mustPass() && p.empties() >= 2 && passes < 8;
        if (pass || (p.empties() >= 6 && p.empties() <= 10 && ++seen % 7 == 0 && seen < 7 * 32)) {
            chosen.push_back(p);
            passes += pass ? 1 : 0;
        }
    }
    ASSERT_EQ(passes, 8);
    TranspositionTable roomy(kMiB);
    TranspositionTable tiny(1);
    for (const Position& position : chosen) {
        const int exact = minimax(position);
        for (const Isa isa : {Isa::kPortable, Isa::kAvx2}) {
            if (!isaSupported(isa)) {
                continue;
            }
            for (TranspositionTable* table : {&roomy, &tiny}) {
                const SolveResult r = solve(position, *table, isa);
                ASSERT_EQ(r.score, exact) << position.text() << ' ' << isaName(isa);
                EXPECT_GT(r.nodes, 0u);
                const int reached =
                    r.move == kPass && position.isOver() ? exact : -minimax(position.after(r.move));
                EXPECT_EQ(reached, exact) << position.text() << ' ' << squareName(r.move);
            }
            for (const int offset : {-6, -2, -1, 0, 2}) {
                const int alpha = std::max(exact + offset, kMinScore);
                const int beta = std::min(exact + offset + 4, kMaxScore);
                const int score = solve(position, alpha, beta, roomy, isa).score;
                if (exact <= alpha) {
                    EXPECT_TRUE(exact <= score && score <= alpha)
                        << position.text() << ' ' << alpha;
                } else if (exact >= beta) {
                    EXPECT_TRUE(beta <= score && score <= exact) << position.text() << ' ' << beta;
                } else {
                    EXPECT_EQ(score, exact) << position.text() << ' ' << alpha;
                }
            }
        }
    }
}

// FFO positions 1 to 19 (14 to 16 empties): the exact score, and a best move whose score is
// the best (listed, or checked by solving the position after it).
TEST(EngineSolve, SolvesTheFirstFfoPositions) {
    const auto positions = testing::readFfo(ORVANTA_FFO_DIR "/fforum-1-19.obf");
    ASSERT_EQ(positions.size(), 19u);
    TranspositionTable table(16 * kMiB);
    for (const testing::FfoPosition& p : positions) {
        ASSERT_FALSE(p.moves.empty()) << "line " << p.line;
        const int best = p.moves.front().score;
        const SolveResult r = solve(p.position, table);
        EXPECT_EQ(r.score, best) << "FFO #" << p.line;
        const auto listed = std::find_if(p.moves.begin(), p.moves.end(),
                                         [&](const auto& m) { return m.move == r.move; });
        const int moveScore =
            listed != p.moves.end() ? listed->score : -solve(p.position.after(r.move), table).score;
        EXPECT_EQ(moveScore, best) << "FFO #" << p.line << ' ' << squareName(r.move);
    }
}

}  // namespace
}  // namespace orvanta::engine
