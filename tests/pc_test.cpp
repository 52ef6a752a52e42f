#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <set>

#include "board/board.hpp"
#include "players/pc.hpp"
#include "tests/support/fake_host.hpp"
#include "tests/support/positions.hpp"

namespace orvanta {
namespace {

using testing::ConsoleTest;
using testing::sameSquares;
using testing::setRows;

// The number after "tried at" in the trace of a returned square.
int reportedTests(const std::string& text) {
    std::smatch match;
    const std::regex tried(" : \n : -- tried at ([0-9]+) time\\(s\\)\\.\n\n$");
    return std::regex_search(text, match, tried) ? std::stoi(match[1]) : -1;
}

std::string drawing(const Board& board) {
    ConsoleTest console;
    board.print();
    return console.host.output();
}

TEST(PCSelect, SameSecondSamePositionSameChoiceAndOutput) {
    std::set<std::string> chosen;
    for (std::time_t second = 1'700'000'000; second < 1'700'000'020; ++second) {
        std::string firstOutput;
        Point first(0, 0);
        for (int run = 0; run < 2; ++run) {
            ConsoleTest console("", true);
            console.host.clock = second;
            Board board;
            PC pc;
            const Point square = pc.select(board, kBlack);
            if (run == 0) {
                first = square;
                firstOutput = console.host.output();
            } else {
                EXPECT_EQ(square, first);
                EXPECT_EQ(console.host.output(), firstOutput);
            }
        }
        chosen.insert(squareName(first));
    }
    // Reseeding from the clock: over twenty seconds more than one of the four openings is played.
    EXPECT_GT(chosen.size(), 1u);
    for (const auto& square : chosen) {
        EXPECT_TRUE(square == "d3" || square == "c4" || square == "f5" || square == "e6") << square;
    }
}

TEST(PCSelect, OnPlayedPositionsReturnsALegalSquareWhoseFlagsAreOnTheBoard) {
    ConsoleTest console;
    std::mt19937 play(7);
    int checked = 0;
    for (int game = 0; game < 12; ++game) {
        Board board;
        std::int32_t side = kBlack;
        for (int move = 0; move < 60; ++move, side = opponent(side)) {
            if (!board.hasMove(side)) {
                side = opponent(side);
                if (!board.hasMove(side)) {
                    break;
                }
            }
            if (play() % 3 == 0) {
                // A random legal move now and then, so that positions vary beyond the
                // computer's own style.
                std::vector<Point> legal;
                for (std::int32_t x = 1; x <= 8; ++x) {
                    for (std::int32_t y = 1; y <= 8; ++y) {
                        if (board.canPlace(x, y, side)) {
                            legal.emplace_back(x, y);
                        }
                    }
                }
                const Point pick = legal[play() % legal.size()];
                ASSERT_TRUE(board.canPlace(pick, side));
                board.place(pick, side);
                continue;
            }
            console.host.clock = 1'000'000 + game * 100 + move;
            Board before;
            before.copyFrom(board);
            PC pc;
            const Point square = pc.select(board, side);
            ASSERT_TRUE(sameSquares(board, before)) << "the game board's cells are untouched";
            // Placing with the flags the call left must equal a fresh test-and-place.
            Board expected;
            expected.copyFrom(before);
            ASSERT_TRUE(expected.canPlace(square, side)) << squareName(square);
            expected.place(square, side);
            board.place(square, side);
            ASSERT_TRUE(sameSquares(board, expected)) << squareName(square);
            ++checked;
        }
    }
    EXPECT_GT(checked, 300);
}

TEST(PCSelect, SquareNextToAnEmptyCornerWaitsForTwoHundredTries) {
    // b2 is black's only legal square (over c3 to d4) and a1 is empty.
    for (std::time_t second = 50; second < 55; ++second) {
        ConsoleTest console("", true);
        console.host.clock = second;
        Board board;
        setRows(board, {"........", "........", "..W.....", "...B....", "........", "........",
                        "........", "........"});
        PC pc;
        EXPECT_EQ(pc.select(board, kBlack), Point(2, 2));
        EXPECT_GE(reportedTests(console.host.text()), 200);
    }
    // Outside test mode the fruitless best-edge search prints nothing at all.
    ConsoleTest quiet;
    Board board;
    setRows(board, {"........", "........", "..W.....", "...B....", "........", "........",
                    "........", "........"});
    PC pc;
    EXPECT_EQ(pc.select(board, kBlack), Point(2, 2));
    EXPECT_EQ(quiet.host.output(), "");
}

TEST(PCSelect, BestEdgeSearchDrawsEachLegalEdgeSquareAndKeepsTheFirstOfEqualGains) {
    // Black's only legal squares are a2 (over a3 to a4) and b1 (over c1 to d1), two stones each;
    // a1 is empty, h1 is occupied, so a drawn h2 or g1 starts the search.
    const std::vector<std::string> rows = {"..WB...W", "........", "W.......", "B.......",
                                           "........", "........", "........", "........"};
    Board afterA2;
    setRows(afterA2, rows);
    ASSERT_TRUE(afterA2.canPlace(1, 2, kBlack));
    afterA2.place(1, 2, kBlack);
    Board afterB1;
    setRows(afterB1, rows);
    ASSERT_TRUE(afterB1.canPlace(2, 1, kBlack));
    afterB1.place(2, 1, kBlack);
    const std::string twoDrawings = drawing(afterA2) + drawing(afterB1);

    for (std::time_t second = 10; second < 16; ++second) {
        ConsoleTest console;
        console.host.clock = second;
        Board board;
        setRows(board, rows);
        PC pc;
        EXPECT_EQ(pc.select(board, kBlack), Point(1, 2));
        EXPECT_EQ(console.host.output(), twoDrawings)
            << "the scratch boards are drawn in every mode";
    }

    ConsoleTest console("", true);
    Board board;
    setRows(board, rows);
    PC pc;
    EXPECT_EQ(pc.select(board, kBlack), Point(1, 2));
    const std::string text = console.host.text();
    const std::string search = " : -- mode to choose best position!\n : \n";
    const auto begin = text.find(search);
    ASSERT_NE(begin, std::string::npos);
    EXPECT_NE(text.find(" : a2 -- 2 stones\n : \n", begin), std::string::npos);
    EXPECT_NE(text.find(" : b1 -- 2 stones\n : \n", begin), std::string::npos);
    EXPECT_NE(
        text.find(" : ! a2 -- 2 stones\n : \n : -- end of mode to choose best position.\n : \n",
                  begin),
        std::string::npos);
    // The search began after some tests, so it is announced after a separating " : " line.
    EXPECT_EQ(text.substr(begin - 4, 4), " : \n");
}

// Replays the draws that the search must make on a position whose corners are all taken, so that
// nothing is filtered: five single draws for corners, then pairs (row first) of which the centre
// squares are skipped without being counted or tested, and of which the first edge neighbour
// runs the (here fruitless) best-edge search instead of a test.
struct Expected {
    Point square;
    int tests;
    int centreSkips;
};

Expected replay(std::uint32_t seed, const std::set<std::pair<int, int>>& legal) {
    std::mt19937 draw(seed);
    const std::set<std::pair<int, int>> edges = {{1, 2}, {2, 1}, {7, 1}, {8, 2},
                                                 {1, 7}, {2, 8}, {7, 8}, {8, 7}};
    int tests = 0;
    for (int i = 0; i < 5; ++i) {
        draw();
        ++tests;
    }
    bool searched = false;
    int centreSkips = 0;
    for (;;) {
        const int y = static_cast<int>(draw() % 8 + 1);
        const int x = static_cast<int>(draw() % 8 + 1);
        if ((x == 4 || x == 5) && (y == 4 || y == 5)) {
            ++centreSkips;
            continue;
        }
        if (edges.count({x, y}) && !searched) {
            searched = true;
            continue;
        }
        ++tests;
        if (legal.count({x, y})) {
            return {Point(x, y), tests, centreSkips};
        }
    }
}

TEST(PCSelect, DrawsCornersFirstThenRowAndColumnSkippingTheCentre) {
    const std::vector<std::string> rows = {"W......W", "........", "........", "...WB...",
                                           "...BB...", "........", "........", "W......W"};
    Board board;
    setRows(board, rows);
    std::set<std::pair<int, int>> legal;
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            if (board.canPlace(x, y, kBlack)) {
                legal.insert({x, y});
            }
        }
    }
    ASSERT_EQ(legal, (std::set<std::pair<int, int>>{{3, 3}, {3, 4}, {4, 3}}));
    int centreSkipsSeen = 0;
    for (std::uint32_t seed = 100; seed < 140; ++seed) {
        ConsoleTest console("", true);
        console.host.clock = seed;
        PC pc;
        const Point square = pc.select(board, kBlack);
        const Expected expected = replay(seed, legal);
        EXPECT_EQ(square, expected.square) << "seed " << seed;
        EXPECT_EQ(reportedTests(console.host.text()), expected.tests) << "seed " << seed;
        centreSkipsSeen += expected.centreSkips;
    }
    EXPECT_GT(centreSkipsSeen, 0);
}

}  // namespace
}  // namespace orvanta
