// The time of a move under a clock, and a search that keeps to it while the clock runs.
#include <gtest/gtest.h>

#include "engine/search.hpp"
#include "engine/time_manager.hpp"

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
        std::optional<long long> hardMs;  // nothing: no limit
    } cases[] = {
        // 60 s for the 30 moves to come and 4 in reserve, 90% of it.
        {"sudden death at the start", {60, 0, 0}, std::nullopt, 60, 1588},
        {"sudden death, time left", {60, 0, 0}, TimeLeft{10, 0}, 20, 642},
        {"main time and byo-yomi", {60, 30, 10}, std::nullopt, 60, 1588 + 2700},
        {"in byo-yomi: the period over its stones", {60, 30, 10}, TimeLeft{25, 5}, 40, 4500},
        {"byo-yomi without stones: no limit", {60, 30, 0}, std::nullopt, 60, std::nullopt},
        {"no time at all: the floor", {0, 0, 0}, TimeLeft{0.001, 0}, 30, 10},
        {"the last move", {60, 0, 0}, TimeLeft{1, 0}, 1, 180},
        // Clocks beyond what nanoseconds hold give a day, not the floor.
        {"a clock of centuries", {9.2e18, 0, 0}, std::nullopt, 60, 86'400'000},
        {"centuries left", {60, 0, 0}, TimeLeft{1e300, 0}, 20, 86'400'000},
        {"a byo-yomi of centuries", {0, 9.2e18, 1}, std::nullopt, 60, 86'400'000},
    };
    for (const auto& c : cases) {
        const auto time = moveTime(c.control, c.left, c.empties);
        ASSERT_EQ(time.has_value(), c.hardMs.has_value()) << c.what;
        if (time) {
            EXPECT_EQ(std::chrono::duration_cast<milliseconds>(time->hard).count(), *c.hardMs)
                << c.what;
            EXPECT_LT(time->soft, time->hard) << c.what;
            EXPECT_GE(time->hard, engine::kShortestMove) << c.what;
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

}  // namespace
}  // namespace orvanta
