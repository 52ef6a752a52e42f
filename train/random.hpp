#pragma once

// The trainer's random numbers: seeded, and the same with any standard library.

#include <cstdint>

#include "engine/bitboard.hpp"

namespace orvanta::train {

// A small generator of its own (splitmix64), so that the games are the same with any
// standard library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    // 0 <= result < n.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

  private:
    std::uint64_t state_;
};

// One of `moves` (not empty), each as likely.
inline int randomMove(engine::Bitboard moves, Random& random) {
    for (int skip = random.below(engine::popcount(moves)); skip > 0; --skip) {
        moves &= moves - 1;
    }
    return engine::firstSquare(moves);
}

}  // namespace orvanta::train
