#pragma once

// The opening book: positions of the lines good play reaches from the start, each with its
// negamax value from Orvanta's own deep searches (train/book.cpp builds it, `make book`).
//
// A position is stored once for its eight symmetries, in its normal form: the least
// (player, opponent) pair over the symmetries. Its value is from the side of the mover, so the
// mover's colour plays no part. The move scores of a position are the values of its children
// found in the book, negated: a move is a book move when the position after it is in the book,
// whatever symmetry the book stored it under.
//
// The file is a header and a sorted array of fixed-size records, all little-endian:
//   header (24 bytes): "ORVBOOK1", record count (u32), reserved zero (u32), FNV-1a 64 of the
//                      records (u64)
//   record (20 bytes): player (u64), opponent (u64), value (i16, hundredths of a disc),
//                      depth (u16: 0 an inner position whose value is the best of its children,
//                      1 to 60 a leaf scored by a search of that depth, kUnscored a leaf left
//                      to another shard)
// The records are sorted by (player, opponent), each a normal form, without repeats.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/position.hpp"

namespace orvanta::engine {

// A position's normal form under the board's symmetries.
struct BookKey {
    Bitboard player = 0;
    Bitboard opponent = 0;
    friend constexpr auto operator<=>(const BookKey&, const BookKey&) = default;
};

BookKey normalForm(Bitboard player, Bitboard opponent);
inline BookKey normalForm(const Position& position) {
    return normalForm(position.player(), position.opponent());
}

// A well-mixed 64-bit hash of a normal form (shards split the leaves by it).
std::uint64_t bookHash(const BookKey& key);

struct BookRecord {
    BookKey key;
    int value = 0;  // for the mover, in 1/kScoreScale discs
    int depth = 0;  // see the file's layout above
    friend constexpr bool operator==(const BookRecord&, const BookRecord&) = default;
};

inline constexpr int kBookUnscored = 0xFFFF;
inline constexpr std::size_t kBookHeaderBytes = 24;
inline constexpr std::size_t kBookRecordBytes = 20;

// A book move and its score for the mover, in 1/kScoreScale discs.
struct BookMove {
    int move = kPass;
    int score = 0;
    friend constexpr bool operator==(const BookMove&, const BookMove&) = default;
};

// A read-only view of a checked book file; the bytes belong to the caller (or to the program,
// for the built-in book). An empty book knows no position.
class Book {
  public:
    Book() = default;

    // Checks the whole file: its header, its size, its checksum, the order and form of its keys,
    // and each record's fields. Shard files (with unscored leaves) pass only with `partial`. On
    // failure, `error` (when given) says what is wrong.
    static std::optional<Book> read(std::span<const unsigned char> bytes, bool partial = false,
                                    std::string* error = nullptr);

    std::size_t size() const { return count_; }
    BookRecord record(std::size_t index) const;
    // The record of a position (under any symmetry), if the book holds it.
    std::optional<BookRecord> find(const Position& position) const;
    // The book moves of a position in the book that has children in it, best first (equal
    // scores by square); empty otherwise.
    std::vector<BookMove> moves(const Position& position) const;

  private:
    Book(const unsigned char* records, std::size_t count) : records_(records), count_(count) {}

    const unsigned char* records_ = nullptr;
    std::size_t count_ = 0;
};

// The book built into the program (engine/book.bin), or an empty book should that file be
// damaged; the tests check that it is not.
Book builtinBook();

// The file of the records, which must be sorted by key without repeats.
std::vector<unsigned char> writeBook(const std::vector<BookRecord>& records);

// The negamax values of a set of positions: a position with children in the set takes the best
// of their negated values (depth 0); any other keeps its leaf score. Records must be sorted by
// key; unscored leaves count as absent from their parents (an inner position with no scored
// child stays unscored). Records keep their order.
void propagate(std::vector<BookRecord>& records);

}  // namespace orvanta::engine
