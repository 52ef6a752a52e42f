#pragma once

// The eight symmetries of the board on bitboards (index = row * 8 + column, a1 = 0).

#include <array>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

// Row 1 <-> row 8.
constexpr Bitboard flipRows(Bitboard b) {
    b = ((b >> 8) & 0x00ff00ff00ff00ff) | ((b & 0x00ff00ff00ff00ff) << 8);
    b = ((b >> 16) & 0x0000ffff0000ffff) | ((b & 0x0000ffff0000ffff) << 16);
    return (b >> 32) | (b << 32);
}

// Column a <-> column h.
constexpr Bitboard flipColumns(Bitboard b) {
    b = ((b >> 1) & 0x5555555555555555) | ((b & 0x5555555555555555) << 1);
    b = ((b >> 2) & 0x3333333333333333) | ((b & 0x3333333333333333) << 2);
    return ((b >> 4) & 0x0f0f0f0f0f0f0f0f) | ((b & 0x0f0f0f0f0f0f0f0f) << 4);
}

// Across the a1-h8 diagonal: column c of row r <-> column r of row c.
constexpr Bitboard transpose(Bitboard b) {
    Bitboard t = 0x0f0f0f0f00000000 & (b ^ (b << 28));
    b ^= t ^ (t >> 28);
    t = 0x3333000033330000 & (b ^ (b << 14));
    b ^= t ^ (t >> 14);
    t = 0x5500550055005500 & (b ^ (b << 7));
    return b ^ t ^ (t >> 7);
}

inline constexpr int kSymmetries = 8;

// Symmetry k of the board: bit 0 of k flips the columns, bit 1 the rows, bit 2 transposes
// (in that order). 0, 3, 5 and 6 are the rotations (5 a quarter turn, 3 a half turn).
constexpr Bitboard symmetry(Bitboard b, int k) {
    b = (k & 1) != 0 ? flipColumns(b) : b;
    b = (k & 2) != 0 ? flipRows(b) : b;
    return (k & 4) != 0 ? transpose(b) : b;
}

static_assert(flipRows(bit(1)) == bit(57), "b1 -> b8");
static_assert(flipColumns(bit(8)) == bit(15), "a2 -> h2");
static_assert(transpose(bit(1)) == bit(8), "b1 -> a2");
static_assert(symmetry(bit(0), 5) == bit(56), "a quarter turn takes a1 to a8");
static_assert(symmetry(bit(56), 5) == bit(63), "and a8 to h8");

}  // namespace orvanta::engine
