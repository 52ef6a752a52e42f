#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/eval_state.hpp"
#include "engine/patterns.hpp"
#include "engine/search.hpp"
#include "engine/solve.hpp"
#include "tests/support/engine_games.hpp"
#include "tests/support/plain_search.hpp"

namespace orvanta::engine {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// The squares of each shape, digit by digit, as drawn in patterns.hpp; and each extraction
// against reading those squares one by one.
TEST(EnginePatterns, ReadTheirSquaresInDigitOrder) {
    using patterns::Shape;
    const std::pair<Shape, const char*> cases[] = {
        {Shape::kEdgeX, "a1 b1 c1 d1 e1 f1 g1 h1 b2 g2"},
        {Shape::kCorner9, "a1 b1 c1 a2 b2 c2 a3 b3 c3"},
        {Shape::kCorner10, "a1 b1 c1 d1 e1 a2 b2 c2 d2 e2"},
        {Shape::kRow2, "a2 b2 c2 d2 e2 f2 g2 h2"},
        {Shape::kRow3, "a3 b3 c3 d3 e3 f3 g3 h3"},
        {Shape::kRow4, "a4 b4 c4 d4 e4 f4 g4 h4"},
        {Shape::kDiagonal8, "a1 b2 c3 d4 e5 f6 g7 h8"},
        {Shape::kDiagonal7, "b1 c2 d3 e4 f5 g6 h7"},
        {Shape::kDiagonal6, "c1 d2 e3 f4 g5 h6"},
        {Shape::kDiagonal5, "d1 e2 f3 g4 h5"},
        {Shape::kDiagonal4, "e1 f2 g3 h4"},
    };
    const auto boards = testing::randomGamePositions(11, 3);
    for (const auto& [shape, expected] : cases) {
        std::string names;
        const auto squares = patterns::squaresOf(shape);
        for (const int s : squares) {
            if (s >= 0) {
                names += (names.empty() ? "" : " ") + squareName(s);
            }
        }
        EXPECT_EQ(names, expected);
        for (const Position& p : boards) {
            unsigned plain = 0;
            for (std::size_t i = 0; i < squares.size() && squares[i] >= 0; ++i) {
                plain |= (p.player() >> squares[i] & 1) != 0 ? 1u << i : 0;
            }
            ASSERT_EQ(patterns::extract(shape, p.player()), plain) << expected;
        }
    }
}

// The eight symmetries of a position are the same position to the evaluation; a finished game
// scores its result, and nothing else reaches a final score.
TEST(EngineEval, GivesSymmetricPositionsOneScore) {
    for (const Position& p : testing::randomGamePositions(5, 12)) {
        const int score = evaluate(p.player(), p.opponent(), builtinWeights());
        if (p.isOver()) {
            EXPECT_EQ(score, p.finalScore() * kScoreScale) << p.text();
        } else {
            EXPECT_LT(std::abs(score), kSquares * kScoreScale) << p.text();
        }
        for (int k = 1; k < kSymmetries; ++k) {
            ASSERT_EQ(
                evaluate(symmetry(p.player(), k), symmetry(p.opponent(), k), builtinWeights()),
                score)
                << p.text() << " symmetry " << k;
        }
    }
}

// The readings kept move by move (passes too) are those read afresh from the board, and they
// evaluate as the evaluation does.
TEST(EngineEval, KeepsItsReadingsMoveByMove) {
    std::mt19937 random(17);
    for (int game = 0; game < 20; ++game) {
        Position p;
        EvalState state = EvalState::of(p.player(), p.opponent());
        while (!p.isOver()) {
            ASSERT_EQ(state, EvalState::of(p.player(), p.opponent())) << p.text();
            const Bitboard moves = p.moves();
            const Bitboard replies = legalMoves(p.opponent(), p.player());
            ASSERT_EQ(state.evaluate(builtinWeights(), p.empties(), moves, replies),
                      evaluate(p.player(), p.opponent(), builtinWeights()))
                << p.text();
            const int move = testing::randomMove(moves, random);
            state = move == kPass ? state.passed() : state.after(move, p.flipsOf(move));
            p = p.after(move);
        }
    }
}

// The cut statistics' text: the built-in file reads; a line out of range or malformed refuses
// the whole file, so that a damaged one prunes nothing rather than something wrong.
TEST(EngineCuts, ReadOnlyWholeWellFormedFiles) {
    EXPECT_FALSE(builtinCuts().empty());
    const std::string head = "orvanta-cuts 1\n# stage depth shallow slope intercept sigma pairs\n";
    const auto good = CutTable::parse(head + "6 12 6 9800 -35 512 400\nend 18 8 10100 40 430 90\n");
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(good->endgame(18).shallow, 8);
    EXPECT_EQ(good->endgame(18).sigma, 430);
    EXPECT_EQ(good->endgame(17).sigma, 0);
    const CutModel& m = good->model(30, 12);
    EXPECT_EQ(m.shallow, 6);
    EXPECT_EQ(m.slope, 9800);
    EXPECT_EQ(m.intercept, -35);
    EXPECT_EQ(m.sigma, 512);
    EXPECT_EQ(good->model(30, 11).sigma, 0);
    EXPECT_EQ(good->model(50, 12).sigma, 0) << "another stage";
    EXPECT_EQ(CutTable::parse(good->text())->text(), good->text());
    const char* bad[] = {
        "6 12 6 9800 -35 512\n",        // a field missing
        "6 12 6 9800 -35 512 400 1\n",  // one too many
        "12 12 6 9800 -35 512 400\n",   // no such stage
        "6 2 1 9800 -35 512 400\n",     // too shallow to cut
        "6 12 12 9800 -35 512 400\n",   // the shallow search as deep
        "6 12 6 0 -35 512 400\n",       // no slope
        "6 12 6 9800 -35 0 400\n",      // no error
        "6 12 6 9800 -35 x 400\n",      // not a number
        "6 12 6 9800 -35 99999999999 400\n",
        "end 18 18 10100 40 430 90\n",  // the shallow search to the end
        "end 0 1 10100 40 430 90\n",    // no empties
        "end 18 8 10100 40 430\n",      // a field missing
        "ends 18 8 10100 40 430 90\n",
    };
    for (const char* line : bad) {
        EXPECT_FALSE(CutTable::parse(head + line).has_value()) << line;
    }
    EXPECT_FALSE(CutTable::parse("orvanta-cuts 2\n").has_value());
    EXPECT_FALSE(CutTable::parse("").has_value());
}

// Searches of mid-game and late positions: a legal move, a principal variation of legal moves
// that starts with it, the plain alpha-beta value at a shallow depth, and once exact the
// solver's score with a move that reaches it.
TEST(EngineSearch, FindsTheValuesOfPlainSearchAndTheSolver) {
    struct Case {
        int low, high;  // empties
        SearchLimits limits;
        bool exact;
    };
    const Case cases[] = {
        {30, 56, {.depth = 3}, false},
        {20, 40, {.depth = 6}, false},
        {8, 14, {.depth = 4, .exactEmpties = 14}, true},
        {6, 9, {.depth = 10}, true},  // the depth reaches the end
    };
    testing::PlainSearch plain(
        [](Bitboard p, Bitboard o) { return evaluate(p, o, builtinWeights()); });
    TranspositionTable solveTable(kMiB);
    for (const Case& c : cases) {
        for (const Position& p : testing::samplePositions(3, 6, 9, c.low, c.high)) {
            Search search(kMiB);
            const SearchResult r = search.run(p, c.limits);
            ASSERT_NE(p.moves() & bit(r.move), 0u) << p.text();
            ASSERT_FALSE(r.pv.empty());
            EXPECT_EQ(r.pv.front(), r.move);
            Position line = p;
            for (const int move : r.pv) {
                ASSERT_TRUE(move == kPass ? line.mustPass() : (line.moves() & bit(move)) != 0)
                    << p.text() << ' ' << squareName(move);
                line = line.after(move);
            }
            EXPECT_EQ(r.exact, c.exact) << p.text();
            if (c.exact) {
                const int exact = solve(p, solveTable).score;
                EXPECT_EQ(r.score, exact * kScoreScale) << p.text();
                EXPECT_EQ(-solve(p.after(r.move), solveTable).score, exact) << p.text();
            } else if (c.limits.depth <= 3) {
                EXPECT_EQ(r.score, plain.root(p, c.limits.depth).second) << p.text();
            }
        }
    }
}

// Without `stop` the same search gives the same result: again after clear(), with either
// kernel, and under a node budget, which it respects (within the solver's polling interval).
TEST(EngineSearch, IsDeterministicAndKeepsToItsBudget) {
    struct Case {
        int low;  // empties
        SearchLimits limits;
        std::uint64_t cap;  // the most nodes it may spend, when the solver has no part
    };
    const Case cases[] = {
        {14, {.depth = 7}, 0},
        {30, {.depth = 20, .nodes = 20000}, 20000},
        {14, {.depth = 6, .exactEmpties = 18, .nodes = 50000}, 0},
    };
    for (const Case& c : cases) {
        for (const Position& p : testing::samplePositions(9, 4, 19, c.low, 50)) {
            std::vector<SearchResult> results;
            for (const Isa isa : {Isa::kPortable, Isa::kAvx2}) {
                if (isaSupported(isa)) {
                    Search search(4 * kMiB, builtinWeights(), builtinCuts(), isa);
                    results.push_back(search.run(p, c.limits));
                    search.clear();
                    results.push_back(search.run(p, c.limits));
                }
            }
            for (const SearchResult& r : results) {
                EXPECT_EQ(r.move, results[0].move) << p.text();
                EXPECT_EQ(r.score, results[0].score) << p.text();
                EXPECT_EQ(r.nodes, results[0].nodes) << p.text();
                EXPECT_EQ(r.pv, results[0].pv) << p.text();
                EXPECT_TRUE(c.cap == 0 || r.nodes <= c.cap) << p.text() << ' ' << r.nodes;
            }
        }
    }
}

// A stop at its first poll leaves the last iteration finished before it; rootScores lists
// every move, best first, with exact scores once its depth reaches the end.
TEST(EngineSearch, StopsOnRequestAndScoresEveryRootMove) {
    const Position p = testing::samplePositions(4, 2, 5, 24, 40).front();
    Search search(kMiB);
    const SearchResult stopped = search.run(p, {.depth = 30, .stop = [] { return true; }});
    search.clear();
    const SearchResult finished = search.run(p, {.depth = stopped.depth});
    EXPECT_LT(stopped.depth, 10);
    EXPECT_EQ(stopped.move, finished.move);
    EXPECT_EQ(stopped.score, finished.score);

    TranspositionTable table(kMiB);
    for (const Position& q : testing::samplePositions(6, 8, 11, 6, 9)) {
        const auto scores = search.rootScores(q, q.empties());
        ASSERT_EQ(scores.size(), static_cast<std::size_t>(popcount(q.moves())));
        for (std::size_t i = 0; i < scores.size(); ++i) {
            EXPECT_TRUE(i == 0 || scores[i - 1].second >= scores[i].second);
            EXPECT_EQ(scores[i].second, -solve(q.after(scores[i].first), table).score * kScoreScale)
                << q.text() << ' ' << squareName(scores[i].first);
        }
    }
}

}  // namespace
}  // namespace orvanta::engine
