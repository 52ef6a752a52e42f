#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "board/board.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::setRows;

std::vector<int> setFlags(const Board& board) {
    std::vector<int> flags;
    for (int i = 0; i < Board::kDirections; ++i) {
        if (board.flag(i)) {
            flags.push_back(i);
        }
    }
    return flags;
}

TEST(BoardStart, HoldsTheFourCentreStonesInsideAWall) {
    ConsoleTest console;
    Board board;
    EXPECT_EQ(board.count(kBlack), 2);
    EXPECT_EQ(board.count(kWhite), 2);
    EXPECT_EQ(board.count(kEmpty), 60);
    EXPECT_EQ(board.get(4, 4), kWhite);
    EXPECT_EQ(board.get(5, 5), kWhite);
    EXPECT_EQ(board.get(4, 5), kBlack);
    EXPECT_EQ(board.get(5, 4), kBlack);
    for (std::int32_t i = 0; i <= 9; ++i) {
        EXPECT_EQ(board.get(0, i), kWall);
        EXPECT_EQ(board.get(9, i), kWall);
        EXPECT_EQ(board.get(i, 0), kWall);
        EXPECT_EQ(board.get(i, 9), kWall);
    }
    EXPECT_TRUE(setFlags(board).empty());
}

TEST(BoardStart, EachLegalSquareHasExactlyItsOneFlag) {
    ConsoleTest console;
    Board board;
    const std::map<std::string, std::vector<int>> black = {
        {"d3", {4}}, {"c4", {2}}, {"f5", {6}}, {"e6", {0}}};
    const std::map<std::string, std::vector<int>> white = {
        {"e3", {4}}, {"f4", {6}}, {"c5", {2}}, {"d6", {0}}};
    for (const auto& [colour, expected] : {std::pair{kBlack, black}, std::pair{kWhite, white}}) {
        std::map<std::string, std::vector<int>> legal;
        for (std::int32_t x = 1; x <= 8; ++x) {
            for (std::int32_t y = 1; y <= 8; ++y) {
                if (board.canPlace(x, y, colour)) {
                    legal[squareName(Point(x, y))] = setFlags(board);
                } else {
                    EXPECT_TRUE(setFlags(board).empty());
                }
            }
        }
        EXPECT_EQ(legal, expected) << "colour " << colour;
    }
    EXPECT_EQ(console.host.output(), "");
}

TEST(BoardPlace, FlipsEveryFlaggedRunUpToTheFirstOwnStone) {
    ConsoleTest console;
    Board board;
    // Black on d4 captures upwards (d3, d2 up to d1), rightwards (e4 up to f4; g4 beyond it
    // stays white) and down-right (e5, f6 up to g7); b4 is cut off by the empty c4.
    setRows(board, {
                       "...B....",
                       "...W....",
                       "...W....",
                       ".W..WBW.",
                       "....W...",
                       ".....W..",
                       "......B.",
                       "........",
                   });
    ASSERT_TRUE(board.canPlace(4, 4, kBlack));
    EXPECT_EQ(setFlags(board), (std::vector<int>{0, 2, 3}));
    board.place(4, 4, kBlack);
    Board expected;
    setRows(expected, {
                          "...B....",
                          "...B....",
                          "...B....",
                          ".W.BBBW.",
                          "....B...",
                          ".....B..",
                          "......B.",
                          "........",
                      });
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            EXPECT_EQ(board.get(x, y), expected.get(x, y)) << squareName(Point(x, y));
        }
    }
    EXPECT_EQ(setFlags(board), (std::vector<int>{0, 2, 3})) << "placing keeps the flags";
}

TEST(BoardPlace, C4FromTheStartFlipsD4Only) {
    ConsoleTest console;
    Board board;
    ASSERT_TRUE(board.canPlace(3, 4, kBlack));
    board.place(3, 4, kBlack);
    EXPECT_EQ(board.get(3, 4), kBlack);
    EXPECT_EQ(board.get(4, 4), kBlack);
    EXPECT_EQ(board.get(5, 5), kWhite);
    EXPECT_EQ(board.count(kBlack), 4);
    EXPECT_EQ(board.count(kWhite), 1);
}

TEST(BoardScan, OccupiedOrIsolatedSquaresPrintNothingEvenInTestMode) {
    ConsoleTest console("", true);
    Board board;
    ASSERT_TRUE(board.canPlace(3, 4, kBlack));
    console.host.clearOutput();
    EXPECT_FALSE(board.canPlace(4, 4, kBlack));
    EXPECT_TRUE(setFlags(board).empty()) << "an occupied square clears the flags";
    EXPECT_FALSE(board.canPlace(1, 1, kBlack));
    EXPECT_FALSE(board.canPlace(0, 0, kBlack)) << "a frame cell is never empty";
    EXPECT_EQ(console.host.output(), "");
}

TEST(BoardScan, TraceOfHasMoveOnTheStartStopsAtC4) {
    ConsoleTest console("", true);
    Board board;
    EXPECT_TRUE(board.hasMove(kBlack));
    EXPECT_EQ(setFlags(board), std::vector<int>{2});
    EXPECT_EQ(console.host.text(),
              " : # c3[3] -> d4 -> e5 -> f6 *\n"
              " : # c4[2] -> d4 -> e4 ･\n"
              " : ! c4[2]\n");
    // The middle dot is the single half-width katakana byte, not a two-byte character.
    EXPECT_NE(console.host.output().find("e4 \xA5\n"), std::string::npos);
}

TEST(BoardScan, TraceIsSilentOutsideTestMode) {
    ConsoleTest console("", false);
    Board board;
    EXPECT_TRUE(board.hasMove(kBlack));
    EXPECT_EQ(console.host.output(), "");
}

TEST(BoardScan, RunsEndingAtTheFrameAreIllegalAndTraceTheWall) {
    ConsoleTest console("", true);
    Board board;
    setRows(board, {
                       ".WWWWWWW",
                       "........",
                       "........",
                       "......WW",
                       "........",
                       "........",
                       "........",
                       "........",
                   });
    EXPECT_FALSE(board.canPlace(6, 4, kBlack));
    EXPECT_FALSE(board.canPlace(1, 1, kBlack));
    EXPECT_TRUE(setFlags(board).empty());
    EXPECT_EQ(console.host.text(),
              " : # f4[2] -> g4 -> h4 -> 9,4 *\n"
              " : # a1[2] -> b1 -> c1 -> d1 -> e1 -> f1 -> g1 -> h1 -> 9,1 *\n");
}

TEST(BoardScan, EveryExaminedSquareOfHasMoveIsTracedAndSummariesFollowTheWalks) {
    ConsoleTest console("", true);
    Board board;
    // a1 is examined and fails in two directions; a2 fails up-right at the top wall and is
    // legal rightwards over b2 to c2 and down-right over b3 to c4.
    setRows(board, {
                       ".W......",
                       ".WB.....",
                       ".W......",
                       "..B.....",
                       "........",
                       "........",
                       "........",
                       "........",
                   });
    EXPECT_TRUE(board.hasMove(kBlack));
    EXPECT_EQ(setFlags(board), (std::vector<int>{2, 3}));
    EXPECT_EQ(console.host.text(),
              " : # a1[2] -> b1 -> c1 *\n"
              " : # a1[3] -> b2 -> c3 *\n"
              " : # a2[1] -> b1 -> 3,0 *\n"
              " : # a2[2] -> b2 -> c2 ･\n"
              " : # a2[3] -> b3 -> c4 ･\n"
              " : ! a2[2]\n"
              " : ! a2[3]\n");
}

TEST(BoardHasMove, FullBoardHasNoMoveLeavesNoFlagAndPrintsNothing) {
    ConsoleTest console("", true);
    Board start;
    ASSERT_TRUE(start.canPlace(3, 4, kBlack));
    Board board;
    board.copyFrom(start);  // brings a set flag along
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            board.set(x, y, (x + y) % 2 == 0 ? kBlack : kWhite);
        }
    }
    ASSERT_FALSE(setFlags(board).empty());
    console.host.clearOutput();
    EXPECT_FALSE(board.hasMove(kBlack));
    EXPECT_FALSE(board.hasMove(kWhite));
    EXPECT_TRUE(setFlags(board).empty());
    EXPECT_EQ(console.host.output(), "");
}

TEST(BoardCopy, CopiesSquaresAndFlagsButNotTheFrame) {
    ConsoleTest console;
    Board source;
    Board target;
    ASSERT_TRUE(source.canPlace(6, 5, kBlack));
    source.set(1, 8, kWhite);
    source.set(9, 4, kEmpty);  // a frame cell that must not travel
    target.set(2, 2, kBlack);
    Board& result = target.copyFrom(source);
    EXPECT_EQ(&result, &target);
    EXPECT_EQ(target.get(1, 8), kWhite);
    EXPECT_EQ(target.get(2, 2), kEmpty);
    EXPECT_EQ(target.get(9, 4), kWall);
    EXPECT_EQ(setFlags(target), std::vector<int>{6});
    // The copied flags are enough to place on the copy.
    target.place(6, 5, kBlack);
    EXPECT_EQ(target.get(5, 5), kBlack);
    EXPECT_EQ(source.get(5, 5), kWhite);
}

// Counts the move sequences of a given length from a position.
long long perft(Board& board, std::int32_t colour, int depth) {
    if (depth == 0) {
        return 1;
    }
    Board probe;
    probe.copyFrom(board);
    EXPECT_TRUE(probe.hasMove(colour)) << "no pass happens this early";
    long long total = 0;
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            if (board.canPlace(x, y, colour)) {
                Board child;
                child.copyFrom(board);
                child.place(x, y, colour);
                total += perft(child, opponent(colour), depth - 1);
            }
        }
    }
    return total;
}

TEST(BoardPerft, CountsMoveSequencesFromTheStart) {
    ConsoleTest console;
    const long long expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216};
    for (int depth = 1; depth <= 8; ++depth) {
        Board board;
        EXPECT_EQ(perft(board, kBlack, depth), expected[depth - 1]) << "depth " << depth;
    }
    EXPECT_EQ(console.host.output(), "");
}

}  // namespace
}  // namespace orvanta
