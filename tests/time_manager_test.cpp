// The time of a move under a clock, and a search that keeps to it while the clock runs.
#include <gtest/gtest.h>

#include "engine/search.hpp"
#include "engine/time_manager.hpp"
#include "tests/support/engine_games.hpp"

namespace orvanta {
namespace {

using engine::moveTime;
using engine::TimeControl;
using engine::TimeLeft;
using std::chrono::milliseconds;

// What must hold of every move's time, over a grid of clocks, times left and stages: it is never
// more than the clock holds for the move (but for the floor), more time left or fewer moves to
// come never give less, the soft limit is within the hard one, the last stone of a period may
// spend the period, and a clock beyond any game is capped at a day rather than wrapped.
TEST(TimeManager, AMovesTimeKeepsWithinTheClockAndGrowsWithIt) {
    using std::chrono::duration;
    const auto seconds = [](std::chrono::nanoseconds t) { return duration<double>(t).count(); };
    const double floor = seconds(engine::kShortestMove);
    const double day = 24.0 * 60 * 60;
    int checked = 0;
    for (const double main : {0.0, 1.0, 60.0, 600.0, 1e6, 9.2e18}) {
        for (const double byoYomi : {0.0, 1.0, 15.0, 30.0}) {
            for (const long long stones : {0LL, 1LL, 5LL, 25LL}) {
                const TimeControl control{main, byoYomi, stones};
                if (byoYomi > 0 && stones == 0) {
                    EXPECT_FALSE(moveTime(control, std::nullopt, 30)) << "no limit at all";
                    continue;
                }
                for (const long long stonesLeft : {0LL, 1LL, 3LL}) {
                    std::optional<engine::MoveTime> lessTime;
                    for (const double left : {0.0, 0.001, 0.5, 10.0, 100.0, 1e4, 1e300}) {
                        std::optional<engine::MoveTime> fewerToCome;
                        for (const int empties : {1, 10, 30, 60}) {
                            const auto time =
                                moveTime(control, TimeLeft{left, stonesLeft}, empties);
                            ASSERT_TRUE(time);
                            const double hard = seconds(time->hard);
                            const double soft = seconds(time->soft);
                            const std::string what =
                                std::to_string(main) + " " + std::to_string(byoYomi) + "/" +
                                std::to_string(stones) + ", left " + std::to_string(left) + "/" +
                                std::to_string(stonesLeft) + ", empties " + std::to_string(empties);
                            // Within the clock: the time left, and in main time a period's
                            // share too; never less than the floor, never more than a day.
                            const double period = stonesLeft > 0 ? 0 : byoYomi;
                            EXPECT_LE(hard, std::max(std::min(left + period, day), floor) + 1e-6)
                                << what;
                            EXPECT_GE(hard, floor - 1e-9) << what;
                            EXPECT_LE(soft, hard) << what;
                            EXPECT_GT(soft, 0) << what;
                            // The last stone of a period spends what would be lost.
                            if (stonesLeft == 1) {
                                EXPECT_EQ(time->soft, time->hard) << what;
                                EXPECT_GE(hard, std::min(0.9 * left, day) - 1e-6) << what;
                            }
                            // More moves to come (more empties, along this loop) never give a
                            // move more time.
                            if (fewerToCome) {
                                EXPECT_LE(time->hard, fewerToCome->hard) << what;
                            }
                            fewerToCome = time;
                            if (empties == 30 && lessTime) {
                                EXPECT_GE(time->hard, lessTime->hard) << what;
                            }
                            if (empties == 30) {
                                lessTime = time;
                            }
                            ++checked;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

// A deadline counts from when it is made: its soft stop comes first, at the soft limit, and its
// hard stop at the hard one, whatever the clock read before.
TEST(TimeManager, ADeadlineCountsFromWhenItIsMade) {
    std::chrono::nanoseconds now = std::chrono::seconds(1000);
    const engine::SteadyClock clock = [&now] { return now; };
    const engine::Deadline deadline =
        engine::deadline(clock, {milliseconds(100), milliseconds(300)});
    const struct {
        long long after;  // ms after the deadline was made
        bool soft;
        bool hard;
    } cases[] = {{0, false, false},
                 {100, false, false},
                 {101, true, false},
                 {300, true, false},
                 {301, true, true}};
    for (const auto& c : cases) {
        now = std::chrono::seconds(1000) + milliseconds(c.after);
        EXPECT_EQ(deadline.softStop(), c.soft) << c.after;
        EXPECT_EQ(deadline.stop(), c.hard) << c.after;
    }
}

// Before any time_left, the clock's main time is what is left.
TEST(TimeManager, BeforeAnyTimeLeftTheMainTimeIsLeft) {
    for (const TimeControl control : {TimeControl{60, 0, 0}, TimeControl{600, 30, 10}}) {
        for (const int empties : {10, 60}) {
            EXPECT_EQ(moveTime(control, std::nullopt, empties)->hard,
                      moveTime(control, TimeLeft{control.mainSeconds, 0}, empties)->hard);
        }
    }
}

// The search polls its stop now and then; here each poll advances a clock by 1 ms. A search that
// ran on past the limit would poll many more times.
TEST(TimeManager, ASearchStopsAtTheHardLimitOfARunningClockWithAMove) {
    long long now = 0;
    long long pollsAfterLimit = 0;
    const long long limit = 40;
    engine::SearchLimits limits;
    limits.depth = 30;
    limits.exactEmpties = 30;
    limits.stop = [&] {
        ++now;
        pollsAfterLimit += now > limit ? 1 : 0;
        return now > limit;
    };
    engine::Search search(1 << 20);
    const engine::Position start;
    const auto result = search.run(start, limits);
    EXPECT_NE(start.moves() & engine::bit(result.move), 0u);
    EXPECT_EQ(pollsAfterLimit, 1) << "the first poll past the limit ends the search";
    EXPECT_GT(result.depth, 1);
    // With a soft limit the search begins no iteration once it has passed.
    long long iterations = 0;
    limits.stop = {};
    limits.softStop = [&] { return ++iterations >= 3; };
    EXPECT_EQ(search.run(start, limits).depth, 3);
}

// When the clock stops the last iteration at its last poll, the move is one that iteration has
// already proved, if any; when the node budget stops it there, the move stays the last finished
// iteration's, as the levels were measured with. Among positions whose best move changes from
// depth 6 to depth 7, at least one has the deeper move proved before that poll.
TEST(TimeManager, AClockStoppingAnIterationTakesTheMoveItHasAlreadyProved) {
    constexpr int kDepth = 6;
    constexpr std::size_t kTable = std::size_t{1} << 22;
    int changed = 0;
    int provedInTime = 0;
    for (const auto& p : testing::samplePositions(21, 6, 7, 30, 46)) {
        engine::SearchLimits limits;
        limits.depth = kDepth;
        const auto shallow = engine::Search(kTable).run(p, limits);
        limits.depth = kDepth + 1;
        long long polls = 0;
        limits.stop = [&] { return ++polls < 0; };
        const auto deep = engine::Search(kTable).run(p, limits);
        if (deep.move == shallow.move) {
            continue;
        }
        ++changed;
        const long long lastPoll = polls;
        polls = 0;
        limits.stop = [&] { return ++polls >= lastPoll; };
        const auto clocked = engine::Search(kTable).run(p, limits);
        ASSERT_EQ(clocked.depth, kDepth);
        ASSERT_NE(p.moves() & engine::bit(clocked.move), 0u);
        provedInTime += clocked.move == deep.move ? 1 : 0;

        limits.stop = {};
        limits.nodes = deep.nodes - 1;
        const auto budgeted = engine::Search(kTable).run(p, limits);
        EXPECT_EQ(budgeted.depth, kDepth);
        EXPECT_EQ(budgeted.move, shallow.move);
    }
    EXPECT_GE(changed, 2);
    EXPECT_GE(provedInTime, 1);
}

}  // namespace
}  // namespace orvanta
