#include <gtest/gtest.h>

#include "board/board.hpp"
#include "game/history.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

TEST(HistoryPrint, EmptyRecordSaysSoWithoutCountsOrPause) {
    ConsoleTest console;
    History history;
    Board board;
    history.print(board);
    EXPECT_EQ(console.host.text(), "　データがありません\n\n");
    EXPECT_TRUE(console.host.pauses().empty());

    history.add(6, 5, kBlack);
    history.clear();
    console.host.clearOutput();
    history.print(board);
    EXPECT_EQ(console.host.text(), "　データがありません\n\n");
}

TEST(HistoryPrint, PadsOnlyTheMoveNumberAndCountsTheBoardGiven) {
    ConsoleTest console;
    History history;
    for (int i = 0; i < 60; ++i) {
        // Moves of one colour may follow each other where the other passed.
        history.add(Point(i % 8 + 1, i / 8 % 8 + 1), i < 30 ? kBlack : kWhite);
    }
    Board board;  // not the game's position: the counts come from the board, not the record
    history.print(board);
    const std::string text = console.host.text();
    EXPECT_EQ(text.substr(0, 34), "  1 [BLACK] : a1\n  2 [BLACK] : b1\n");
    EXPECT_NE(text.find("\n  9 [BLACK] : a2\n 10 [BLACK] : b2\n"), std::string::npos);
    EXPECT_NE(text.find("\n 31 [WHITE] : g4\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 44), " 60 [WHITE] : d8\n   BLACK : 2\n   WHITE : 2\n\n");
    ASSERT_EQ(console.host.pauses().size(), 1u);
    EXPECT_EQ(console.host.pauses()[0].milliseconds, 2000);
    EXPECT_EQ(console.host.pauses()[0].at, console.host.output().size() - 1)
        << "the pause comes before the last line end";
}

TEST(HistoryPrint, TestModeSkipsThePause) {
    ConsoleTest console("", true);
    History history;
    history.add(Point(6, 5), kBlack);
    Board board;
    history.print(board);
    EXPECT_EQ(console.host.text(), "  1 [BLACK] : f5\n   BLACK : 2\n   WHITE : 2\n\n");
    EXPECT_TRUE(console.host.pauses().empty());
}

TEST(HistoryAdd, FillsSlotsInOrderAndIgnoresMovesBeyondTheLast) {
    ConsoleTest console("", true);
    History history;
    for (int i = 0; i < 70; ++i) {
        history.add(i % 8 + 1, i % 7 + 1, i % 2);
    }
    EXPECT_EQ(history.size(), History::kSlots);
    EXPECT_EQ(history.point(63), Point(8, 1));
    Board board;
    history.print(board);
    // Only the first 60 slots are ever listed.
    EXPECT_NE(console.host.text().find("\n 60 [WHITE]"), std::string::npos);
    EXPECT_EQ(console.host.text().find(" 61 ["), std::string::npos);
    history.clear();
    history.add(Point(3, 4), kWhite);
    EXPECT_EQ(history.size(), 1u);
    EXPECT_EQ(history.point(0), Point(3, 4));
    EXPECT_EQ(history.colour(0), kWhite);
}

}  // namespace
}  // namespace orvanta
