// Move scores (shared by the review and the hint) and the review of a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "engine/solve.hpp"
#include "game/background_review.hpp"
#include "game/review.hpp"
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

// The worst legal move of `position` by the solver: the lowest exact score, the first square of
// those.
int worstMove(const engine::Position& position, engine::TranspositionTable& table) {
    int worst = engine::kPass;
    int lowest = engine::kMaxScore + 1;
    for (engine::Bitboard m = position.moves(); m != 0; m &= m - 1) {
        const int score = exactScoreOf(position, engine::firstSquare(m), table);
        if (score < lowest) {
            lowest = score;
            worst = engine::firstSquare(m);
        }
    }
    return worst;
}

// A game of the engine at a shallow depth up to 14 empty squares, then the worst legal moves
// for both sides to the end: the review names each of those that loses, with its exact loss
// by the solver, and no other move from there; the scores are exact from the position whose
// moves the level solves (15 empties at level 7) and not before.
TEST(Review, NamesTheMovesPlayedBadlyOnPurposeAndTheirExactLosses) {
    constexpr int kBadFrom = 14;
    constexpr int kLevel = 7;  // solves from 14 empties
    engine::Search player(4 * kMiB);
    engine::TranspositionTable table(4 * kMiB);
    engine::Position position;
    std::vector<int> moves;
    std::vector<engine::Position> before;  // the position before each move that is no pass
    while (!position.isOver()) {
        int move = engine::kPass;
        if (position.empties() > kBadFrom && position.moves() != 0) {
            engine::SearchLimits limits;
            limits.depth = 3;
            move = player.run(position, limits).move;
        } else if (position.moves() != 0) {
            move = worstMove(position, table);
        }
        if (move != engine::kPass) {
            before.push_back(position);
        }
        moves.push_back(move);
        position = position.after(move);
    }

    const Review review = reviewGame({}, moves, {true, true}, kLevel, 2 * kMiB);
    ASSERT_EQ(review.moves.size(), before.size());
    ASSERT_EQ(review.chart.size(), before.size());
    const std::vector<std::string> lines = reviewLines(review);
    const auto listed = [&](int number) {
        char start[8];
        std::snprintf(start, sizeof start, " %2d", number);
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.starts_with(std::string(start) + "手目");
        });
    };
    int named = 0;
    int exactLoss = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const ReviewedMove& m = review.moves[i];
        const engine::Position& p = before[i];
        ASSERT_EQ(m.number, static_cast<int>(i) + 1);
        ASSERT_EQ(m.colour, p.mover());
        const bool solvable = p.empties() - 1 <= 14;
        EXPECT_EQ(m.played.exact && m.best.exact, solvable) << m.number;
        if (p.empties() > kBadFrom) {
            continue;
        }
        int best = engine::kMinScore;
        for (engine::Bitboard b = p.moves(); b != 0; b &= b - 1) {
            best = std::max(best, exactScoreOf(p, engine::firstSquare(b), table));
        }
        const int played = exactScoreOf(p, m.played.move, table);
        const int loss = best - played;
        EXPECT_EQ(m.played.score, played * engine::kScoreScale) << m.number;
        EXPECT_EQ(m.best.score, best * engine::kScoreScale) << m.number;
        EXPECT_EQ(exactScoreOf(p, m.best.move, table), best) << m.number;
        EXPECT_EQ(listed(m.number), loss >= 1 ? 1 : 0) << m.number;
        if (loss >= 1) {
            const std::string text = engine::squareName(m.played.move) + " : " +
                                     (played > 0 ? "+" : "") + std::to_string(played);
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                    [&](const std::string& line) {
                                        return line.find("手目") != std::string::npos &&
                                               line.find(text) != std::string::npos &&
                                               line.find("損失 " + std::to_string(loss)) !=
                                                   std::string::npos;
                                    }))
                << m.number << " " << text;
            ++named;
            exactLoss += loss;
        }
        EXPECT_EQ(review.chart[i], p.mover() == engine::Colour::kBlack
                                       ? played * engine::kScoreScale
                                       : -played * engine::kScoreScale);
    }
    EXPECT_GE(named, 8);  // most of the bad moves lose something
    EXPECT_GT(exactLoss, 20);

    // The same review again, whatever the timing and the number of the threads that share it
    // (--threads).
    for (const int threads : {2, 1, 3}) {
        const Review again =
            reviewGame({}, moves, {true, true}, kLevel, 2 * kMiB, nullptr, {}, threads);
        EXPECT_EQ(reviewLines(again), lines) << threads << " threads";
    }
}

// Only the reviewed colour's moves are listed; the chart still follows every move.
TEST(Review, AfterAGameInPlayerModeOnlyTheHumansColourIsReviewed) {
    std::vector<int> moves;
    engine::Position position;
    for (const char* name : {"f5", "d6", "c3", "d3", "c4"}) {
        moves.push_back(*engine::parseSquare(name));
        position = position.after(moves.back());
    }
    const Review review = reviewGame({}, moves, {false, true}, 6, kMiB);
    ASSERT_EQ(review.moves.size(), 2u);
    EXPECT_EQ(review.moves[0].number, 2);
    EXPECT_EQ(review.moves[1].colour, engine::Colour::kWhite);
    EXPECT_EQ(review.chart.size(), 5u);
    EXPECT_TRUE(reviewLines(review)[1].starts_with(" 損失の合計 : 白 = "));
    // A move that is not legal ends the review there.
    moves.insert(moves.begin() + 2, *engine::parseSquare("a1"));
    EXPECT_EQ(reviewGame({}, moves, {true, true}, 6, kMiB).chart.size(), 2u);
}

// The screen of a made-up review: the losing moves in game order, the three worst marked (the
// earlier of equal losses first), totals, and a chart whose scale fits the largest score.
TEST(Review, ScreenListsLosingMovesMarksTheWorstAndDrawsTheChart) {
    const auto move = [](int number, engine::Colour colour, const char* played, int playedScore,
                         const char* best, int bestScore) {
        return ReviewedMove{number,
                            {},
                            colour,
                            {*engine::parseSquare(played), playedScore, false},
                            {*engine::parseSquare(best), bestScore, false}};
    };
    const auto black = engine::Colour::kBlack;
    const auto white = engine::Colour::kWhite;
    Review review;
    review.reviewed = {true, true};
    review.moves = {move(1, black, "f5", 0, "f5", 0),       move(2, white, "d6", -149, "c4", 50),
                    move(3, black, "c3", 210, "c3", 240),   move(4, white, "d3", -800, "c5", -100),
                    move(5, black, "c4", 1000, "e6", 1600), move(6, white, "b3", -1550, "f4", -900),
                    move(7, black, "a1", 2300, "b1", 2400)};
    review.chart = {0, 149, 249, 800, 1000, 1550, 2300};
    const std::vector<std::string> expected = {
        "  2手目 白 d6 : -1  最善 c4 : +1  損失 2",
        "  4手目 白 d3 : -8  最善 c5 : -1  損失 7  悪手",
        "  5手目 黒 c4 : +10  最善 e6 : +16  損失 6  悪手",
        "  6手目 白 b3 : -16  最善 f4 : -9  損失 7  悪手",
        "  7手目 黒 a1 : +23  最善 b1 : +24  損失 1",
        " 損失の合計 : 黒 = 7,  白 = 16",
        "",
        " 評価の推移（黒から見た石差）",
        "  +30 |",
        "  +24 |      *",
        "  +18 |     *",
        "  +12 |    *",
        "   +6 |   *",
        "    0 +***----",
        "   -6 |",
        "  -12 |",
        "  -18 |",
        "  -24 |",
        "  -30 |",
        "       1",
    };
    EXPECT_EQ(reviewLines(review), expected);

    review.reviewed = {false, true};
    review.moves = {move(2, white, "d6", -20, "c4", 20)};
    EXPECT_EQ(reviewLines(review)[0], " 石を損した手はありません");
    EXPECT_EQ(reviewLines(review)[1], " 損失の合計 : 白 = 0");
}

// A review takes what the cache holds for a position instead of searching it (here a made-up
// score that no search would give), and the background review fills the cache with what the
// review itself would find.
TEST(ReviewCache, TheReviewTakesWhatTheCacheHoldsAndTheBackgroundFindsTheSame) {
    std::vector<int> moves;
    for (const char* name : {"f5", "d6", "c3"}) {
        moves.push_back(*engine::parseSquare(name));
    }
    const engine::Position start;
    const ReviewJob first{start, moves[0], true};
    ReviewCache cache;
    cache.keep(first, {{moves[0], -7 * engine::kScoreScale, true}});
    const Review review = reviewGame(start, moves, {true, false}, 5, kMiB, &cache);
    ASSERT_FALSE(review.moves.empty());
    EXPECT_EQ(review.moves[0].played.score, -7 * engine::kScoreScale);
    EXPECT_EQ(review.chart[0], -7 * engine::kScoreScale);

    const ReviewJob second{start.after(moves[0]), moves[1], false};
    engine::Search search(reviewTableBytes(kMiB));
    const auto expected = reviewPosition(search, second, reviewLimits(5));
    BackgroundReview background(5, kMiB);
    background.add(second);
    std::optional<std::vector<MoveScore>> found;
    for (int wait = 0; wait < 1000 && !found; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        found = background.cache().find(second);
    }
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(found->front().move, expected.front().move);
    EXPECT_EQ(found->front().score, expected.front().score);
    EXPECT_FALSE(background.cache().find(first)) << "nothing it was not given";
}

// Where one colour is reviewed, the chart's fall at each of its moves is the move's listed loss:
// both come from the same search of the position.
TEST(Review, TheChartFallsByTheListedLossAtEveryReviewedMove) {
    // Sixteen plies, each a different choice among the legal moves.
    engine::Position position;
    std::vector<int> moves;
    for (int ply = 0; ply < 16; ++ply) {
        engine::Bitboard legal = position.moves();
        for (int skip = ply * 7 % engine::popcount(legal); skip > 0; --skip) {
            legal &= legal - 1;
        }
        moves.push_back(engine::firstSquare(legal));
        position = position.after(moves.back());
    }
    for (const std::array<bool, 2> reviewed : {std::array{true, false}, std::array{false, true}}) {
        const Review review = reviewGame({}, moves, reviewed, 6, kMiB);
        ASSERT_EQ(review.chart.size(), moves.size());
        for (const ReviewedMove& m : review.moves) {
            if (m.number < 2) {
                continue;
            }
            const auto at = static_cast<std::size_t>(m.number - 1);
            const int sign = m.colour == engine::Colour::kBlack ? 1 : -1;
            EXPECT_EQ(sign * (wholeDiscs(review.chart[at - 1]) - wholeDiscs(review.chart[at])),
                      wholeDiscs(m.best.score) - wholeDiscs(m.played.score))
                << "move " << m.number;
        }
    }
}

// A GUI's analysis of a game is the review's own: after each move the value is the chart's
// point there, passes have their own values, and the start comes last.
TEST(Review, TheAnalysisOfAGameForAGuiIsTheChartOfItsReview) {
    std::vector<int> moves;
    for (const char* square : {"c4", "c3", "c2", "b2", "e6", "c1", "a1", "a3", "", "c5", "b3"}) {
        moves.push_back(*square == 0 ? engine::kPass : *engine::parseSquare(square));
    }
    const Review review = reviewGame({}, moves, {false, false}, 6, kMiB);
    engine::Search search(reviewTableBytes(kMiB));
    std::vector<std::pair<std::size_t, int>> found;
    analyseBackwards(search, {}, moves, reviewLimits(6), [&](std::size_t n, int score) {
        found.emplace_back(n, score);
        return true;
    });
    ASSERT_EQ(found.size(), moves.size() + 1);
    std::vector<int> values(moves.size() + 1);
    for (std::size_t k = 0; k < found.size(); ++k) {
        EXPECT_EQ(found[k].first, moves.size() - k);  // the last first
        values[found[k].first] = found[k].second;
    }
    std::vector<int> chart;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        if (moves[i] != engine::kPass) {
            chart.push_back(values[i + 1]);
        }
    }
    EXPECT_EQ(chart, review.chart);
    // The start's value is its best move's: here f5's symmetric twin c4, played first.
    EXPECT_EQ(values[0], values[1]);

    // Told to stop, it stops.
    int told = 0;
    analyseBackwards(search, {}, moves, reviewLimits(6), [&](std::size_t, int) {
        ++told;
        return false;
    });
    EXPECT_EQ(told, 1);
}

}  // namespace
}  // namespace orvanta
