// The computer's seat, PC: its draws and filters. (Its best-edge search and the human's seat are
// pinned by the session transcripts.)
#include <gtest/gtest.h>

#include <map>
#include <optional>
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

// What holds of the draws whatever the seed (the transcripts pin the exact ones): the square
// chosen is legal, the trace counts at least one test, the same second gives the same choice, and
// over many seconds every legal square is chosen; a legal corner, drawn first, is chosen most.
TEST(PCSelect, EveryDrawIsLegalRepeatableAndEveryLegalSquareComesUp) {
    const struct {
        const char* what;
        Rows rows;
        std::optional<std::pair<int, int>> corner;  // (x, y)
    } cases[] = {
        {"corners taken: nothing filtered",
         {"W......W", "........", "........", "...WB...", "...BB...", "........", "........",
          "W......W"},
         std::nullopt},
        {"one legal corner among other moves",
         {"........", ".W......", "..W.....", "...BW...", "...WB...", "........", "........",
          "........"},
         std::pair{1, 1}},
    };
    for (const auto& c : cases) {
        std::set<std::pair<int, int>> legal;
        for (int x = 1; x <= 8; ++x) {
            for (int y = 1; y <= 8; ++y) {
                Board board;
                setRows(board, c.rows);
                if (board.canPlace(Point(x, y), kBlack)) {
                    legal.insert({x, y});
                }
            }
        }
        ASSERT_GE(legal.size(), 3u) << c.what;
        if (c.corner) {
            ASSERT_TRUE(legal.count(*c.corner)) << c.what;
        }
        std::map<std::pair<int, int>, int> chosen;
        for (std::time_t second = 100; second < 160; ++second) {
            const Choice choice = choose(c.rows, second, true);
            const std::pair square{choice.square.getX(), choice.square.getY()};
            EXPECT_TRUE(legal.count(square)) << c.what << ", second " << second;
            EXPECT_GE(choice.tests, 1) << c.what << ", second " << second;
            EXPECT_EQ(choose(c.rows, second, false).square, choice.square)
                << c.what << ": the same second, the same draws";
            ++chosen[square];
        }
        EXPECT_EQ(chosen.size(), legal.size()) << c.what << ": every legal square comes up";
        if (c.corner) {
            for (const auto& [square, count] : chosen) {
                EXPECT_LE(count, chosen[*c.corner]) << c.what;
            }
        }
    }
}

}  // namespace
}  // namespace orvanta
