#include "bench/sprt_log.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/fake_host.hpp"

namespace orvanta::bench {
namespace {

TEST(SprtLog, PairLines) {
    struct Case {
        const char* line;
        bool sound;
    };
    const Case cases[] = {
        {"pair 0 14 -6 31.250 60 29.875 60", true},
        {"pair 9 64 -64 0 0 0 0", true},
        {"pair 10 0 0 1 1 1 1", false},  // only openings 0 to 9
        {"pair -1 0 0 1 1 1 1", false},
        {"pair 3 65 0 1 1 1 1", false},  // more discs than the board
        {"pair 3 0 0 -1 1 1 1", false},  // negative time
        {"pair 3 0 0 1 -1 1 1", false},
        {"pair 3 0 0 1 1 1", false},  // a field short
        {"pair 3 0 0 1 1 1 1 extra", false},
        {"pairs 3 0 0 1 1 1 1", false},
        {"pair 3 x 0 1 1 1 1", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parsePairLine(c.line, 10).has_value(), c.sound) << c.line;
    }
    PairRecord r;
    r.opening = 7;
    r.discs[0] = -12;
    r.discs[1] = 30;
    r.seconds[0] = 12.5;
    r.moves[0] = 58;
    r.seconds[1] = 0.25;
    r.moves[1] = 61;
    const auto back = parsePairLine(pairLine(r), 10);
    ASSERT_TRUE(back);
    EXPECT_EQ(pairLine(*back), pairLine(r));
}

class SprtLogFile : public ::testing::Test {
  protected:
    void TearDown() override {
        std::filesystem::remove(path_);
        std::filesystem::remove(path_ + ".tmp");
    }
    void write(const std::string& text) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
    }
    std::string contents() const {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    const std::string path_ = orvanta::testing::scratchPath("log.txt").string();
    const std::string header_ = logHeader("cand --level=10", "ref --level=10", "1", "open.txt");
};

TEST_F(SprtLogFile, ResumesWholeLinesOfTheSameMatch) {
    std::string error;
    auto none = readLog(path_, header_, 10, error);
    ASSERT_TRUE(none) << error;  // no file yet: a new match
    EXPECT_TRUE(none->empty());

    // Stopped while writing the third pair: that pair is played again.
    write(header_ + "\npair 4 2 -2 30 60 29 60\npair 0 -8 10 31 59 30 59\npair 5 1");
    const auto pairs = readLog(path_, header_, 10, error);
    ASSERT_TRUE(pairs) << error;
    ASSERT_EQ(pairs->size(), 2u);
    EXPECT_EQ((*pairs)[0].opening, 4);
    EXPECT_EQ((*pairs)[1].discs[0], -8);

    ASSERT_TRUE(rewriteLog(path_, header_, *pairs));
    EXPECT_EQ(contents(),
              header_ + "\n" + pairLine((*pairs)[0]) + "\n" + pairLine((*pairs)[1]) + "\n");
    const auto again = readLog(path_, header_, 10, error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->size(), 2u);
}

TEST_F(SprtLogFile, RefusesAnotherMatchOrDamage) {
    struct Case {
        std::string text;
        const char* message;
    };
    const std::string other = logHeader("cand --level=9", "ref --level=10", "1", "open.txt");
    const Case cases[] = {
        {other + "\npair 1 0 0 1 1 1 1\n", ":1: the log of another match"},
        {header_ + "\npair 1 0 0 1 1 1 1\ngarbage\npair 2 0 0 1 1 1 1\n",
         ":3: not a pair of this match"},
        {header_ + "\npair 1 0 0 1 1 1 1\npair 1 2 2 1 1 1 1\n", ":3: opening 2 logged twice"},
        {header_ + "\npair 12 0 0 1 1 1 1\n", ":2: not a pair of this match"},
        {"no line end at all", ": not a match log"},
    };
    for (const Case& c : cases) {
        write(c.text);
        std::string error;
        EXPECT_FALSE(readLog(path_, header_, 10, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace orvanta::bench
