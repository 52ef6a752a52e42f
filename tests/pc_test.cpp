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
using testing::Rows;
using testing::setRows;

struct Choice {
    Point square;
    std::string text;  // everything the call printed
};

// Black's choice on `rows` (the starting position when empty) at the given second.
Choice choose(const Rows& rows, std::time_t second, bool testMode) {
    ConsoleTest console("", testMode);
    console.host.clock = second;
    Board board;
    if (!rows.empty()) {
        setRows(board, rows);
    }
    PC pc;
    const Point square = pc.select(board, kBlack);
    return {square, console.host.text()};
}

// The number after "tried at" in the trace of a returned square.
int reportedTests(const std::string& text) {
    std::smatch match;
    const std::regex tried(" : \n : -- tried at ([0-9]+) time\\(s\\)\\.\n\n$");
    return std::regex_search(text, match, tried) ? std::stoi(match[1]) : -1;
}

TEST(PCSelect, TheSameSecondGivesTheSameChoiceAndOutputAndOtherSecondsVary) {
    std::set<std::string> chosen;
    for (std::time_t second = 1'700'000'000; second < 1'700'000'020; ++second) {
        const Choice first = choose({}, second, true);
        const Choice again = choose({}, second, true);
        EXPECT_EQ(again.square, first.square);
        EXPECT_EQ(again.text, first.text);
        chosen.insert(squareName(first.square));
    }
    EXPECT_GT(chosen.size(), 1u) << "the generator is reseeded from the clock";
    EXPECT_TRUE(std::includes(std::set<std::string>{"c4", "d3", "e6", "f5"}.begin(),
                              std::set<std::string>{"c4", "d3", "e6", "f5"}.end(), chosen.begin(),
                              chosen.end()));
}

TEST(PCSelect, ASquareNextToAnEmptyCornerWaitsForTwoHundredTries) {
    // b2 is black's only legal square (over c3 to d4) and a1 is empty.
    const Rows rows = {"........", "........", "..W.....", "...B....",
                       "........", "........", "........", "........"};
    for (std::time_t second = 50; second < 55; ++second) {
        const Choice traced = choose(rows, second, true);
        EXPECT_EQ(traced.square, Point(2, 2));
        EXPECT_GE(reportedTests(traced.text), 200);
        const Choice quiet = choose(rows, second, false);
        EXPECT_EQ(quiet.square, Point(2, 2));
        EXPECT_EQ(quiet.text, "") << "a fruitless best-edge search prints nothing";
    }
}

TEST(PCSelect, BestEdgeSearchDrawsEachLegalEdgeSquareAndKeepsTheFirstOfEqualGains) {
    // Black's only legal squares are a2 (over a3 to a4) and b1 (over c1 to d1), two stones each;
    // a1 is empty, h1 occupied: a drawn h2 or g1 starts the search, later any edge square.
    const Rows rows = {"..WB...W", "........", "W.......", "B.......",
                       "........", "........", "........", "........"};
    std::string twoDrawings;
    for (const Point square : {Point(1, 2), Point(2, 1)}) {
        ConsoleTest console;
        Board board;
        setRows(board, rows);
        ASSERT_TRUE(board.canPlace(square, kBlack));
        board.place(square, kBlack);
        board.print();
        twoDrawings += console.host.text();
    }
    for (std::time_t second = 10; second < 16; ++second) {
        const Choice quiet = choose(rows, second, false);
        EXPECT_EQ(quiet.square, Point(1, 2));
        EXPECT_EQ(quiet.text, twoDrawings) << "the scratch boards are drawn in every mode";
    }
    const std::string text = choose(rows, 10, true).text;
    const auto begin = text.find(" : \n : -- mode to choose best position!\n : \n");
    ASSERT_NE(begin, std::string::npos) << "announced after a separating line: tests came first";
    const auto a2 = text.find(" : a2 -- 2 stones\n : \n", begin);
    const auto b1 = text.find(" : b1 -- 2 stones\n : \n", a2);
    const auto end = text.find(
        " : ! a2 -- 2 stones\n : \n : -- end of mode to choose best position.\n : \n", b1);
    EXPECT_TRUE(a2 != std::string::npos && b1 != std::string::npos && end != std::string::npos);
}

// The draws expected on a position whose corners are all taken, so that nothing is filtered:
// five single draws for corners, then pairs (row first) of which centre squares are skipped
// without being counted or tested, and the first edge square runs the (fruitless) best-edge
// search instead of a test.
struct Replay {
    Point square;
    int tests;
    int centreSkips;
};

Replay replay(std::uint32_t seed, const std::set<std::pair<int, int>>& legal) {
    std::mt19937 draw(seed);
    const std::set<std::pair<int, int>> edges = {{1, 2}, {2, 1}, {7, 1}, {8, 2},
                                                 {1, 7}, {2, 8}, {7, 8}, {8, 7}};
    Replay result{Point(0, 0), 5, 0};
    draw.discard(5);
    bool searched = false;
    for (;;) {
        const int y = static_cast<int>(draw() % 8 + 1);
        const int x = static_cast<int>(draw() % 8 + 1);
        if ((x == 4 || x == 5) && (y == 4 || y == 5)) {
            ++result.centreSkips;
        } else if (edges.count({x, y}) && !searched) {
            searched = true;
        } else if (++result.tests, legal.count({x, y})) {
            result.square = Point(x, y);
            return result;
        }
    }
}

TEST(PCSelect, DrawsCornersFirstThenRowAndColumnSkippingTheCentre) {
    const Rows rows = {"W......W", "........", "........", "...WB...",
                       "...BB...", "........", "........", "W......W"};
    const std::set<std::pair<int, int>> legal = {{3, 3}, {3, 4}, {4, 3}};
    int centreSkips = 0;
    for (std::uint32_t seed = 100; seed < 140; ++seed) {
        const Choice choice = choose(rows, seed, true);
        const Replay expected = replay(seed, legal);
        EXPECT_EQ(choice.square, expected.square) << "seed " << seed;
        EXPECT_EQ(reportedTests(choice.text), expected.tests) << "seed " << seed;
        centreSkips += expected.centreSkips;
    }
    EXPECT_GT(centreSkips, 0);
}

}  // namespace
}  // namespace orvanta
