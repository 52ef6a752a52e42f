#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// What the table knows about a position: bounds on its score for the mover, the best move
// found (kPass when none), and the depth searched (kSolvedDepth: to the end of the game).
// Solved entries hold final disc differences; the mid-game search stores its own scale
// (hundredths of a disc) with the depth of its search, so each search reads as bounds only
// the entries of its own kind (any entry's move is a good first try).
struct Stored {
    int lower = -kSquares;
    int upper = kSquares;
    int move = kPass;
    int depth = 0;
};

// The score that settles a node searched within (alpha, beta) whose score is known to lie in
// [lower, upper]: the lower bound when it reaches beta or the score is exact, the upper bound
// when it does not exceed alpha; nothing while the window still matters. The mid-game search
// and the endgame solver cut by it alike.
constexpr std::optional<int> boundCut(int lower, int upper, int alpha, int beta) {
    if (lower >= beta || lower == upper) {
        return lower;
    }
    if (upper <= alpha) {
        return upper;
    }
    return std::nullopt;
}

// A fixed-size table of searched positions, allocated by its owner for the size it asks for.
// Entries hold the whole position, so a probe never answers for another position; buckets of
// two entries, and one function (`priority`) decides which entry a new one displaces.
//
// The threads of one search share a table without locks: probe and store may run at the same
// time from any number of threads (clear and newSearch may not). An entry's three words are
// written one by one, so a probe may meet words of two different stores; each position word
// holds the position XOR the data, and a probe answers only when both give its position back
// with the same data word, so that a torn entry reads as another position. A store racing
// another on the same entry may lose its result, never make a wrong one.
class TranspositionTable {
  public:
    static constexpr int kSolvedDepth = 255;

    // Takes at most `bytes` (at least one bucket).
    explicit TranspositionTable(std::size_t bytes);

    std::size_t entries() const { return entries_.size(); }
    std::size_t bytes() const { return entries_.size() * sizeof(Entry); }
    void clear();
    // Starts a new search: entries stored before are replaced before the new ones (a game
    // moves on, so older positions are less likely to come again). Bounds stay valid.
    void newSearch() { generation_ = (generation_ + 1) & kFieldMask; }

    std::optional<Stored> probe(Bitboard player, Bitboard opponent) const;
    // `nodes` is the work the result cost; dearer results are kept longer. An entry for the
    // same position and depth keeps the tighter of the old and new bounds.
    void store(Bitboard player, Bitboard opponent, const Stored& stored, std::uint64_t nodes);

  private:
    // One entry, 24 bytes:
    //   player    64 bits  the mover's discs XOR data      } the whole position
    //   opponent  64 bits  the opponent's discs XOR data   }
    //   data      64 bits  (never 0 in use; 0: unused)
    //                      bits  0-15  lower bound + 32768
    //                      bits 16-31  upper bound + 32768
    //                      bits 32-39  best move            (0..63, 64 = none)
    //                      bits 40-47  depth                (255 = solved)
    //                      bits 48-55  cost: bit width of the node count, 0..64
    //                      bits 56-63  generation: the search that stored it (newSearch)
    // Relaxed atomics: plain loads and stores on 64-bit processors.
    struct Entry {
        std::atomic<Bitboard> player{0};
        std::atomic<Bitboard> opponent{0};
        std::atomic<std::uint64_t> data{0};
    };
    // The words of an entry as read at one time, the position decoded.
    struct Words {
        Bitboard player;
        Bitboard opponent;
        std::uint64_t data;
    };
    static Words read(const Entry& entry);
    static void write(Entry& entry, Bitboard player, Bitboard opponent, std::uint64_t data);
    static constexpr int kLowerShift = 0;
    static constexpr int kUpperShift = 16;
    static constexpr int kMoveShift = 32;
    static constexpr int kDepthShift = 40;
    static constexpr int kCostShift = 48;
    static constexpr int kGenerationShift = 56;
    static constexpr std::uint64_t kFieldMask = 0xff;
    static constexpr std::uint64_t kScoreMask = 0xffff;
    static constexpr int kScoreBias = 1 << 15;
    static constexpr std::size_t kBucket = 2;

    static std::uint64_t field(std::uint64_t data, int shift) {
        return (data >> shift) & kFieldMask;
    }
    std::uint64_t pack(const Stored& stored, int cost) const;
    static Stored unpack(std::uint64_t data);
    // Which of two entries to keep: one of the current search first, then deeper, then dearer;
    // an unused entry is worth least.
    int priority(const Words& entry) const;
    std::size_t bucketOf(Bitboard player, Bitboard opponent) const;

    std::vector<Entry> entries_;
    unsigned generation_ = 0;
};

}  // namespace orvanta::engine
