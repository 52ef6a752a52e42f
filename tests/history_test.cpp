#include <gtest/gtest.h>

#include "board/board.hpp"
#include "game/history.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

TEST(History, KeepsAtMost64MovesListsAtMost60AndCountsTheBoardGiven) {
    ConsoleTest console;
    History history;
    for (int i = 0; i < 70; ++i) {
        history.add(Point(i % 8 + 1, i / 8 % 8 + 1), i < 30 ? kBlack : kWhite);
    }
    EXPECT_EQ(history.size(), History::kSlots) << "moves beyond the last slot are ignored";
    Board board;  // not the record's position: the counts come from the board
    history.print(board);
    const std::string text = console.host.text();
    EXPECT_TRUE(text.starts_with("  1 [BLACK] : a1\n  2 [BLACK] : b1\n"));
    EXPECT_NE(text.find("\n  9 [BLACK] : a2\n 10 [BLACK] : b2\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\n 60 [WHITE] : d8\n   BLACK : 2\n   WHITE : 2\n\n"));
    ASSERT_EQ(console.host.pauses().size(), 1u);
    EXPECT_EQ(console.host.pauses()[0].at, console.host.output().size() - 1)
        << "the pause comes before the last line end";

    history.clear();
    console.host.clearOutput();
    history.print(board);
    EXPECT_EQ(console.host.text(), "　データがありません\n\n");
    EXPECT_TRUE(console.host.pauses().empty());
    history.add(Point(3, 4), kWhite);
    EXPECT_EQ(history.size(), 1u);
    EXPECT_EQ(history.point(0), Point(3, 4));
}

}  // namespace
}  // namespace orvanta
