#pragma once

#include <array>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// The four 4×4 quadrants; in the endgame, moves in a quadrant with an odd number of empty
// squares come first (the side that plays last in a region tends to gain there).
inline constexpr Bitboard kQuadrant = 0x0f0f0f0f;
inline constexpr std::array<Bitboard, 4> kQuadrants = {kQuadrant, kQuadrant << 4, kQuadrant << 32,
                                                       kQuadrant << 36};

constexpr Bitboard oddQuadrants(Bitboard empty) {
    Bitboard odd = 0;
    for (const Bitboard q : kQuadrants) {
        odd |= (popcount(empty & q) & 1) != 0 ? q : 0;
    }
    return odd;
}

}  // namespace orvanta::engine
