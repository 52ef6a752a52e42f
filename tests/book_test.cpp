// The opening book: lookups through the board's symmetries, negamax over a small tree, the
// file's round trip and its refusals, the levels' choice among book moves, and the builder's
// shards and reuse.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/nboard.hpp"
#include "engine/book.hpp"
#include "engine/score.hpp"
#include "engine/symmetry.hpp"
#include "platform/random.hpp"
#include "players/engine_pc.hpp"
#include "players/levels.hpp"
#include "players/positions.hpp"
#include "tests/support/fake_host.hpp"
#include "train/book.hpp"

namespace orvanta {
namespace {

using engine::Book;
using engine::BookMove;
using engine::BookRecord;
using engine::normalForm;
using engine::Position;

Position played(std::initializer_list<const char*> moves) {
    Position p;
    for (const char* m : moves) {
        p.play(*engine::parseSquare(m));
    }
    return p;
}

BookRecord leaf(const Position& p, int value, int depth = 14) {
    return {normalForm(p), value, depth};
}

std::vector<BookRecord> sorted(std::vector<BookRecord> records) {
    std::sort(records.begin(), records.end(),
              [](const BookRecord& a, const BookRecord& b) { return a.key < b.key; });
    return records;
}

// A small tree from the start: f5, then d6, f6 and f4 for white, and after f5 d6 black's c3
// and c5 (c5 for black after f5 d6 is in the book as a leaf).
std::vector<BookRecord> smallTree() {
    auto records = sorted({
        leaf(Position(), 0, 0),
        leaf(played({"f5"}), 0, 0),
        leaf(played({"f5", "d6"}), 0, 0),
        leaf(played({"f5", "f6"}), -120),
        leaf(played({"f5", "f4"}), 250),
        leaf(played({"f5", "d6", "c3"}), 40),
        leaf(played({"f5", "d6", "c5"}), 310),
    });
    engine::propagate(records);
    return records;
}

int valueOf(const std::vector<BookRecord>& records, const Position& p) {
    for (const BookRecord& r : records) {
        if (r.key == normalForm(p)) {
            return r.value;
        }
    }
    ADD_FAILURE() << "not in the book: " << p.text();
    return 0;
}

TEST(Book, NegamaxCarriesTheLeavesToTheRootFromEachMoversSide) {
    const auto records = smallTree();
    const struct {
        Position position;
        int value;
    } cases[] = {
        {played({"f5", "d6", "c5"}), 310},  // a leaf keeps its score
        {played({"f5", "d6"}), -40},        // black: c3 gives -40, c5 -310
        {played({"f5"}), 120},              // white: d6 gives 40, f6 120, f4 -250
        {Position(), -120},                 // the four first moves are one position
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valueOf(records, c.position), c.value) << c.position.text();
    }
    // The depths: inner positions 0, leaves as scored.
    EXPECT_EQ(std::count_if(records.begin(), records.end(),
                            [](const BookRecord& r) { return r.depth == 0; }),
              3);
}

TEST(Book, UnscoredLeavesCountForNothingAndAnInnerPositionWithoutScoresStaysUnscored) {
    auto records = sorted({
        leaf(Position(), 0, 0),
        leaf(played({"f5"}), 0, 0),
        leaf(played({"f5", "d6"}), 0, engine::kBookUnscored),
        leaf(played({"f5", "f6"}), -120),
    });
    engine::propagate(records);
    EXPECT_EQ(valueOf(records, played({"f5"})), 120);
    records = sorted({leaf(Position(), 0, 0), leaf(played({"f5"}), 0, engine::kBookUnscored)});
    engine::propagate(records);
    EXPECT_EQ(records[0].depth + records[1].depth, 2 * engine::kBookUnscored);
}

// Square `s` under symmetry k.
int mapped(int s, int k) {
    return engine::firstSquare(engine::symmetry(engine::bit(s), k));
}

TEST(Book, MovesAreFoundUnderEverySymmetryOfThePosition) {
    const auto bytes = engine::writeBook(smallTree());
    const auto book = Book::read(bytes);
    ASSERT_TRUE(book);
    const Position position = played({"f5", "d6"});
    const std::vector<BookMove> expected = {{*engine::parseSquare("c3"), -40},
                                            {*engine::parseSquare("c5"), -310}};
    for (int k = 0; k < engine::kSymmetries; ++k) {
        const Position turned(engine::symmetry(position.player(), k),
                              engine::symmetry(position.opponent(), k), position.mover());
        std::vector<BookMove> want;
        want.reserve(expected.size());
        for (const BookMove& m : expected) {
            want.push_back({mapped(m.move, k), m.score});
        }
        EXPECT_EQ(book->moves(turned), want) << "symmetry " << k;
    }
    // The start's four first moves are one position: each is a book move.
    EXPECT_EQ(book->moves(Position()).size(), 4U);
    // A leaf and a position out of the book have no book moves.
    EXPECT_TRUE(book->moves(played({"f5", "f6"})).empty());
    EXPECT_TRUE(book->moves(played({"f5", "f6", "e6"})).empty());
    EXPECT_TRUE(Book().moves(Position()).empty());
}

TEST(Book, TheFileReadsBackAndEveryDamageIsRefused) {
    const auto records = smallTree();
    const auto bytes = engine::writeBook(records);
    ASSERT_EQ(bytes.size(), engine::kBookHeaderBytes + records.size() * engine::kBookRecordBytes);
    const auto book = Book::read(bytes);
    ASSERT_TRUE(book);
    ASSERT_EQ(book->size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(book->record(i), records[i]);
    }
    // Damages written with a good checksum, and bytes changed after it.
    const auto with = [&](auto change) {
        auto copy = records;
        change(copy);
        return engine::writeBook(copy);
    };
    const auto bytesWith = [&](std::size_t at, unsigned char value) {
        auto copy = bytes;
        copy[at] = value;
        return copy;
    };
    const std::vector<unsigned char> shorter(bytes.begin(), bytes.end() - 1);
    auto longer = bytes;
    longer.push_back(0);
    const struct {
        const char* what;
        std::vector<unsigned char> file;
        std::string error;
    } cases[] = {
        {"empty", {}, "not a book file"},
        {"magic", bytesWith(7, '2'), "not a book file"},
        {"short", shorter, "the book's size does not match its record count"},
        {"long", longer, "the book's size does not match its record count"},
        {"count", bytesWith(8, 200), "the book's size does not match its record count"},
        {"reserved", bytesWith(12, 1), "the book's size does not match its record count"},
        {"a flipped bit", bytesWith(40, bytes[40] ^ 4), "the book's checksum does not match"},
        {"order", with([](auto& r) { std::swap(r[0], r[1]); }), "record 1 is out of order"},
        {"repeat", with([](auto& r) { r[1] = r[0]; }), "record 1 is out of order"},
        {"overlap",
         with([](auto& r) { r[2].key.opponent |= r[2].key.player & (~r[2].key.player + 1); }),
         "record 2 is not valid"},
        {"not normal", with([](auto& r) {
             r[0].key = {engine::symmetry(r[0].key.player, 1),
                         engine::symmetry(r[0].key.opponent, 1)};
             if (normalForm(r[0].key.player, r[0].key.opponent) == r[0].key) {
                 r[0].key = {engine::symmetry(r[0].key.player, 2),
                             engine::symmetry(r[0].key.opponent, 2)};
             }
         }),
         "record 0 is not valid"},
        {"empty centre", with([](auto& r) {
             r[0].key = {1, 2};
         }),
         "record 0 is not valid"},
        {"value", with([](auto& r) { r[3].value = engine::kBest + 1; }), "record 3 is not valid"},
        {"depth", with([](auto& r) { r[3].depth = 61; }), "record 3 is not valid"},
        {"unscored", with([](auto& r) { r[3].depth = engine::kBookUnscored; }),
         "record 3 is not valid"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Book::read(c.file, false, &error)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
    }
    // A shard's file may hold unscored leaves.
    EXPECT_TRUE(Book::read(cases[std::size(cases) - 1].file, true));
}

TEST(Book, TheCommittedBookIsSoundAndBuiltInWhole) {
    // A damaged built-in book would be an empty one: read the committed file itself.
    const std::string text = testing::readFile(ORVANTA_SESSIONS_DIR "/../../engine/book.bin");
    const std::vector<unsigned char> bytes(text.begin(), text.end());
    std::string error;
    const auto book = Book::read(bytes, false, &error);
    ASSERT_TRUE(book) << error;
    EXPECT_EQ(engine::builtinBook().size(), book->size());
    // It covers the opening: every first move (each a symmetry of the others), valued near an
    // even game, and after f5 more than one reply, the main line's d6 first.
    EXPECT_GT(book->size(), 1000u);
    const auto first = book->moves(Position());
    ASSERT_EQ(first.size(), 4u);
    EXPECT_LE(std::abs(first.front().score), 3 * engine::kScoreScale);
    const auto replies = book->moves(played({"f5"}));
    ASSERT_GE(replies.size(), 2u);
    EXPECT_EQ(replies.front().move, *engine::parseSquare("d6"));
}

TEST(Book, TheLevelsChooseAsTheirRankSays) {
    // White after f5: d6, f6 and f4 leave black 30, 90 and 260.
    auto records = sorted({leaf(played({"f5"}), 0, 0), leaf(played({"f5", "d6"}), 30),
                           leaf(played({"f5", "f6"}), 90), leaf(played({"f5", "f4"}), 260)});
    engine::propagate(records);
    const auto bytes = engine::writeBook(records);
    const Book book = *Book::read(bytes);
    const Position p = played({"f5"});
    const int d6 = *engine::parseSquare("d6");
    const int f6 = *engine::parseSquare("f6");
    ASSERT_EQ(kBookSpread, 100);  // d6 -30 and f6 -90 are within it of each other; f4 is not
    EXPECT_FALSE(bookMove(kFirstBookLevel - 1, book, p));
    EXPECT_FALSE(bookMove(kMaxLevel, Book(), p));
    platform::fixSeeds(7);
    std::map<int, int> chosen;
    std::vector<int> first;
    for (int i = 0; i < 200; ++i) {
        platform::reseed();
        const auto move = bookMove(kFirstBookLevel, book, p);
        ASSERT_TRUE(move);
        ++chosen[move->move];
        first.push_back(move->move);
        EXPECT_EQ(bookMove(kMaxLevel, book, p)->move, d6);
    }
    EXPECT_EQ(chosen.size(), 2U);
    EXPECT_GT(chosen[d6], 50);
    EXPECT_GT(chosen[f6], 50);
    // The same seed, the same choices.
    platform::fixSeeds(7);
    for (int i = 0; i < 200; ++i) {
        platform::reseed();
        EXPECT_EQ(bookMove(kFirstBookLevel, book, p)->move, first[static_cast<std::size_t>(i)]);
        bookMove(kMaxLevel, book, p);
    }
    platform::fixSeeds(std::nullopt);
}

// The start and the position after its first move (any of the four): each first move scores
// -0.50 for black, and d3 comes first among equals.
std::vector<unsigned char> firstMoveBook() {
    auto records = sorted({leaf(Position(), 0, 0), leaf(played({"f5"}), 50)});
    engine::propagate(records);
    return engine::writeBook(records);
}

TEST(Book, TheComputerPlaysABookMoveAtOnceAndTestModeTracesIt) {
    const auto bytes = firstMoveBook();
    const Book book = *Book::read(bytes);
    engine::Search search(1 << 20);
    for (const bool test : {false, true}) {
        testing::ConsoleTest console("", test);
        Board board;
        EnginePC computer(kMaxLevel, search, book);
        EXPECT_EQ(computer.select(board, kBlack), pointOf(*engine::parseSquare("d3")));
        // The trace, then the board's own trace of the move placed.
        EXPECT_EQ(console.host.output().starts_with(
                      " : \n : -- level 10, book, score -0.50, move d3\n\n"),
                  test);
    }
}

TEST(Book, NboardGoesFromTheBookAtTheDepthOfTheBookLevels) {
    const auto bytes = firstMoveBook();
    const struct {
        int depth;
        bool fromBook;
    } cases[] = {{Nboard::kBookDepth, true}, {Nboard::kBookDepth - 1, false}};
    for (const auto& c : cases) {
        std::string output;
        Nboard nboard(
            1 << 20, [] { return std::chrono::nanoseconds(0); },
            [&output](std::string_view line) { output += line; }, *Book::read(bytes));
        nboard.run("set depth " + std::to_string(c.depth));
        nboard.run("go");
        EXPECT_EQ(output == "nodestats 0 0.00\n=== D3/-0.50/0.00\n", c.fromBook) << output;
    }
}

TEST(BookBuilder, AWiderBuildReusesTheKnownLeavesAndGivesTheSameBook) {
    train::BookOptions options{.plies = 3,
                               .margin = 100,
                               .wideMargin = 100,
                               .widePlies = 0,
                               .selectDepth = 2,
                               .leafDepth = 3,
                               .hashBytes = 1 << 20};
    train::BookStats stats;
    const auto known = engine::writeBook(train::buildBook(options, Book(), stats));
    EXPECT_EQ(stats.scored, stats.leaves);
    auto wider = options;
    wider.margin = wider.wideMargin = 6400;  // every move, whatever the evaluation says
    train::BookStats fresh;
    train::BookStats reused;
    EXPECT_EQ(train::buildBook(wider, *Book::read(known), reused),
              train::buildBook(wider, Book(), fresh));
    EXPECT_GT(fresh.leaves, stats.leaves);
    EXPECT_GT(reused.reused, 0U);
    EXPECT_EQ(reused.reused + reused.scored, fresh.scored);
    // A deeper search scores the leaves again.
    auto deeper = options;
    deeper.leafDepth = 4;
    train::BookStats again;
    train::buildBook(deeper, *Book::read(known), again);
    EXPECT_EQ(again.reused, 0U);
}

}  // namespace
}  // namespace orvanta
