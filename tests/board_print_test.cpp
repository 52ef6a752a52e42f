#include <gtest/gtest.h>

#include <sstream>

#include "board/board.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;

// Shift-JIS bytes of the drawing's pieces.
const std::string kBar = "\x84\xa0", kLine = "\x84\x9f", kEmptyCell = "\x81\x40";
const std::string kBlackStone = "\x81\x9c", kWhiteStone = "\x81\x9b";

std::string frame(const char* left, const char* middle, const char* right) {
    std::string line = "  " + std::string(left);
    for (int i = 0; i < 8; ++i) {
        line += kLine + (i < 7 ? middle : right);
    }
    return line + "\n";
}

TEST(BoardPrint, StartingPositionIsByteExactShiftJisIn18LinesOf36Bytes) {
    ConsoleTest console;
    Board board;
    board.print();
    std::string expected = "    a    b   c   d   e   f   g   h  \n";
    expected += frame("\x84\xa1", "\x84\xa6", "\x84\xa2");
    for (int y = 1; y <= 8; ++y) {
        expected += " " + std::to_string(y);
        for (int x = 1; x <= 8; ++x) {
            const bool centre = (x == 4 || x == 5) && (y == 4 || y == 5);
            expected += kBar + (!centre ? kEmptyCell : x == y ? kWhiteStone : kBlackStone);
        }
        expected += kBar + "\n";
        expected += y < 8 ? frame("\x84\xa5", "\x84\xa9", "\x84\xa7") : "";
    }
    expected += frame("\x84\xa4", "\x84\xa8", "\x84\xa3");
    EXPECT_EQ(console.host.output(), expected);

    std::istringstream lines(console.host.output());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_EQ(line.size(), 36u) << count;
    }
    EXPECT_EQ(count, 18);
}

TEST(BoardPrint, DrawsStonesAndEmptyCellsAndChangesNothing) {
    ConsoleTest console;
    Board board;
    testing::setRows(board, {".BW....W", "........", "........", "........", "........", "........",
                             "........", "WWWWBBBB"});
    ASSERT_TRUE(board.canPlace(1, 1, kWhite));
    board.print();
    const std::string text = console.host.text();
    EXPECT_NE(text.find("\n 1│　│●│○│　│　│　│　│○│\n  ├─┼─┼─┼─┼─┼─┼─┼─┤\n 2│　│"),
              std::string::npos);
    EXPECT_NE(text.find("\n 8│○│○│○│○│●│●│●│●│\n  └─┴─┴─┴─┴─┴─┴─┴─┘\n"), std::string::npos)
        << "no separator after row 8";
    board.place(1, 1, kWhite);  // the drawing kept the flags of the test
    EXPECT_EQ(board.get(2, 1), kWhite);
}

}  // namespace
}  // namespace orvanta
