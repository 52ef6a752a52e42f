// The computer's seat, PC: its draws and filters. (Its best-edge search and the human's seat are
// pinned by the session transcripts.)
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
    int tests;         // the number after "tried at" in test mode, else -1
};

// Black's choice on `rows` at the given second.
Choice choose(const Rows& rows, std::time_t second, bool testMode) {
    ConsoleTest console("", testMode);
    console.host.clock = second;
    Board board;
    setRows(board, rows);
    const Point square = PC().select(board, kBlack);
    std::smatch match;
    const std::string text = console.host.text();
    const std::regex tried(" : \n : -- tried at ([0-9]+) time\\(s\\)\\.\n\n$");
    return {square, text, std::regex_search(text, match, tried) ? std::stoi(match[1]) : -1};
}

TEST(PCSelect, ASquareNextToAnEmptyCornerWaitsForTwoHundredCountedTriesExactly) {
    // b2 is black's only legal square (over c3 to d4); all corners are empty. At seconds 2 and
    // 38 a diagonal neighbour (b2 itself at 38) is drawn just as the count of tries reaches
    // 200, where that filter ends, so it is counted and tested; at second 6 an edge neighbour
    // is drawn as the count reaches 100, where the edge filter ends.
    const Rows rows = {"........", "........", "..W.....", "...B....",
                       "........", "........", "........", "........"};
    const struct {
        std::time_t second;
        int tests;
    } cases[] = {{2, 333}, {6, 219}, {38, 200}};
    for (const auto& c : cases) {
        const Choice traced = choose(rows, c.second, true);
        EXPECT_EQ(traced.square, Point(2, 2)) << c.second;
        EXPECT_EQ(traced.tests, c.tests) << c.second;
        EXPECT_EQ(choose(rows, c.second, false).text, "") << "fruitless searches print nothing";
    }
}

// The draws expected on a position whose corners are all taken, so that nothing is filtered:
// five single draws for corners, then pairs (row first) of which centre squares are skipped
// without being counted or tested, and the first edge square runs the (fruitless) best-edge
// search instead of a test. (Seeds 100 to 139 draw centre squares several times.)
Choice replay(std::uint32_t seed, const std::set<std::pair<int, int>>& legal) {
    std::mt19937 draw(seed);
    const std::set<std::pair<int, int>> edges = {{1, 2}, {2, 1}, {7, 1}, {8, 2},
                                                 {1, 7}, {2, 8}, {7, 8}, {8, 7}};
    Choice result{Point(0, 0), "", 5};
    draw.discard(5);
    bool searched = false;
    for (;;) {
        const int y = static_cast<int>(draw() % 8 + 1);
        const int x = static_cast<int>(draw() % 8 + 1);
        if ((x == 4 || x == 5) && (y == 4 || y == 5)) {
            continue;
        }
        if (edges.count({x, y}) && !searched) {
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
    for (std::uint32_t seed = 100; seed < 140; ++seed) {
        const Choice choice = choose(rows, seed, true);
        const Choice expected = replay(seed, legal);
        EXPECT_EQ(choice.square, expected.square) << "seed " << seed;
        EXPECT_EQ(choice.tests, expected.tests) << "seed " << seed;
    }
}

}  // namespace
}  // namespace orvanta
