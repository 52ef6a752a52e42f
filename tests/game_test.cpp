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
        game.seat(PlayMode::kComputers);
        game.play();
        game.unseat();
        Board replay;
        for (std::size_t i = 0; i < game.history().size(); ++i) {
            ASSERT_TRUE(replay.canPlace(game.history().point(i), game.history().colour(i)));
            replay.place(game.history().point(i), game.history().colour(i));
        }
        EXPECT_EQ(rowsOf(replay), rowsOf(game.board()));
        EXPECT_FALSE(replay.hasMove(kBlack) || replay.hasMove(kWhite));
    }
}

TEST(History, KeepsAtMost64MovesListsAtMost60AndCountsTheBoardGiven) {
    ConsoleTest console;
    History history;
    for (int i = 0; i < 70; ++i) {
        history.add(Point(i % 8 + 1, i / 8 % 8 + 1), i < 30 ? kBlack : kWhite);
    }
    EXPECT_EQ(history.size(), History::kSlots) << "moves beyond the last slot are ignored";
    history.print(Board());  // not the record's position: the counts come from the board
    EXPECT_TRUE(console.host.screen().ends_with(
        "\n 59 [WHITE] : c8\n 60 [WHITE] : d8\n   BLACK : 2\n   WHITE : 2\n{pause 2000}\n"));
}

}  // namespace
}  // namespace orvanta
