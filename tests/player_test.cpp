#include <gtest/gtest.h>

#include <memory>

#include "board/board.hpp"
#include "players/pc.hpp"
#include "players/player.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

const std::string kPrompt = " どこに置きますか？(例:f5 / out-終了 / auto-自動) -> ";
const std::string kIllegal = " そこには置けません\n\n";

std::string startDrawing() {
    ConsoleTest console;
    Board board;
    board.print();
    return console.host.text();
}

// One prompt cycle as the screen shows it: board, blank line, prompt, line end after the word.
std::string cycle() {
    return startDrawing() + "\n" + kPrompt + "\n";
}

struct Session {
    Point answer;
    std::string text;
    std::unique_ptr<Board> board;
};

// Black's seat on the starting position, answering `input`.
Session play(const std::string& input, bool testMode = false) {
    ConsoleTest console(input, testMode);
    Session session{Point(-1, -1), "", std::make_unique<Board>()};
    Player player;
    session.answer = player.select(*session.board, kBlack);
    session.text = console.host.text();
    return session;
}

TEST(PlayerSelect, ReadsSeveralWordsFromOneLineAndTestsThemInTurn) {
    Session s = play("a1 f5\n");
    EXPECT_EQ(s.answer, Point(6, 5));
    EXPECT_EQ(s.text, cycle() + kIllegal + cycle());
    // The returned square's flags are on the board: placing it flips e5.
    s.board->place(s.answer, kBlack);
    EXPECT_EQ(s.board->get(5, 5), kBlack);
    EXPECT_EQ(s.board->count(kBlack), 4);
}

TEST(PlayerSelect, WordsThatAreNotSquaresPromptAgainSilently) {
    const Session s = play("F5 5f a9 i1 OUT Auto x\n f5x");
    EXPECT_EQ(s.answer, Point(6, 5)) << "only the first two characters make the square";
    std::string expected;
    for (int i = 0; i < 8; ++i) {
        expected += cycle();
    }
    EXPECT_EQ(s.text, expected);
}

TEST(PlayerSelect, OccupiedOrNonCapturingSquaresAreRefused) {
    const Session s = play("d4\ne5 c3 d3");
    EXPECT_EQ(s.answer, Point(4, 3));
    EXPECT_EQ(s.text, cycle() + kIllegal + cycle() + kIllegal + cycle() + kIllegal + cycle());
}

TEST(PlayerSelect, OutIsAWholeWordAndQuits) {
    EXPECT_EQ(play("   out   \n").answer, Point(0, 0));
    EXPECT_EQ(play("   out   \n").text, cycle());
    // "outside" and "out" with a NUL byte are other words; the input then ends, which quits too.
    const Session s = play(std::string("outside out\0", 12));
    EXPECT_EQ(s.answer, Point(0, 0));
    EXPECT_EQ(s.text, cycle() + cycle() + cycle());
}

TEST(PlayerSelect, EndOfInputActsAsOut) {
    for (const std::string input : {"", "   \n\n", "zz"}) {
        const Session s = play(input);
        EXPECT_EQ(s.answer, Point(0, 0));
        EXPECT_EQ(s.text.substr(s.text.size() - kPrompt.size() - 1), kPrompt + "\n")
            << "the line end after the read is still printed";
    }
    EXPECT_EQ(play("").text, cycle());
}

TEST(PlayerSelect, HugeWordsAreConsumedWholeAndJudgedByTheirStart) {
    const Session square = play("f5" + std::string(100000, 'x'));
    EXPECT_EQ(square.answer, Point(6, 5));
    EXPECT_EQ(square.text, cycle());
    const Session notOut = play("out" + std::string(100000, 'x') + " e6");
    EXPECT_EQ(notOut.answer, Point(5, 6));
    EXPECT_EQ(notOut.text, cycle() + cycle());
}

TEST(PlayerSelect, AutoAndPLetTheComputerChooseForThisPosition) {
    for (const std::string word : {"auto", "p"}) {
        ConsoleTest console(word + "\n");
        console.host.clock = 1234567;
        Board board;
        Player player;
        const Point chosen = player.select(board, kWhite);
        EXPECT_EQ(console.host.text(), cycle()) << "the computer prints nothing here";

        ConsoleTest reference;
        reference.host.clock = 1234567;
        Board same;
        PC pc;
        EXPECT_EQ(chosen, pc.select(same, kWhite)) << word;
        EXPECT_NE(chosen, Point(0, 0));
    }
}

TEST(PlayerSelect, TestModeTracesTheTypedSquareBeforeTheAnswer) {
    const Session s = play("d4 f5", true);
    EXPECT_EQ(s.answer, Point(6, 5));
    EXPECT_EQ(s.text, cycle() + kIllegal + cycle() + " : # f5[6] -> e5 -> d5 ･\n : ! f5[6]\n");
}

}  // namespace
}  // namespace orvanta
