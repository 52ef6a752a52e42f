// Move scores (shared by the review and the hint) and the review of a game.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/solve.hpp"
#include "players/move_scores.hpp"
#include "tests/support/engine_games.hpp"

namespace orvanta {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// The exact score of every move of `position` for its mover, in discs, by the solver alone.
int exactScoreOf(const engine::Position& position, int move, engine::TranspositionTable& table) {
    const engine::Position child = position.after(move);
    if (child.isOver()) {
        return -child.finalScore();
    }
    if (child.mustPass()) {
        return engine::solve(child.after(engine::kPass), table).score;
    }
    return -engine::solve(child, table).score;
}

// Near the end every move is solved: the scores are the solver's, for every legal move, best
// first, forced passes of the opponent included; further from the end they are not exact but
// still cover every legal move in order.
TEST(ScoreMoves, EveryLegalMoveBestFirstExactWhereTheLevelSolves) {
    engine::Search search(4 * kMiB);
    engine::TranspositionTable table(kMiB);
    int exactChecked = 0;
    int opponentPasses = 0;
    int midgame = 0;
    int seen = 0;
    for (const engine::Position& p : testing::randomGamePositions(11, 40)) {
        if (p.moves() == 0) {
            EXPECT_TRUE(scoreMoves(search, p, 6).empty());
            continue;
        }
        if (++seen % 5 != 0 && p.empties() > 12) {
            continue;
        }
        const auto scores = scoreMoves(search, p, 6);  // level 6 solves from 12 empties
        ASSERT_EQ(static_cast<int>(scores.size()), engine::popcount(p.moves())) << p.text();
        engine::Bitboard covered = 0;
        for (std::size_t i = 0; i < scores.size(); ++i) {
            covered |= engine::bit(scores[i].move);
            if (i > 0) {
                EXPECT_GE(scores[i - 1].score, scores[i].score) << p.text();
            }
            const bool solvable = p.empties() - 1 <= 12;
            EXPECT_EQ(scores[i].exact, solvable) << p.text();
            if (solvable) {
                EXPECT_EQ(scores[i].score,
                          exactScoreOf(p, scores[i].move, table) * engine::kScoreScale)
                    << p.text() << ' ' << engine::squareName(scores[i].move);
                ++exactChecked;
                opponentPasses += p.after(scores[i].move).mustPass() ? 1 : 0;
            } else {
                ++midgame;
            }
        }
        EXPECT_EQ(covered, p.moves());
    }
    EXPECT_GT(exactChecked, 500);
    EXPECT_GT(opponentPasses, 3);
    EXPECT_GT(midgame, 500);
}

}  // namespace
}  // namespace orvanta
