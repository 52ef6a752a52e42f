#include <gtest/gtest.h>

#include "board/board.hpp"
#include "game/game.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::rowsOf;

// Each computer move is placed with the flags its choice left on the game board; replaying the
// record with fresh legality tests must reach the same position, so this also checks that the
// computer returns legal squares, leaves the cells alone and leaves the right flags.
TEST(Game, ComputerAgainstComputerPlaysToTheEndAndTheRecordReplaysIt) {
    for (std::time_t second = 1; second <= 25; ++second) {
        ConsoleTest console("", second % 2 == 0);
        console.host.clock = second * 1000;
        Game game;
        game.seat(-7);  // any mode but the two of the menu: the computer on both sides
        game.play();
        game.unseat();
        const std::string text = console.host.text();
        const Board& final = game.board();
        Board replay;
        for (std::size_t i = 0; i < game.history().size(); ++i) {
            ASSERT_TRUE(replay.canPlace(game.history().point(i), game.history().colour(i)));
            replay.place(game.history().point(i), game.history().colour(i));
        }
        EXPECT_EQ(rowsOf(replay), rowsOf(final));
        EXPECT_FALSE(replay.hasMove(kBlack) || replay.hasMove(kWhite));
        const int black = final.count(kBlack);
        const int white = final.count(kWhite);
        EXPECT_TRUE(text.ends_with(" ゲームを終了します\n 結果 : 黒石 = " + std::to_string(black) +
                                   ",  白石 = " + std::to_string(white) + "\n\n" +
                                   (black < white    ? " 白の勝ち！\n\n"
                                    : black == white ? " 引き分け\n\n"
                                                     : " 黒の勝ち！\n\n")));
    }
}

TEST(Game, NextGameStartsAfreshAfterAnAbandonedOne) {
    ConsoleTest console("f5 out out");
    Game game;
    game.seat(Game::kTwoHumans);
    game.play();
    EXPECT_EQ(game.history().size(), 1u);
    EXPECT_EQ(game.board().count(kBlack), 4) << "the position of the quit stays";
    game.play();
    game.unseat();
    EXPECT_EQ(game.history().size(), 0u);
    EXPECT_EQ(rowsOf(game.board()), rowsOf(Board()));
    EXPECT_TRUE(console.host.text().ends_with(" 終了します\n\n"));
}

}  // namespace
}  // namespace orvanta
