#pragma once

#include <array>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

namespace detail {

inline constexpr Bitboard kRow1 = 0xff;
inline constexpr Bitboard kRow8 = kRow1 << 56;
inline constexpr Bitboard kEdges = kColumnA | kColumnH | kRow1 | kRow8;

// The 15 lines of a direction that goes down from row 1 or from column a or h.
constexpr std::array<Bitboard, 15> makeDiagonals(Direction d) {
    std::array<Bitboard, 15> lines{};
    std::size_t n = 0;
    for (int square = 0; square < kSquares; ++square) {
        const Direction back =
            d == Direction::kDownRight ? Direction::kUpLeft : Direction::kUpRight;
        if (shift(bit(square), back) != 0) {
            continue;  // not the start of a line
        }
        for (Bitboard b = bit(square); b != 0; b = shift(b, d)) {
            lines[n] |= b;
        }
        ++n;
    }
    return lines;
}

inline constexpr auto kDownRightLines = makeDiagonals(Direction::kDownRight);
inline constexpr auto kDownLeftLines = makeDiagonals(Direction::kDownLeft);
static_assert(kDownRightLines[0] == 0x8040201008040201, "a1-h8 starts at a1");

constexpr Bitboard fullLines(Bitboard occupied, const std::array<Bitboard, 15>& lines) {
    Bitboard full = 0;
    for (const Bitboard line : lines) {
        full |= (occupied & line) == line ? line : 0;
    }
    return full;
}

}  // namespace detail

// Discs of `own` that can never be flipped. A disc cannot be flipped along an axis (row, column
// or either diagonal) when its line along that axis is full, when it lies on the edge that ends
// the axis, or when a neighbour on that axis is itself a stable disc of `own`; it is stable when
// that holds for all four axes. Grown from nothing until it stops changing.
constexpr Bitboard stableDiscs(Bitboard own, Bitboard other) {
    using detail::kEdges;
    const Bitboard occupied = own | other;
    Bitboard rows = 0;
    Bitboard columns = 0;
    for (int i = 0; i < 8; ++i) {
        const Bitboard row = detail::kRow1 << (8 * i);
        const Bitboard column = kColumnA << i;
        rows |= (occupied & row) == row ? row : 0;
        columns |= (occupied & column) == column ? column : 0;
    }
    const Bitboard downRight = detail::fullLines(occupied, detail::kDownRightLines) | kEdges;
    const Bitboard downLeft = detail::fullLines(occupied, detail::kDownLeftLines) | kEdges;
    rows |= kColumnA | kColumnH;
    columns |= detail::kRow1 | detail::kRow8;
    Bitboard stable = 0;
    for (;;) {
        const Bitboard grown =
            own & (rows | shift(stable, Direction::kLeft) | shift(stable, Direction::kRight)) &
            (columns | shift(stable, Direction::kUp) | shift(stable, Direction::kDown)) &
            (downRight | shift(stable, Direction::kUpLeft) | shift(stable, Direction::kDownRight)) &
            (downLeft | shift(stable, Direction::kUpRight) | shift(stable, Direction::kDownLeft));
        if (grown == stable) {
            return stable;
        }
        stable = grown;
    }
}

static_assert(stableDiscs(bit(0) | bit(1), bit(2)) == (bit(0) | bit(1)), "a1 anchors b1");
static_assert(stableDiscs(bit(9), bit(0)) == 0, "b2 can still be taken");

}  // namespace orvanta::engine
