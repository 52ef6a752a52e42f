#include <gtest/gtest.h>

#include <map>

#include "board/board.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::Rows;
using testing::rowsOf;
using testing::setFlags;
using testing::setRows;

TEST(Board, StartsWithFourCentreStonesInsideAWallAndOneFlagPerLegalSquare) {
    ConsoleTest console;
    Board board;
    EXPECT_EQ(rowsOf(board)[3], "...WB...");
    EXPECT_EQ(rowsOf(board)[4], "...BW...");
    EXPECT_EQ(board.count(kEmpty), 60);
    for (std::int32_t i = 0; i <= 9; ++i) {
        for (const std::int32_t cell :
             {board.get(0, i), board.get(9, i), board.get(i, 0), board.get(i, 9)}) {
            EXPECT_EQ(cell, kWall);
        }
    }
    EXPECT_TRUE(setFlags(board).empty());
    using Legal = std::map<std::string, std::vector<int>>;
    const Legal expected[] = {{{"d3", {4}}, {"c4", {2}}, {"f5", {6}}, {"e6", {0}}},
                              {{"e3", {4}}, {"f4", {6}}, {"c5", {2}}, {"d6", {0}}}};
    for (const std::int32_t colour : {kBlack, kWhite}) {
        Legal legal;
        for (std::int32_t x = 1; x <= 8; ++x) {
            for (std::int32_t y = 1; y <= 8; ++y) {
                if (board.canPlace(x, y, colour)) {
                    legal[squareName(Point(x, y))] = setFlags(board);
                } else {
                    EXPECT_TRUE(setFlags(board).empty());
                }
            }
        }
        EXPECT_EQ(legal, expected[colour]);
    }
}

TEST(Board, PlaceFlipsEveryFlaggedRunUpToTheFirstOwnStone) {
    ConsoleTest console;
    Board board;
    // Black on d4 captures upwards (d3, d2 up to d1), rightwards (e4 up to f4; g4 beyond it
    // stays white) and down-right (e5, f6 up to g7); b4 is cut off by the empty c4.
    setRows(board, {"...B....", "...W....", "...W....", ".W..WBW.", "....W...", ".....W..",
                    "......B.", "........"});
    ASSERT_TRUE(board.canPlace(4, 4, kBlack));
    EXPECT_EQ(setFlags(board), (std::vector<int>{0, 2, 3}));
    board.place(4, 4, kBlack);
    EXPECT_EQ(rowsOf(board), (Rows{"...B....", "...B....", "...B....", ".W.BBBW.", "....B...",
                                   ".....B..", "......B.", "........"}));
    EXPECT_EQ(setFlags(board), (std::vector<int>{0, 2, 3})) << "placing keeps the flags";
}

TEST(Board, ScanTracesEveryWalkInTestModeOnly) {
    struct Case {
        Rows rows;     // empty: the starting position
        Point square;  // (0, 0): hasMove for black instead of one square
        std::string trace;
    };
    const Rows wallRuns = {".WWWWWWW", "........", "........", "......WW",
                           "........", "........", "........", "........"};
    const Case cases[] = {
        {{}, Point(0, 0), " : # c3[3] -> d4 -> e5 -> f6 *\n : # c4[2] -> d4 -> e4 ･\n : ! c4[2]\n"},
        {wallRuns, Point(6, 4), " : # f4[2] -> g4 -> h4 -> 9,4 *\n"},
        {wallRuns, Point(1, 1), " : # a1[2] -> b1 -> c1 -> d1 -> e1 -> f1 -> g1 -> h1 -> 9,1 *\n"},
        // hasMove examines a1 (two failing walks), then a2: up-right ends at the top wall,
        // rightwards and down-right are legal.
        {{".W......", ".WB.....", ".W......", "..B.....", "........", "........", "........",
          "........"},
         Point(0, 0),
         " : # a1[2] -> b1 -> c1 *\n : # a1[3] -> b2 -> c3 *\n : # a2[1] -> b1 -> 3,0 *\n"
         " : # a2[2] -> b2 -> c2 ･\n : # a2[3] -> b3 -> c4 ･\n : ! a2[2]\n : ! a2[3]\n"},
        {{}, Point(4, 4), ""},  // occupied
        {{}, Point(1, 1), ""},  // no opponent next to it
    };
    for (const Case& c : cases) {
        for (const bool testMode : {true, false}) {
            ConsoleTest console("", testMode);
            Board board;
            if (!c.rows.empty()) {
                setRows(board, c.rows);
            }
            if (c.square == Point(0, 0)) {
                board.hasMove(kBlack);
            } else {
                board.canPlace(c.square, kBlack);
            }
            EXPECT_EQ(console.host.text(), testMode ? c.trace : "") << c.trace;
        }
    }
    // The middle dot is the single half-width byte A5 in Shift-JIS.
    ConsoleTest console("", true);
    Board board;
    board.hasMove(kBlack);
    EXPECT_NE(console.host.output().find("e4 \xA5\n"), std::string::npos);
}

TEST(Board, HasMoveLeavesTheFlagsOfTheFirstLegalSquareOrNone) {
    ConsoleTest console;
    Board board;
    EXPECT_TRUE(board.hasMove(kBlack));
    EXPECT_EQ(setFlags(board), std::vector<int>{2}) << "c4 comes first in the order a1, a2, ...";
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            board.set(x, y, (x + y) % 2 == 0 ? kBlack : kWhite);
        }
    }
    EXPECT_FALSE(board.hasMove(kWhite));
    EXPECT_TRUE(setFlags(board).empty());
}

TEST(Board, CopyFromTakesSquaresAndFlagsButNotTheFrame) {
    ConsoleTest console;
    Board source;
    Board target;
    ASSERT_TRUE(source.canPlace(6, 5, kBlack));
    source.set(1, 8, kWhite);
    source.set(9, 4, kEmpty);  // a frame cell that must not travel
    target.set(2, 2, kBlack);
    EXPECT_EQ(&target.copyFrom(source), &target);
    EXPECT_EQ(rowsOf(target), rowsOf(source));
    EXPECT_EQ(target.get(9, 4), kWall);
    target.place(6, 5, kBlack);  // the copied flags are enough to place on the copy
    EXPECT_EQ(target.get(5, 5), kBlack);
}

}  // namespace
}  // namespace orvanta
