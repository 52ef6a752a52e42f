// The transposition table's keeping: what a second result for the same position leaves, and which
// entry a new position displaces when its bucket is full.
#include <gtest/gtest.h>

#include "engine/transposition.hpp"

namespace orvanta::engine {
namespace {

// Positions told apart by one disc each (the table keeps whole positions).
constexpr Bitboard kOpponent = 1;
Bitboard position(int n) {
    return Bitboard{1} << (n + 8);
}

TEST(TranspositionTable, ASecondResultForAPositionMergesWithTheFirst) {
    const struct {
        const char* what;
        Stored first;
        Stored second;
        Stored kept;
    } cases[] = {
        {"same depth: the tighter bounds, the move of the better lower bound (the new)",
         {-10, 20, 5, 6},
         {0, 30, 7, 6},
         {0, 20, 7, 6}},
        {"same depth: the old move when its lower bound is better",
         {5, 20, 3, 6},
         {0, 10, 9, 6},
         {5, 10, 3, 6}},
        {"same depth: a result without a move keeps the old move",
         {0, 20, 3, 6},
         {0, 10, kPass, 6},
         {0, 10, 3, 6}},
        {"same depth, bounds that disagree: the newer stands alone",
         {10, 10, 3, 6},
         {-5, -5, 9, 6},
         {-5, -5, 9, 6}},
        {"a deeper result stays", {1, 1, 3, 8}, {3, 3, 9, 4}, {1, 1, 3, 8}},
        {"a deeper new result replaces", {1, 1, 3, 4}, {-2, 5, 9, 8}, {-2, 5, 9, 8}},
        {"a solved result outlasts any search",
         {2, 2, 3, TranspositionTable::kSolvedDepth},
         {40, 40, 9, 30},
         {2, 2, 3, TranspositionTable::kSolvedDepth}},
    };
    for (const auto& c : cases) {
        TranspositionTable table(1 << 16);
        table.store(position(0), kOpponent, c.first, 100);
        table.store(position(0), kOpponent, c.second, 100);
        const auto kept = table.probe(position(0), kOpponent);
        ASSERT_TRUE(kept) << c.what;
        EXPECT_EQ(kept->lower, c.kept.lower) << c.what;
        EXPECT_EQ(kept->upper, c.kept.upper) << c.what;
        EXPECT_EQ(kept->move, c.kept.move) << c.what;
        EXPECT_EQ(kept->depth, c.kept.depth) << c.what;
    }
}

// A table of one bucket: every position competes for its two entries. The current search's
// entries outrank older ones; then the deeper, then the dearer.
TEST(TranspositionTable, ANewPositionDisplacesTheLeastValuableEntry) {
    TranspositionTable table(1);
    ASSERT_EQ(table.entries(), 2u);
    const auto store = [&](int n, int depth, std::uint64_t nodes) {
        table.store(position(n), kOpponent, {0, 0, kPass, depth}, nodes);
    };
    const auto kept = [&](int n) { return table.probe(position(n), kOpponent).has_value(); };

    store(0, 5, 100);
    store(1, 3, 100);
    store(2, 4, 100);  // displaces the shallower
    EXPECT_TRUE(kept(0));
    EXPECT_FALSE(kept(1));
    EXPECT_TRUE(kept(2));

    store(3, 4, 1'000'000);  // 2 is now the shallower
    EXPECT_TRUE(kept(0));
    EXPECT_FALSE(kept(2));
    EXPECT_TRUE(kept(3));

    // A new search: the old entries, however deep, give way to a shallow new one, and are still
    // read until then.
    table.newSearch();
    EXPECT_TRUE(kept(0));
    store(4, 1, 1);
    store(5, 1, 1);
    EXPECT_FALSE(kept(0));
    EXPECT_FALSE(kept(3));
    EXPECT_TRUE(kept(4));
    EXPECT_TRUE(kept(5));

    // Found again in the new search, an old entry counts as the new search's.
    table.newSearch();
    table.store(position(4), kOpponent, {0, 0, kPass, 0}, 1);  // shallower: 4 stays, renewed
    store(6, 1, 1);
    EXPECT_TRUE(kept(4));
    EXPECT_FALSE(kept(5));
    EXPECT_TRUE(kept(6));

    // As deep as each other: the cheaper result goes.
    table.newSearch();
    store(7, 4, 1'000'000);
    store(8, 4, 10);
    store(9, 4, 100);
    EXPECT_TRUE(kept(7));
    EXPECT_FALSE(kept(8));
    EXPECT_TRUE(kept(9));
}

}  // namespace
}  // namespace orvanta::engine
