// The order in which both searches try a node's moves: the table's move first and unvalued, then
// best first by the search's own valuation, made once; and the cut-off that the table's bounds
// on the children give before any move is searched.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/move_order.hpp"

namespace orvanta::engine::detail {
namespace {

struct Move {
    Bitboard flipped = 0;
    int square = 0;
    int value = 0;
};
using Picker = MovePicker<Move>;

Bitboard squares(std::initializer_list<int> list) {
    Bitboard b = 0;
    for (const int s : list) {
        b |= bit(s);
    }
    return b;
}

// Values each move by a fixed table and records which squares it was asked about.
struct Valuation {
    std::map<int, int> values;
    std::vector<int>* asked;
    void operator()(Move& m) const {
        asked->push_back(m.square);
        m.value = values.at(m.square);
    }
};

std::vector<int> takeAll(Picker& picker, const Valuation& valuation) {
    std::vector<int> order;
    while (const Move* m = picker.next(valuation)) {
        order.push_back(m->square);
    }
    return order;
}

TEST(MovePicker, TakesTheTablesMoveFirstThenTheBestByValue) {
    const struct {
        const char* what;
        Bitboard moves;
        int hashMove;
        std::map<int, int> values;
        std::vector<int> order;
    } cases[] = {
        {"no table move: best first",
         squares({3, 10, 20}),
         kPass,
         {{3, 1}, {10, 7}, {20, 4}},
         {10, 20, 3}},
        {"the table's move first, though valued worst",
         squares({3, 10, 20}),
         20,
         {{3, 1}, {10, 7}, {20, -50}},
         {20, 10, 3}},
        {"a table move that is not legal here is ignored",
         squares({3, 10}),
         11,
         {{3, 1}, {10, 7}},
         {10, 3}},
        {"equal values: the first listed",
         squares({5, 6, 7}),
         kPass,
         {{5, 2}, {6, 2}, {7, 2}},
         {5, 6, 7}},
        {"negative values", squares({0, 63}), kPass, {{0, -9}, {63, -3}}, {63, 0}},
        {"one move", squares({42}), 42, {{42, 0}}, {42}},
        {"no move", 0, kPass, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<int> asked;
        Picker picker(c.moves, c.hashMove, [](Move&) {});
        EXPECT_EQ(takeAll(picker, Valuation{c.values, &asked}), c.order) << c.what;
        EXPECT_TRUE(picker.empty()) << c.what;
    }
}

// The table's move often cuts the node alone: the others are valued only when a second move is
// wanted, each once, and the table's move never.
TEST(MovePicker, ValuesTheOthersOnlyWhenASecondMoveIsWanted) {
    std::vector<int> asked;
    const Valuation valuation{{{3, 1}, {10, 7}, {20, 4}}, &asked};
    Picker picker(squares({3, 10, 20}), 10, [](Move&) {});
    ASSERT_EQ(picker.next(valuation)->square, 10);
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(picker.next(valuation)->square, 20);
    EXPECT_EQ(asked, (std::vector<int>{3, 20}));
    picker.value(valuation);  // as before a split: already done
    ASSERT_EQ(picker.next(valuation)->square, 3);
    EXPECT_EQ(asked.size(), 2U);

    // Valued before the first pick (the solver orders at once): every move but the table's.
    asked.clear();
    Picker eager(squares({3, 10, 20}), 3, [](Move&) {});
    eager.value(valuation);
    EXPECT_EQ(asked, (std::vector<int>{10, 20}));
    EXPECT_EQ(takeAll(eager, valuation), (std::vector<int>{3, 10, 20}));
}

TEST(MovePicker, FillsEveryMoveInSquareOrder) {
    std::vector<int> filled;
    const Picker picker(squares({9, 2, 40}), kPass, [&filled](Move& m) {
        filled.push_back(m.square);
        m.flipped = bit(m.square + 1);
    });
    EXPECT_EQ(filled, (std::vector<int>{2, 9, 40}));
    for (const Move& m : picker) {
        EXPECT_EQ(m.flipped, bit(m.square + 1));
    }
}

// The children of a node whose entries bound them: a child bounded at most -alpha proves the node
// beats alpha; entries that the search cannot use are passed over.
TEST(TransposedCut, AChildBoundedBelowMinusAlphaSettlesTheNode) {
    constexpr Bitboard kPlayer = 0x0000000810000000;
    constexpr Bitboard kOpponent = 0x0000001008000000;
    // Moves with made-up flips: only the children's keys matter to the table.
    const auto child = [](const Move& m) {
        return std::pair{kOpponent ^ m.flipped, kPlayer ^ m.flipped ^ bit(m.square)};
    };
    const auto read = [](const Stored& s) -> std::optional<int> {
        return s.depth >= 5 ? std::optional(s.upper) : std::nullopt;
    };
    const struct {
        const char* what;
        std::map<int, Stored> entries;  // by move
        int alpha;
        std::optional<int> cut;
    } cases[] = {
        {"no child known", {}, 0, std::nullopt},
        {"a child bounded at -5 proves at least 5", {{19, {-64, -5, kPass, 6}}}, 0, 5},
        {"not beyond alpha", {{19, {-64, -5, kPass, 6}}}, 5, std::nullopt},
        {"an entry too shallow is passed over", {{19, {-64, -5, kPass, 4}}}, 0, std::nullopt},
        {"the first child in the list's order that proves it",
         {{19, {-64, -5, kPass, 6}}, {37, {-64, -9, kPass, 6}}},
         0,
         5},
        {"a later child when the first does not",
         {{19, {-64, 3, kPass, 6}}, {37, {-64, -9, kPass, 6}}},
         0,
         9},
    };
    for (const auto& c : cases) {
        Picker picker(squares({19, 37, 44}), kPass, [](Move& m) { m.flipped = bit(m.square - 1); });
        TranspositionTable table(1 << 16);
        for (const Move& m : picker) {
            if (const auto entry = c.entries.find(m.square); entry != c.entries.end()) {
                const auto [p, o] = child(m);
                table.store(p, o, entry->second, 1);
            }
        }
        EXPECT_EQ(transposedCut(picker, table, kPlayer, kOpponent, c.alpha, read), c.cut) << c.what;
    }
}

}  // namespace
}  // namespace orvanta::engine::detail
