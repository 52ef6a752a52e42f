#include <gtest/gtest.h>

#include "app/menu.hpp"

namespace orvanta {
namespace {

std::optional<int> number(const std::string& text, bool truncated = false) {
    return menuNumber(platform::Word{text, truncated});
}

TEST(MenuNumber, AcceptsSignedDecimalIntegersThatFitAnInt) {
    EXPECT_EQ(number("4"), 4);
    EXPECT_EQ(number("-1"), -1);
    EXPECT_EQ(number("+3"), 3);
    EXPECT_EQ(number("007"), 7);
    EXPECT_EQ(number("-0"), 0);
    EXPECT_EQ(number("2147483647"), 2147483647);
    EXPECT_EQ(number("-2147483648"), -2147483647 - 1);
}

TEST(MenuNumber, RejectsEverythingElse) {
    for (const std::string& text : std::initializer_list<std::string>{
             "", "+", "-", "+-1", "-+1", "++1", "1e1", "2x", "x2", "0x1", "1.0", "2147483648",
             "-2147483649", "99999999999999999999", "１", std::string("1\0", 2)}) {
        EXPECT_FALSE(number(text)) << text;
    }
    EXPECT_FALSE(number("1", true)) << "a word longer than what is kept is not a number";
}

}  // namespace
}  // namespace orvanta
