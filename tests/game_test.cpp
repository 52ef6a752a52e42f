#include <gtest/gtest.h>

#include "board/board.hpp"
#include "game/game.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

TEST(GameSeat, EvenCoinTossSeatsTheHumanAsBlack) {
    ConsoleTest console("out");
    console.host.clock = 1'700'000'000;  // the first draw of this second is even
    Game game;
    game.seat(Game::kHumanAgainstComputer);
    EXPECT_EQ(console.host.text(), " 先攻です\n\n");
    ASSERT_EQ(console.host.pauses().size(), 1u);
    EXPECT_EQ(console.host.pauses()[0].at, testing::toCp932(" 先攻です").size())
        << "the pause comes before the line ends";
    console.host.clearOutput();
    game.play();
    // The human is asked first, and "out" ends the game before any move.
    EXPECT_NE(console.host.text().find("どこに置きますか"), std::string::npos);
    EXPECT_EQ(game.history().size(), 0u);
    game.unseat();
}

TEST(GameSeat, OddCoinTossLetsTheComputerMoveFirst) {
    ConsoleTest console("out");
    console.host.clock = 1'700'000'002;  // odd first draw
    Game game;
    game.seat(Game::kHumanAgainstComputer);
    EXPECT_EQ(console.host.text(), " 後攻です\n\n");
    game.play();
    ASSERT_EQ(game.history().size(), 1u);
    EXPECT_EQ(game.history().colour(0), kBlack);
    game.unseat();
}

TEST(GamePlay, ComputerAgainstComputerPlaysWholeGamesThatTheRecordReplays) {
    for (std::time_t second = 1; second <= 25; ++second) {
        ConsoleTest console("", (second % 2) == 0);
        console.host.clock = second * 1000;
        Game game;
        game.seat(-7);  // any other mode: the computer on both sides
        game.play();
        game.unseat();
        const std::string text = console.host.text();
        Board final;
        final.copyFrom(game.board());
        EXPECT_FALSE(final.hasMove(kBlack));
        EXPECT_FALSE(final.hasMove(kWhite));
        const std::size_t moves = game.history().size();
        EXPECT_EQ(static_cast<int>(moves), final.count(kBlack) + final.count(kWhite) - 4);
        // Replaying the record move by move reaches the same position.
        Board replay;
        for (std::size_t i = 0; i < moves; ++i) {
            ASSERT_TRUE(replay.canPlace(game.history().point(i), game.history().colour(i)));
            replay.place(game.history().point(i), game.history().colour(i));
        }
        for (std::int32_t x = 1; x <= 8; ++x) {
            for (std::int32_t y = 1; y <= 8; ++y) {
                ASSERT_EQ(replay.get(x, y), final.get(x, y));
            }
        }
        EXPECT_NE(
            text.find("　─ゲーム終了─\n 置ける位置へ全ておき終わりました\n ゲームを終了します\n"),
            std::string::npos);
        const int black = final.count(kBlack);
        const int white = final.count(kWhite);
        const std::string result = black < white    ? " 白の勝ち！\n\n"
                                   : black == white ? " 引き分け\n\n"
                                                    : " 黒の勝ち！\n\n";
        EXPECT_TRUE(text.ends_with(result)) << result;
        EXPECT_NE(text.find(" 結果 : 黒石 = " + std::to_string(black) +
                            ",  白石 = " + std::to_string(white) + "\n\n"),
                  std::string::npos);
    }
}

TEST(GamePlay, NextGameStartsAfreshAfterAnAbandonedOne) {
    ConsoleTest console("f5 out out");
    Game game;
    game.seat(Game::kTwoHumans);
    game.play();
    EXPECT_EQ(game.history().size(), 1u);
    EXPECT_EQ(game.board().count(kBlack), 4);
    game.play();
    game.unseat();
    EXPECT_EQ(game.history().size(), 0u);
    EXPECT_EQ(game.board().count(kBlack), 2);
    EXPECT_EQ(game.board().count(kWhite), 2);
    const std::string text = console.host.text();
    EXPECT_TRUE(text.ends_with(" 終了します\n\n"));
}

}  // namespace
}  // namespace orvanta
