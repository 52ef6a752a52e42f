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

// Plain fail-hard alpha-beta to the end, in move-index order: a reference fast enough for a dozen
// empties, where the solver orders by the evaluation and uses the table.
int alphaBeta(Bitboard player, Bitboard opponent, int alpha, int beta) {
    Bitboard moves = legalMoves(player, opponent);
    if (moves == 0) {
        return legalMoves(opponent, player) == 0 ? finalScore(player, opponent)
                                                 : -alphaBeta(opponent, player, -beta, -alpha);
    }
    for (; moves != 0 && alpha < beta; moves &= moves - 1) {
        const int square = firstSquare(moves);
        const Bitboard f = flips(player, opponent, square);
        alpha = std::max(alpha, -alphaBeta(opponent ^ f, player ^ f ^ bit(square), -beta, -alpha));
    }
    return std::min(alpha, beta);
}

// Each part of the solver on its own ground, against a reference, with each kernel: the fixed
// solvers at 0 to 5 empties (the root hands its children to them; full boards and finished
// games among them) against minimax, and the evaluation-ordered, hashed search at 12 and 13
// empties against plain alpha-beta, with a full window and around the score.
TEST(EngineSolve, EachPartAgreesWithAReference) {
    struct Band {
        int fewest;
        int most;
        int wanted;  // positions from each band
    };
    const Band bands[] = {{0, 0, 20}, {1, 1, 40}, {2, 2, 40}, {3, 3, 40},
                          {4, 4, 40}, {5, 5, 40}, {12, 13, 4}};
    const auto all = testing::randomGamePositions(11, 200);
    TranspositionTable table(kMiB);
    for (const Band& band : bands) {
        int found = 0;
        for (std::size_t i = 0; i < all.size() && found < band.wanted; i += 3) {
            const Position& position = all[i];
            if (position.empties() < band.fewest || position.empties() > band.most) {
                continue;
            }
            ++found;
            const int exact = band.most <= 5 ? minimax(position)
                                             : alphaBeta(position.player(), position.opponent(),
                                                         kMinScore, kMaxScore);
            for (const Isa isa : {Isa::kPortable, Isa::kAvx2}) {
                if (!isaSupported(isa)) {
                    continue;
                }
                table.clear();
                const SolveResult r = solve(position, table, isa);
                ASSERT_EQ(r.score, exact) << position.text() << ' ' << isaName(isa);
                if (!position.isOver()) {
                    const Position after = position.after(r.move);
                    // fail-hard: the window around the claim returns it only when true
                    EXPECT_EQ(-alphaBeta(after.player(), after.opponent(), -exact - 1, -exact + 1),
                              exact)
                        << position.text() << ' ' << squareName(r.move);
                }
                for (const int offset : {-3, 0, 1}) {
                    const int alpha = std::clamp(exact + offset - 1, kMinScore, kMaxScore - 1);
                    const int beta = alpha + 1;
                    const int score = solve(position, alpha, beta, table, isa).score;
                    EXPECT_EQ(score > alpha, exact > alpha) << position.text() << ' ' << alpha;
                }
            }
        }
        EXPECT_EQ(found, band.wanted) << band.fewest << " empties";
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
