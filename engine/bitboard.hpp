#pragma once

// Bitboards: one bit per square, index = row * 8 + column, a1 = 0 at the top left, h1 = 7,
// a2 = 8, h8 = 63 (row 1 is drawn at the top, as on the game's board).

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta::engine {

using Bitboard = std::uint64_t;

inline constexpr int kSquares = 64;
// A move is a square index, or kPass.
inline constexpr int kPass = kSquares;

inline constexpr Bitboard kColumnA = 0x0101010101010101;
inline constexpr Bitboard kColumnH = 0x8080808080808080;
inline constexpr Bitboard kNotColumnA = ~kColumnA;
inline constexpr Bitboard kNotColumnH = ~kColumnH;
// Squares whose neighbours in a row cannot wrap to another row: columns b to g.
inline constexpr Bitboard kInnerColumns = kNotColumnA & kNotColumnH;
inline constexpr Bitboard kCorners = 0x8100000000000081;

constexpr Bitboard bit(int square) {
    assert(square >= 0 && square < kSquares);
    return Bitboard{1} << square;
}

constexpr int popcount(Bitboard b) {
    return std::popcount(b);
}

// The lowest set square; `b` must not be empty.
constexpr int firstSquare(Bitboard b) {
    assert(b != 0);
    return std::countr_zero(b);
}

// The eight neighbours. Right is towards h, Down towards row 8.
enum class Direction { kRight, kLeft, kDown, kUp, kDownRight, kDownLeft, kUpRight, kUpLeft };

inline constexpr std::array<Direction, 8> kDirections = {
    Direction::kRight,     Direction::kLeft,     Direction::kDown,    Direction::kUp,
    Direction::kDownRight, Direction::kDownLeft, Direction::kUpRight, Direction::kUpLeft};

// Moves every square one step; squares pushed off the board vanish, and a step that would wrap
// from column h to column a of the next row (or back) is cleared by the column mask.
constexpr Bitboard shift(Bitboard b, Direction d) {
    switch (d) {
        case Direction::kRight:
            return (b << 1) & kNotColumnA;
        case Direction::kLeft:
            return (b >> 1) & kNotColumnH;
        case Direction::kDown:
            return b << 8;
        case Direction::kUp:
            return b >> 8;
        case Direction::kDownRight:
            return (b << 9) & kNotColumnA;
        case Direction::kDownLeft:
            return (b << 7) & kNotColumnH;
        case Direction::kUpRight:
            return (b >> 7) & kNotColumnA;
        case Direction::kUpLeft:
            return (b >> 9) & kNotColumnH;
    }
    return 0;
}

// The squares next to any of `b`'s, in all eight directions.
constexpr Bitboard neighbours(Bitboard b) {
    Bitboard around = 0;
    for (const Direction d : kDirections) {
        around |= shift(b, d);
    }
    return around;
}

static_assert(shift(bit(7), Direction::kRight) == 0, "h1 has no right neighbour");
static_assert(neighbours(bit(0)) == (bit(1) | bit(8) | bit(9)), "a1 touches b1, a2, b2");
static_assert(shift(bit(8), Direction::kUpLeft) == 0, "a2 has no upper-left neighbour");
static_assert(shift(bit(0), Direction::kDownRight) == bit(9), "a1 -> b2");

// How a square's column letter is written: "f5", or "F5" as the protocols write moves.
enum class Letters { kLower, kUpper };
// "f5" (or "F5") for square 37; "pass" for kPass.
std::string squareName(int move, Letters letters = Letters::kLower);
// Accepts a column letter a-h (either case) and a row digit 1-8, or "pass" (either case).
std::optional<int> parseSquare(std::string_view text);

}  // namespace orvanta::engine
