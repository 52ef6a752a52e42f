#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// What the table knows about a position: bounds on its score for the mover, the best move
// found (kPass when none), and the depth searched (kSolvedDepth: to the end of the game).
struct Stored {
    int lower = -kSquares;
    int upper = kSquares;
    int move = kPass;
    int depth = 0;
};

// A fixed-size table of searched positions, allocated by its owner for the size it asks for.
// Entries hold the whole position, so a probe never answers for another position; buckets of
// two entries, and one function (`priority`) decides which entry a new one displaces.
class TranspositionTable {
  public:
    static constexpr int kSolvedDepth = 255;

    // Takes at most `bytes` (at least one bucket).
    explicit TranspositionTable(std::size_t bytes);

    std::size_t entries() const { return entries_.size(); }
    std::size_t bytes() const { return entries_.size() * sizeof(Entry); }
    void clear();

    std::optional<Stored> probe(Bitboard player, Bitboard opponent) const;
    // `nodes` is the work the result cost; dearer results are kept longer. An entry for the
    // same position and depth keeps the tighter of the old and new bounds.
    void store(Bitboard player, Bitboard opponent, const Stored& stored, std::uint64_t nodes);

  private:
    // One entry, 24 bytes:
    //   player    64 bits  the mover's discs      } the whole position; both zero: unused
    //   opponent  64 bits  the opponent's discs   }
    //   data      64 bits  bits  0-7   lower bound + 64     (0..128)
    //                      bits  8-15  upper bound + 64     (0..128)
    //                      bits 16-23  best move            (0..63, 64 = none)
    //                      bits 24-31  depth                (255 = solved)
    //                      bits 32-39  cost: bit width of the node count, 0..64
    //                      bits 40-63  zero
    struct Entry {
        Bitboard player = 0;
        Bitboard opponent = 0;
        std::uint64_t data = 0;
    };
    static constexpr int kLowerShift = 0;
    static constexpr int kUpperShift = 8;
    static constexpr int kMoveShift = 16;
    static constexpr int kDepthShift = 24;
    static constexpr int kCostShift = 32;
    static constexpr std::uint64_t kFieldMask = 0xff;
    static constexpr int kScoreBias = kSquares;
    static constexpr std::size_t kBucket = 2;

    static std::uint64_t field(std::uint64_t data, int shift) {
        return (data >> shift) & kFieldMask;
    }
    static std::uint64_t pack(const Stored& stored, int cost);
    static Stored unpack(std::uint64_t data);
    // Which of two entries to keep: deeper first, then dearer; an unused entry is worth least.
    static int priority(const Entry& entry);
    std::size_t bucketOf(Bitboard player, Bitboard opponent) const;

    std::vector<Entry> entries_;
};

}  // namespace orvanta::engine
