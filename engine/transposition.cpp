#include "engine/transposition.hpp"

#include <algorithm>
#include <bit>

namespace orvanta::engine {

TranspositionTable::TranspositionTable(std::size_t bytes)
    : entries_(std::max(kBucket, std::bit_floor(bytes / sizeof(Entry)))) {}

void TranspositionTable::clear() {
    for (Entry& entry : entries_) {
        write(entry, 0, 0, 0);
    }
}

TranspositionTable::Words TranspositionTable::read(const Entry& entry) {
    const std::uint64_t data = entry.data.load(std::memory_order_relaxed);
    return {entry.player.load(std::memory_order_relaxed) ^ data,
            entry.opponent.load(std::memory_order_relaxed) ^ data, data};
}

void TranspositionTable::write(Entry& entry, Bitboard player, Bitboard opponent,
                               std::uint64_t data) {
    entry.player.store(player ^ data, std::memory_order_relaxed);
    entry.opponent.store(opponent ^ data, std::memory_order_relaxed);
    entry.data.store(data, std::memory_order_relaxed);
}

std::size_t TranspositionTable::bucketOf(Bitboard player, Bitboard opponent) const {
    // Multiply-and-fold: every disc moves the high bits, which are folded down.
    std::uint64_t h = player * 0x9e3779b97f4a7c15 + std::rotl(opponent, 29) * 0xc2b2ae3d27d4eb4f;
    h ^= h >> 32;
    return static_cast<std::size_t>(h) & (entries_.size() - kBucket);
}

std::uint64_t TranspositionTable::pack(const Stored& stored, int cost) const {
    const auto u = [](int value) { return static_cast<std::uint64_t>(value) & kFieldMask; };
    const auto score = [](int value) {
        return static_cast<std::uint64_t>(value + kScoreBias) & kScoreMask;
    };
    return score(stored.lower) << kLowerShift | score(stored.upper) << kUpperShift |
           u(stored.move) << kMoveShift | u(stored.depth) << kDepthShift | u(cost) << kCostShift |
           std::uint64_t{generation_} << kGenerationShift;
}

Stored TranspositionTable::unpack(std::uint64_t data) {
    const auto s = [data](int shift) { return static_cast<int>(field(data, shift)); };
    const auto score = [data](int shift) {
        return static_cast<int>((data >> shift) & kScoreMask) - kScoreBias;
    };
    return {score(kLowerShift), score(kUpperShift), s(kMoveShift), s(kDepthShift)};
}

int TranspositionTable::priority(const Words& entry) const {
    if (entry.data == 0) {
        return -1;
    }
    const bool current = field(entry.data, kGenerationShift) == generation_;
    return static_cast<int>((current ? 1 << 16 : 0) | field(entry.data, kDepthShift) << 8 |
                            field(entry.data, kCostShift));
}

std::optional<Stored> TranspositionTable::probe(Bitboard player, Bitboard opponent) const {
    const std::size_t first = bucketOf(player, opponent);
    for (std::size_t i = first; i < first + kBucket; ++i) {
        const Words entry = read(entries_[i]);
        if (entry.player == player && entry.opponent == opponent && entry.data != 0) {
            return unpack(entry.data);
        }
    }
    return std::nullopt;
}

void TranspositionTable::store(Bitboard player, Bitboard opponent, const Stored& stored,
                               std::uint64_t nodes) {
    const int cost = static_cast<int>(std::bit_width(nodes));
    const std::size_t first = bucketOf(player, opponent);
    std::size_t victim = first;
    Words victimWords = read(entries_[first]);
    for (std::size_t i = first; i < first + kBucket; ++i) {
        const Words entry = read(entries_[i]);
        if (entry.player == player && entry.opponent == opponent && entry.data != 0) {
            Stored merged = stored;
            const Stored old = unpack(entry.data);
            if (old.depth > stored.depth) {
                // A deeper result is worth more than a shallower one; it is still in use.
                write(entries_[i], player, opponent,
                      (entry.data & ~(kFieldMask << kGenerationShift)) | std::uint64_t{generation_}
                                                                             << kGenerationShift);
                return;
            }
            if (old.depth == stored.depth) {
                merged.lower = std::max(old.lower, stored.lower);
                merged.upper = std::min(old.upper, stored.upper);
                // The move goes with the better lower bound: it is the one proven to reach it.
                if (old.lower > stored.lower || merged.move == kPass) {
                    merged.move = old.move;
                }
                // Estimates of the mid-game search may disagree across searches: then the
                // newer one stands alone.
                if (merged.lower > merged.upper) {
                    merged = stored;
                }
            }
            write(entries_[i], player, opponent,
                  pack(merged, std::max(cost, static_cast<int>(field(entry.data, kCostShift)))));
            return;
        }
        if (priority(entry) < priority(victimWords)) {
            victim = i;
            victimWords = entry;
        }
    }
    write(entries_[victim], player, opponent, pack(stored, cost));
}

}  // namespace orvanta::engine
