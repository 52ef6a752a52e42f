#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/search.hpp"
#include "engine/solve.hpp"
#include "engine/threads.hpp"
#include "players/levels.hpp"
#include "tests/support/engine_games.hpp"
#include "tests/support/ffo.hpp"

namespace orvanta::engine {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

SolveResult solveOn(int threads, const Position& position, TranspositionTable& table,
                    int alpha = kMinScore, int beta = kMaxScore) {
    SolveBudget budget;
    budget.threads = threads;
    return solve(position, alpha, beta, table, budget);
}

// The pool's workers are started once and serve batch after batch: each batch runs its job as
// many times as asked (no more than there are workers), on the workers only, waits for them all,
// and a job that throws leaves the worker serving. A solve on a pool uses its workers.
TEST(EngineThreads, ThePoolServesBatchAfterBatch) {
    ThreadPool pool(3);
    ASSERT_EQ(pool.workers(), 3);
    std::mutex mutex;
    std::set<std::thread::id> seen;
    for (const int count : {3, 1, 5, 0, 2}) {
        std::atomic<int> runs = 0;
        {
            const auto batch = pool.run(
                [&] {
                    ++runs;
                    const std::lock_guard lock(mutex);
                    seen.insert(std::this_thread::get_id());
                    if (runs == 1) {
                        throw std::runtime_error("a failing job");
                    }
                },
                count);
        }
        EXPECT_EQ(runs, std::min(count, 3)) << count;
    }
    EXPECT_LE(seen.size(), 3u) << "the same three workers throughout";
    EXPECT_EQ(seen.count(std::this_thread::get_id()), 0u);

    const auto positions = testing::readFfo(ORVANTA_FFO_DIR "/fforum-1-19.obf");
    TranspositionTable table(4 * kMiB);
    SolveBudget budget;
    budget.threads = 4;
    budget.pool = &pool;
    EXPECT_EQ(solve(positions.at(0).position, kMinScore, kMaxScore, table, budget).score,
              positions.at(0).moves.front().score);
}

// Shared work (the reviews, the trainer): every item once, on workers numbered below the threads
// asked for; a failing item is thrown to the caller, and only once no thread is still inside an
// item (the slow items keep the others busy when it fails).
TEST(EngineThreads, SharedWorkDoesEveryItemOnceAndReportsAFailure) {
    const struct {
        int threads;
        int count;
        int failing;  // -1: none
    } cases[] = {{1, 10, -1}, {2, 100, -1}, {3, 7, -1}, {4, 0, -1},
                 {2, 1, -1},  {1, 10, 4},   {3, 12, 0}, {2, 12, 11}};
    for (const auto& c : cases) {
        std::mutex mutex;
        std::vector<int> done(static_cast<std::size_t>(c.count), 0);
        std::set<int> workers;
        std::atomic<int> inside{0};
        const auto share = [&] {
            shareWork(c.threads, c.count, [&](int item, int worker) {
                ++inside;
                {
                    const std::lock_guard lock(mutex);
                    ++done[static_cast<std::size_t>(item)];
                    workers.insert(worker);
                }
                if (item == c.failing) {
                    --inside;
                    throw std::runtime_error("item failed");
                }
                if (c.failing >= 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                --inside;
            });
        };
        const std::string what =
            std::to_string(c.threads) + " threads, " + std::to_string(c.count) + " items";
        if (c.failing < 0) {
            share();
            EXPECT_TRUE(std::all_of(done.begin(), done.end(), [](int n) { return n == 1; }))
                << what;
        } else {
            EXPECT_THROW(share(), std::runtime_error) << what;
            EXPECT_TRUE(std::all_of(done.begin(), done.end(), [](int n) { return n <= 1; }))
                << what;
        }
        EXPECT_EQ(inside, 0) << what;
        EXPECT_TRUE(workers.empty() || (*workers.begin() >= 0 && *workers.rbegin() < c.threads))
            << what;
    }
}

// FFO positions 1 to 7 (14 empties) on several threads, each from an empty table and then again
// on the table the others left: the listed score, and a move the list gives that score.
TEST(EngineThreads, SolveTheFirstFfoPositionsExactly) {
    const auto positions = testing::readFfo(ORVANTA_FFO_DIR "/fforum-1-19.obf");
    ASSERT_GE(positions.size(), 7u);
    TranspositionTable shared(4 * kMiB);
    for (const int threads : {2, 3}) {
        for (std::size_t i = 0; i < 7; ++i) {
            const testing::FfoPosition& p = positions[i];
            TranspositionTable fresh(4 * kMiB);
            for (TranspositionTable* table : {&fresh, &shared}) {
                const SolveResult r = solveOn(threads, p.position, *table);
                EXPECT_EQ(r.score, p.moves.front().score) << "FFO #" << p.line << ' ' << threads;
                const auto listed = std::find_if(p.moves.begin(), p.moves.end(),
                                                 [&](const auto& m) { return m.move == r.move; });
                const int moveScore = listed != p.moves.end()
                                          ? listed->score
                                          : -solveOn(1, p.position.after(r.move), *table).score;
                EXPECT_EQ(moveScore, p.moves.front().score) << "FFO #" << p.line;
            }
        }
    }
}

// Positions of 14 to 16 empties from random games: on two and four threads the solver finds the
// score of the single-threaded one, with a full window and with null windows on either side of
// it (nodes whose moves are shared and then cut), and a move that reaches the score.
TEST(EngineThreads, SolveAgreesWithOneThread) {
    const auto positions = testing::samplePositions(31, 60, 11, 14, 16);
    ASSERT_GE(positions.size(), 12u);
    TranspositionTable table(4 * kMiB);
    for (const Position& p : positions) {
        table.clear();
        const int exact = solveOn(1, p, table).score;
        for (const int threads : {2, 4}) {
            table.clear();
            const SolveResult r = solveOn(threads, p, table);
            ASSERT_EQ(r.score, exact) << p.text() << ' ' << threads;
            EXPECT_EQ(-solveOn(1, p.after(r.move), table).score, exact) << p.text();
            for (const int alpha : {exact - 1, exact}) {
                if (alpha < kMinScore || alpha >= kMaxScore) {
                    continue;
                }
                table.clear();
                const int score = solveOn(threads, p, table, alpha, alpha + 1).score;
                EXPECT_EQ(score > alpha, exact > alpha) << p.text() << ' ' << alpha;
            }
        }
    }
}

// A solve on two threads that gives up (node budget, or `stop` on the calling thread only)
// reports the nodes of both and leaves only true results: the table then solves the position
// exactly.
TEST(EngineThreads, AnAbandonedSolveLeavesATrueTable) {
    const Position p = testing::samplePositions(5, 20, 7, 18, 18).front();
    TranspositionTable reference(4 * kMiB);
    const int exact = solveOn(1, p, reference).score;
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> polls = 0;
    std::atomic<bool> elsewhere = false;
    const SolveBudget budgets[] = {
        {.nodes = 20000, .threads = 2},
        {.stop =
             [&] {
                 elsewhere = elsewhere || std::this_thread::get_id() != caller;
                 return ++polls > 3;
             },
         .threads = 2},
    };
    for (const SolveBudget& budget : budgets) {
        TranspositionTable table(4 * kMiB);
        try {
            solve(p, kMinScore, kMaxScore, table, budget);
            ADD_FAILURE() << "not abandoned";
        } catch (const SolveAbandoned& abandoned) {
            EXPECT_GE(abandoned.nodes, budget.nodes);
        }
        EXPECT_EQ(solveOn(2, p, table).score, exact) << p.text();
    }
    EXPECT_FALSE(elsewhere);
}

// The mid-game search on two threads: a legal move heading its line, every search ended by
// `stop` (only ever called on the calling thread), and a node budget that counts both threads'
// nodes; near the end it solves exactly, as on one thread.
TEST(EngineThreads, SearchPlaysLegalMovesStopsWhenToldAndSolvesExactly) {
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    Search search(4 * kMiB);
    search.setThreads(2);
    for (const Position& p : testing::samplePositions(12, 6, 13, 24, 50)) {
        const SearchResult r = search.run(p, {.depth = 8});
        ASSERT_FALSE(r.pv.empty());
        EXPECT_EQ(r.pv.front(), r.move);
        EXPECT_NE(p.moves() & bit(r.move), 0u) << p.text();
        EXPECT_EQ(r.depth, 8);

        int polls = 0;
        const SearchResult stopped =
            search.run(p, {.depth = 40, .stop = [&] {
                               elsewhere = elsewhere || std::this_thread::get_id() != caller;
                               return ++polls > 2;
                           }});
        EXPECT_NE(p.moves() & bit(stopped.move), 0u) << p.text();
        EXPECT_LT(stopped.depth, 40);

        // Each thread adds its nodes to the shared count every 1024 nodes.
        const SearchResult budgeted = search.run(p, {.depth = 40, .nodes = 30000});
        EXPECT_NE(p.moves() & bit(budgeted.move), 0u) << p.text();
        EXPECT_LE(budgeted.nodes, 30000u + 2 * 1024 + 64) << p.text();
    }
    EXPECT_FALSE(elsewhere);

    TranspositionTable table(4 * kMiB);
    for (const Position& p : testing::samplePositions(13, 20, 11, 14, 16)) {
        const SearchResult r = search.run(p, {.depth = 4, .exactEmpties = 16});
        ASSERT_TRUE(r.exact);
        const int exact = solveOn(1, p, table).score;
        EXPECT_EQ(r.score, exact * kScoreScale) << p.text();
        EXPECT_EQ(-solveOn(1, p.after(r.move), table).score, exact) << p.text();
    }
}

// A level's node budget is for each thread: on two threads the computer searches more in about
// the same time, rather than the same in less. A search keeps to its budget on any number of
// threads (above). Under a clock the strongest level spends the clock's time instead.
TEST(EngineThreads, ALevelsNodeBudgetIsForEachThread) {
    struct Case {
        int level, threads;
        bool clocked;
        std::uint64_t nodes;
    };
    const Case cases[] = {
        {kMaxLevel, 1, false, 7'000'000},
        {kMaxLevel, 2, false, 14'000'000},
        {8, 4, false, 4'000'000},
        {8, 0, false, 1'000'000},  // taken as one
        {6, 2, false, 0},          // no budget: still none
        {kMaxLevel, 1, true, 0},
        {kMaxLevel - 1, 2, true, 6'000'000},  // the levels below keep theirs
    };
    for (const Case& c : cases) {
        const SearchLimits limits = levelLimits(c.level, c.threads, c.clocked);
        EXPECT_EQ(limits.nodes, c.nodes) << c.level << " " << c.threads << " " << c.clocked;
        EXPECT_EQ(limits.depth, levelSettings(c.level).depth);
        EXPECT_EQ(limits.exactEmpties, levelSettings(c.level).exactEmpties);
    }
}

// Threads that store and probe the same few buckets at once: every answer is one that was stored
// for that very position, never a mix of two entries. Each position's bounds and move are a
// function of the position, so that any mismatch shows.
TEST(EngineThreads, TheTableNeverAnswersWithATornEntry) {
    TranspositionTable table(256);  // a handful of buckets: every store displaces another
    const auto expected = [](Bitboard player) {
        const int lower = static_cast<int>(player % 61) - 30;
        return Stored{lower, lower + static_cast<int>(player % 7), static_cast<int>(player % 64),
                      static_cast<int>(player % 20)};
    };
    std::atomic<int> wrong = 0;
    std::atomic<int> hits = 0;
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::uint64_t state = 0x9e3779b97f4a7c15 * (t + 1);
            for (int i = 0; i < 200000; ++i) {
                state = state * 6364136223846793005 + 1442695040888963407;
                const Bitboard player = (state >> 20) % 512 + 1;  // few positions, many clashes
                const Bitboard opponent = ~player << 8;
                if (i % 2 == 0) {
                    table.store(player, opponent, expected(player), state % 1000);
                } else if (const auto got = table.probe(player, opponent)) {
                    const Stored want = expected(player);
                    ++hits;
                    if (got->lower != want.lower || got->upper != want.upper ||
                        got->move != want.move || got->depth != want.depth) {
                        ++wrong;
                    }
                }
            }
        });
    }
    threads.clear();
    EXPECT_GT(hits, 0);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace orvanta::engine
