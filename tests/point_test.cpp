#include <gtest/gtest.h>

#include "board/point.hpp"

namespace orvanta {
namespace {

struct ParseCase {
    std::string_view text;
    bool ok;
    int x;
    int y;
};

TEST(PointParse, ReadsLetterThenDigitAndKeepsWhatMatched) {
    const ParseCase cases[] = {
        {"f5", true, 6, 5},  {"a1", true, 1, 1},   {"h8", true, 8, 8},  {"f5xyz", true, 6, 5},
        {"F5", false, 0, 5}, {"5f", false, 0, 0},  {"i5", false, 0, 5}, {"a9", false, 1, 0},
        {"a0", false, 1, 0}, {"f9", false, 6, 0},  {"z5", false, 0, 5}, {"f", false, 6, 0},
        {"", false, 0, 0},   {" f5", false, 0, 0}, {"5", false, 0, 0},  {"h", false, 8, 0},
    };
    for (const auto& c : cases) {
        Point p(7, 7);
        EXPECT_EQ(p.parse(c.text), c.ok) << c.text;
        EXPECT_EQ(p, Point(c.x, c.y)) << c.text;
    }
}

TEST(PointParse, NeverReadsPastTheEndOfTheText) {
    // The text is cut out of a larger buffer: bytes beyond its end must not be read, so a
    // one-byte text followed by a digit in memory is still only half a square.
    const std::string memory = "f5";
    Point p(0, 0);
    EXPECT_FALSE(p.parse(std::string_view(memory.data(), 1)));
    EXPECT_EQ(p, Point(6, 0));
    EXPECT_FALSE(p.parse(std::string_view(memory.data(), 0)));
    EXPECT_EQ(p, Point(0, 0));
}

TEST(PointParse, EmbeddedNulIsAByteLikeAnyOther) {
    Point p(0, 0);
    EXPECT_FALSE(
        p.parse(std::string_view("f\0"
                                 "5",
                                 3)));
    EXPECT_EQ(p, Point(6, 0));
}

TEST(PointArithmetic, StepsChainAndCompare) {
    Point p(4, 5);
    (p += Point(1, -1)) += Point(1, -1);
    EXPECT_EQ(p, Point(6, 3));
    EXPECT_TRUE(Point(3, 4) == Point(3, 4));
    EXPECT_FALSE(Point(3, 4) == Point(4, 3));
}

}  // namespace
}  // namespace orvanta
