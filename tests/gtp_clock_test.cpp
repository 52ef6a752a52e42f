#include "bench/gtp_clock.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvanta::bench {
namespace {

// What a match tells an engine before each move: main time while it lasts (0 stones), then the
// period's time and stones, a new period once its stones are played, an overdraft of the main
// time taken from the first period, and never less than a millisecond.
TEST(GtpClock, TellsWhatIsLeftOfMainTimeAndEachPeriod) {
    struct Case {
        const char* settings;
        std::vector<std::pair<double, const char*>> moves;  // seconds spent, then what is told
        const char* first;
    };
    const Case cases[] = {
        {"0 1 2", {{0.3, "0.700 1"}, {0.6, "1.000 2"}, {0.25, "0.750 1"}}, "1.000 2"},
        {"0 1 1", {{0.9, "1.000 1"}, {0.2, "1.000 1"}}, "1.000 1"},
        {"0 1 2", {{1.5, "0.001 1"}, {0.1, "1.000 2"}}, "1.000 2"},  // time over: no loss
        {"10 2 5", {{4, "6.000 0"}, {7, "1.000 4"}, {0.5, "0.500 3"}}, "10.000 0"},
        {"5 0 0", {{2, "3.000 0"}, {4, "0.001 0"}}, "5.000 0"},  // absolute time
    };
    for (const Case& c : cases) {
        auto clock = GtpClock::parse(c.settings);
        ASSERT_TRUE(clock.has_value()) << c.settings;
        EXPECT_EQ(clock->left(), c.first) << c.settings;
        int move = 0;
        for (const auto& [spent, told] : c.moves) {
            clock->spend(spent);
            EXPECT_EQ(clock->left(), told) << c.settings << " after move " << ++move;
        }
    }
    for (const char* settings : {"1 2", "1 2 3 4", "a b c", "-1 2 3", "0 5 0", "0 0 0", ""}) {
        EXPECT_FALSE(GtpClock::parse(settings).has_value()) << '"' << settings << '"';
    }
}

}  // namespace
}  // namespace orvanta::bench
