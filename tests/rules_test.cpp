// Move text, and the rules through the move counts from the start (transcripts pin the traces).
#include <gtest/gtest.h>

#include "board/board.hpp"
#include "tests/support/fake_host.hpp"

namespace orvanta {
namespace {

TEST(Point, ParseReadsLetterThenDigitKeepsWhatMatchedAndStaysInsideTheText) {
    using namespace std::string_view_literals;
    const struct {
        std::string_view text;
        bool ok;
        Point point;
    } cases[] = {
        {"f5", true, {6, 5}},
        {"h8x", true, {8, 8}},
        {"5f", false, {0, 0}},
        {"a0", false, {1, 0}},
        {"", false, {0, 0}},
        {"f\0"
         "5"sv,
         false,
         {6, 0}},
        {"f5"sv.substr(0, 1), false, {6, 0}},  // the byte after the text is never read
    };
    for (const auto& c : cases) {
        Point p(7, 7);  // every parse starts from (0, 0)
        EXPECT_EQ(p.parse(c.text), c.ok) << c.text;
        EXPECT_EQ(p, c.point) << c.text;
    }
}

// The number of move sequences of a given length; each child is a copy of its parent, placed
// with the flags the copy took over from the parent's legality test.
long long perft(Board& board, std::int32_t colour, int depth) {
    long long total = depth == 0 ? 1 : 0;
    for (std::int32_t square = 0; depth > 0 && square < 64; ++square) {
        if (board.canPlace(square % 8 + 1, square / 8 + 1, colour)) {
            Board child;
            child.copyFrom(board).place(square % 8 + 1, square / 8 + 1, colour);
            total += perft(child, opponent(colour), depth - 1);
        }
    }
    return total;
}

TEST(Board, PerftCountsFromTheStartMatchTheKnownNumbers) {
    testing::ConsoleTest console;
    const long long expected[] = {4, 12, 56, 244, 1396, 8200, 55092, 390216};
    for (int depth = 1; depth <= 8; ++depth) {
        Board board;
        EXPECT_EQ(perft(board, kBlack, depth), expected[depth - 1]) << "depth " << depth;
    }
}

}  // namespace
}  // namespace orvanta
