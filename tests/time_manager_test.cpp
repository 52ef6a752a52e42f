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

TEST(TimeManager, EachClockGivesItsShareAndNoMoveLessThanTheFloor) {
    const struct {
        const char* what;
        TimeControl control;
        std::optional<TimeLeft> left;
        int empties;
        std::optional<std::pair<long long, long long>> ms;  // hard and soft; nothing: no limit
    } cases[] = {
        // 60 s for the 30 moves to come and 4 in reserve, 90% of it; half of that is soft.
        {"sudden death at the start", {60, 0, 0}, std::nullopt, 60, {{1588, 794}}},
        {"sudden death, time left", {60, 0, 0}, TimeLeft{10, 0}, 20, {{642, 321}}},
        {"main time and byo-yomi", {60, 30, 10}, std::nullopt, 60, {{1588 + 2700, 2144}}},
        {"in byo-yomi: the period over its stones",
         {60, 30, 10},
         TimeLeft{25, 5},
         40,
         {{4500, 2250}}},
        // Time a move does not spend is lost with its period: all of it may be spent.
        {"the last stone of a period", {60, 30, 10}, TimeLeft{4, 1}, 40, {{3600, 3600}}},
        {"a byo-yomi of one stone", {0, 1, 1}, std::nullopt, 60, {{900, 900}}},
        {"main time before a byo-yomi of one stone", {60, 1, 1}, std::nullopt, 60, {{2488, 1244}}},
        {"byo-yomi without stones: no limit", {60, 30, 0}, std::nullopt, 60, std::nullopt},
        {"no time at all: the floor", {0, 0, 0}, TimeLeft{0.001, 0}, 30, {{10, 5}}},
        {"the last move", {60, 0, 0}, TimeLeft{1, 0}, 1, {{180, 90}}},
        // Clocks beyond what nanoseconds hold give a day, not the floor.
        {"a clock of centuries", {9.2e18, 0, 0}, std::nullopt, 60, {{86'400'000, 43'200'000}}},
        {"centuries left", {60, 0, 0}, TimeLeft{1e300, 0}, 20, {{86'400'000, 43'200'000}}},
        {"a byo-yomi of centuries", {0, 9.2e18, 1}, std::nullopt, 60, {{86'400'000, 86'400'000}}},
    };
    for (const auto& c : cases) {
        const auto time = moveTime(c.control, c.left, c.empties);
        ASSERT_EQ(time.has_value(), c.ms.has_value()) << c.what;
        if (time) {
            EXPECT_EQ(std::chrono::duration_cast<milliseconds>(time->hard).count(), c.ms->first)
                << c.what;
            EXPECT_EQ(std::chrono::duration_cast<milliseconds>(time->soft).count(), c.ms->second)
                << c.what;
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
