#include <gtest/gtest.h>

#include "board/point.hpp"

namespace orvanta {
namespace {

TEST(Point, ParseReadsLetterThenDigitKeepsWhatMatchedAndStaysInsideTheText) {
    using namespace std::string_view_literals;
    const struct {
        std::string_view text;
        bool ok;
        Point point;
    } cases[] = {
        {"f5", true, {6, 5}},
        {"a1", true, {1, 1}},
        {"h8", true, {8, 8}},
        {"f5xyz", true, {6, 5}},
        {"F5", false, {0, 5}},
        {"5f", false, {0, 0}},
        {"i5", false, {0, 5}},
        {"a9", false, {1, 0}},
        {"a0", false, {1, 0}},
        {"z5", false, {0, 5}},
        {"f", false, {6, 0}},
        {"", false, {0, 0}},
        {" f5", false, {0, 0}},
        {"f\0"
         "5"sv,
         false,
         {6, 0}},
        {"f5"sv.substr(0, 1), false, {6, 0}},  // the byte after the text is never read
    };
    for (const auto& c : cases) {
        Point p(7, 7);  // every parse starts from (0, 0)
        EXPECT_EQ(p.parse(c.text), c.ok) << c.text;
        EXPECT_EQ(p, c.point) << c.text;
    }
}

TEST(Point, StepsChainAndCompare) {
    Point p(4, 5);
    (p += Point(1, -1)) += Point(1, -1);
    EXPECT_EQ(p, Point(6, 3));
    EXPECT_FALSE(Point(3, 4) == Point(4, 3));
}

}  // namespace
}  // namespace orvanta
