#include <gtest/gtest.h>

#include "board/board.hpp"
#include "players/pc.hpp"
#include "players/player.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

const std::string kPrompt = " どこに置きますか？(例:f5 / out-終了 / auto-自動) -> ";

// The screen of a seat's dialogue written as a pattern: 'C' for one prompt cycle (board, blank
// line, prompt, line end after the word), 'X' for the illegal-square message, anything else
// verbatim.
std::string screen(const std::string& pattern) {
    ConsoleTest console;
    Board board;
    board.print();
    const std::string cycle = console.host.text() + "\n" + kPrompt + "\n";
    std::string text;
    for (const char c : pattern) {
        text += c == 'C' ? cycle : c == 'X' ? " そこには置けません\n\n" : std::string(1, c);
    }
    return text;
}

TEST(PlayerSelect, AnswersEachWordAsTheHumanMeantIt) {
    using namespace std::string_literals;
    struct Case {
        std::string input;
        Point answer;
        std::string pattern;
    };
    const std::string huge(100000, 'x');
    const Case cases[] = {
        {"a1 f5\n", Point(6, 5), "CXC"},  // two words on one line, one after the other
        {"F5 5f a9 i1 OUT Auto x\n f5x", Point(6, 5), "CCCCCCCC"},  // silent until f5x
        {"d4\ne5 c3 d3", Point(4, 3), "CXCXCXC"},                   // occupied or capturing nothing
        {"   out   \n", Point(0, 0), "C"},
        {"outside out\0"s, Point(0, 0), "CCC"},  // other words, then the input ends
        {"", Point(0, 0), "C"},                  // the end of input quits like "out"
        {" \n\n", Point(0, 0), "C"},
        {"f5" + huge, Point(6, 5), "C"},  // a huge word is judged by its first two bytes...
        {"out" + huge + " e6", Point(5, 6), "CC"},  // ...and compared whole
    };
    for (const Case& c : cases) {
        ConsoleTest console(c.input);
        Board board;
        Player player;
        EXPECT_EQ(player.select(board, kBlack), c.answer) << c.input.substr(0, 20);
        EXPECT_EQ(console.host.text(), screen(c.pattern)) << c.input.substr(0, 20);
        if (c.answer != Point(0, 0)) {
            board.place(c.answer, kBlack);  // the flags of the accepted square are on the board
            EXPECT_EQ(board.count(kBlack), 4);
        }
    }
}

TEST(PlayerSelect, AutoAndPLetTheComputerChooseThisMove) {
    for (const std::string word : {"auto", "p"}) {
        ConsoleTest console(word + "\n");
        console.host.clock = 1234567;
        Board board;
        Player player;
        const Point chosen = player.select(board, kWhite);
        EXPECT_EQ(console.host.text(), screen("C"));

        ConsoleTest reference;
        reference.host.clock = 1234567;
        Board same;
        PC pc;
        EXPECT_EQ(chosen, pc.select(same, kWhite)) << word;
    }
}

TEST(PlayerSelect, TestModeTracesTheTypedSquareBeforeTheAnswer) {
    ConsoleTest console("d4 f5", true);
    Board board;
    Player player;
    EXPECT_EQ(player.select(board, kBlack), Point(6, 5));
    EXPECT_EQ(console.host.text(), screen("CXC : # f5[6] -> e5 -> d5 ･\n : ! f5[6]\n"));
}

}  // namespace
}  // namespace orvanta
