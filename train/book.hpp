#pragma once

// The opening book's builder (`make book`, orvanta_book): a tree of the lines good play reaches
// from the start, its leaves scored by deep searches, their values carried to the root by
// negamax (engine/book.hpp has the file's layout).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/book.hpp"

namespace orvanta::train {

// The committed book's parameters (the defaults) and the shard to build.
struct BookOptions {
    // The tree reaches this many plies from the start; the positions there are its leaves.
    int plies = 10;
    // At each inner position every move is scored by a search of `selectDepth` plies; the best
    // move and those within `margin` (hundredths of a disc) of it are expanded; within
    // `widePlies` of the start, those within `wideMargin`. The wide start meets more of the
    // openings that people and test matches play (bench/openings.txt: 6 plies within 4 discs
    // of even) and gives the gentler book levels moves to vary among.
    int margin = 150;
    int wideMargin = 400;
    int widePlies = 6;
    int selectDepth = 8;
    // Each leaf is scored by a search of this many plies on one thread, from an empty table.
    int leafDepth = 14;
    // Only the leaves whose normal form hashes to `shard` modulo `shards` are scored; the others
    // are written unscored, for `mergeShards`.
    int shard = 0;
    int shards = 1;
    std::size_t hashBytes = std::size_t{32} << 20;
};

struct BookStats {
    std::size_t positions = 0;
    std::size_t leaves = 0;
    std::size_t scored = 0;  // leaves searched in this run
    std::size_t reused = 0;  // leaves whose score came from the known book
    std::uint64_t nodes = 0;
};

// Reports each ply of the tree as it is laid out (ply, positions) and each leaf scored.
using BookProgress = std::function<void(const std::string&)>;

// The records of the book: the tree laid out from the start, its leaves of this shard scored
// (taken from `known` when it holds them scored at the same depth), the values propagated. The
// same options and the same engine give the same records.
std::vector<engine::BookRecord> buildBook(const BookOptions& options, const engine::Book& known,
                                          BookStats& stats, const BookProgress& progress = {});

// The book of shard files built with the same options and shard count: each leaf's score from
// the shard that scored it, the values propagated again. Fails (with `error`) when the files do
// not hold the same positions or a leaf stays unscored.
std::optional<std::vector<engine::BookRecord>> mergeShards(const std::vector<engine::Book>& shards,
                                                           std::string& error);

// The command line of orvanta_book; returns the exit status (0, 1 when a file cannot be read or
// written or the shards do not fit together, 2 for a bad command line).
int bookMain(const std::vector<std::string>& arguments);

}  // namespace orvanta::train
