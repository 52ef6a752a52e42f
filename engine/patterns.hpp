#pragma once

// The features of the evaluation, shared by the evaluation and its trainer.
//
// A pattern is a set of squares read as a number in base 3 (per square 0 empty, 1 the mover's,
// 2 the opponent's; the square of digit i counts 3^i). Each pattern is drawn once, near the top
// left corner, and read on several symmetries of the board, one per place it occurs (the four
// edges, the four corners...): all its occurrences share one table of weights. When a symmetry
// maps a pattern onto itself (an edge onto itself reversed), the two readings of a position get
// the same weight: the trainer ties them.
//
// Beside the patterns: the mover's and the opponent's number of moves, and whether the number of
// empty squares is odd. All of this per stage of the game, by empty squares.

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "engine/bitboard.hpp"
#include "engine/symmetry.hpp"

namespace orvanta::engine::patterns {

enum class Shape : std::uint8_t {
    kEdgeX,     // row 1 with b2 and g2 (10 squares)
    kCorner9,   // a1-c3 (9)
    kCorner10,  // a1-e2 (10)
    kRow2,      // (8)
    kRow3,
    kRow4,
    kDiagonal8,  // a1-h8
    kDiagonal7,  // b1-h7
    kDiagonal6,  // c1-h6
    kDiagonal5,  // d1-h5
    kDiagonal4,  // e1-h4
};
inline constexpr std::size_t kShapes = 11;

// The discs of `b` on the shape's squares as a compact number, bit i for digit i.
constexpr unsigned extract(Shape shape, Bitboard b) {
    // The diagonals are gathered into the top row by one multiplication: their squares lie in
    // distinct columns, so the shifted copies never carry.
    constexpr Bitboard kGather = 0x0101010101010101;
    const auto diagonal = [b](Bitboard mask, int first) {
        return static_cast<unsigned>(((b & mask) * kGather) >> (56 + first));
    };
    switch (shape) {
        case Shape::kEdgeX:
            return static_cast<unsigned>((b & 0xff) | ((b >> 1) & 0x100) | ((b >> 5) & 0x200));
        case Shape::kCorner9:
            return static_cast<unsigned>((b & 7) | ((b >> 5) & 0x38) | ((b >> 10) & 0x1c0));
        case Shape::kCorner10:
            return static_cast<unsigned>((b & 0x1f) | ((b >> 3) & 0x3e0));
        case Shape::kRow2:
            return static_cast<unsigned>((b >> 8) & 0xff);
        case Shape::kRow3:
            return static_cast<unsigned>((b >> 16) & 0xff);
        case Shape::kRow4:
            return static_cast<unsigned>((b >> 24) & 0xff);
        case Shape::kDiagonal8:
            return diagonal(0x8040201008040201, 0);
        case Shape::kDiagonal7:
            return diagonal(0x0080402010080402, 1);
        case Shape::kDiagonal6:
            return diagonal(0x0000804020100804, 2);
        case Shape::kDiagonal5:
            return diagonal(0x0000008040201008, 3);
        case Shape::kDiagonal4:
            return diagonal(0x0000000080402010, 4);
    }
    return 0;
}

struct Pattern {
    Shape shape;
    int squares;
    // The symmetries it is read on (see symmetry()), one per occurrence.
    std::array<int, kSymmetries> readings;
    int occurrences;
    // A symmetry mapping the pattern onto itself, whose readings share weights; -1 for none.
    int tie;
};

constexpr int power3(int n) {
    return n == 0 ? 1 : 3 * power3(n - 1);
}

inline constexpr std::array<int, kSymmetries> kRotations = {0, 5, 3, 6};
inline constexpr std::array<int, kSymmetries> kAll = {0, 1, 2, 3, 4, 5, 6, 7};
inline constexpr std::array<int, kSymmetries> kHalfTurns = {0, 5};
inline constexpr int kFlipColumns = 1;
inline constexpr int kHalfTurn = 3;
inline constexpr int kTranspose = 4;
inline constexpr int kAntiTranspose = 7;

inline constexpr std::array<Pattern, kShapes> kPatterns = {{
    {Shape::kEdgeX, 10, kRotations, 4, kFlipColumns},
    {Shape::kCorner9, 9, kRotations, 4, kTranspose},
    {Shape::kCorner10, 10, kAll, 8, -1},
    {Shape::kRow2, 8, kRotations, 4, kFlipColumns},
    {Shape::kRow3, 8, kRotations, 4, kFlipColumns},
    {Shape::kRow4, 8, kRotations, 4, kFlipColumns},
    {Shape::kDiagonal8, 8, kHalfTurns, 2, kHalfTurn},
    {Shape::kDiagonal7, 7, kRotations, 4, kAntiTranspose},
    {Shape::kDiagonal6, 6, kRotations, 4, kAntiTranspose},
    {Shape::kDiagonal5, 5, kRotations, 4, kAntiTranspose},
    {Shape::kDiagonal4, 4, kRotations, 4, kAntiTranspose},
}};

// One reading: a pattern on one symmetry of the board.
struct Reading {
    std::size_t pattern;
    int symmetry;
};

constexpr std::size_t countReadings() {
    std::size_t n = 0;
    for (const Pattern& p : kPatterns) {
        n += static_cast<std::size_t>(p.occurrences);
    }
    return n;
}
inline constexpr std::size_t kReadings = countReadings();

inline constexpr std::array<Reading, kReadings> kReadingList = [] {
    std::array<Reading, kReadings> list{};
    std::size_t n = 0;
    for (std::size_t p = 0; p < kShapes; ++p) {
        for (int i = 0; i < kPatterns[p].occurrences; ++i) {
            list[n++] = {p, kPatterns[p].readings[static_cast<std::size_t>(i)]};
        }
    }
    return list;
}();

// Where each pattern's table starts among the weights of a stage, and the other features.
inline constexpr std::array<std::size_t, kShapes + 1> kTableStart = [] {
    std::array<std::size_t, kShapes + 1> start{};
    for (std::size_t p = 0; p < kShapes; ++p) {
        start[p + 1] = start[p] + static_cast<std::size_t>(power3(kPatterns[p].squares));
    }
    return start;
}();
// Move counts from 0 to kMobilityCells - 1 (more count as the last).
inline constexpr int kMobilityCells = 36;
inline constexpr std::size_t kMobilityStart = kTableStart[kShapes];
inline constexpr std::size_t kOpponentMobilityStart = kMobilityStart + kMobilityCells;
inline constexpr std::size_t kParityStart = kOpponentMobilityStart + kMobilityCells;  // even, odd
inline constexpr std::size_t kWeightsPerStage = kParityStart + 2;

// Stages by empty squares: the first kStageEmpties empties from kStartEmpties down are stage 0,
// and so on.
inline constexpr int kStartEmpties = kSquares - 4;  // the four discs of the start
inline constexpr int kStages = 12;
inline constexpr int kStageEmpties = 5;
constexpr int stageOf(int empties) {
    const int stage = (kStartEmpties - empties) / kStageEmpties;
    return stage < 0 ? 0 : stage >= kStages ? kStages - 1 : stage;
}
inline constexpr std::size_t kWeights = kWeightsPerStage * kStages;

// Bits i of a compact number in base 3: ternary[x] = sum of 3^i over the set bits.
inline constexpr std::array<std::uint16_t, 1024> kTernary = [] {
    std::array<std::uint16_t, 1024> t{};
    for (unsigned x = 0; x < t.size(); ++x) {
        int value = 0;
        for (int i = 0; i < 10; ++i) {
            value += (x >> i & 1) != 0 ? power3(i) : 0;
        }
        t[x] = static_cast<std::uint16_t>(value);
    }
    return t;
}();

// The index of one reading in its pattern's table.
constexpr int index(Shape shape, Bitboard player, Bitboard opponent) {
    return kTernary[extract(shape, player)] + 2 * kTernary[extract(shape, opponent)];
}

// A board on each of the eight symmetries, as the readings take it.
constexpr std::array<Bitboard, kSymmetries> symmetries(Bitboard b) {
    std::array<Bitboard, kSymmetries> all{};
    for (int k = 0; k < kSymmetries; ++k) {
        all[static_cast<std::size_t>(k)] = symmetry(b, k);
    }
    return all;
}

// The cell of a move count among its weights: the count, with more than the cells hold
// counting as the last.
constexpr std::size_t mobilityCell(Bitboard moves) {
    const int n = popcount(moves);
    return static_cast<std::size_t>(n < kMobilityCells ? n : kMobilityCells - 1);
}

// The features of a position from the mover's side: for each reading its place among a stage's
// weights, then the two move counts and the parity.
struct Features {
    int stage = 0;
    std::array<std::uint32_t, kReadings + 3> weights{};
};

constexpr Features features(Bitboard player, Bitboard opponent, Bitboard playerMoves,
                            Bitboard opponentMoves) {
    const auto p = symmetries(player);
    const auto o = symmetries(opponent);
    Features f;
    const int empties = popcount(~(player | opponent));
    f.stage = stageOf(empties);
    for (std::size_t r = 0; r < kReadings; ++r) {
        const Reading reading = kReadingList[r];
        const auto k = static_cast<std::size_t>(reading.symmetry);
        f.weights[r] = static_cast<std::uint32_t>(
            kTableStart[reading.pattern] +
            static_cast<std::size_t>(index(kPatterns[reading.pattern].shape, p[k], o[k])));
    }
    f.weights[kReadings] = static_cast<std::uint32_t>(kMobilityStart + mobilityCell(playerMoves));
    f.weights[kReadings + 1] =
        static_cast<std::uint32_t>(kOpponentMobilityStart + mobilityCell(opponentMoves));
    f.weights[kReadings + 2] = static_cast<std::uint32_t>(kParityStart + (empties & 1));
    return f;
}

// The squares of a shape, digit by digit.
constexpr std::array<int, 10> squaresOf(Shape shape) {
    std::array<int, 10> squares{};
    squares.fill(-1);
    for (int s = 0; s < kSquares; ++s) {
        const unsigned digit = extract(shape, bit(s));
        if (digit != 0) {
            squares[static_cast<std::size_t>(std::countr_zero(digit))] = s;
        }
    }
    return squares;
}

// The index that the pattern's own symmetry (its tie) makes of `index`.
constexpr int tiedIndex(const Pattern& pattern, int index) {
    if (pattern.tie < 0) {
        return index;
    }
    const auto squares = squaresOf(pattern.shape);
    int tied = 0;
    for (int i = 0; i < pattern.squares; ++i) {
        const int digit = index / power3(i) % 3;
        const Bitboard image = symmetry(bit(squares[static_cast<std::size_t>(i)]), pattern.tie);
        const int j = static_cast<int>(std::countr_zero(extract(pattern.shape, image)));
        tied += digit * power3(j);
    }
    return tied;
}

static_assert(squaresOf(Shape::kEdgeX)[8] == 9 && squaresOf(Shape::kEdgeX)[9] == 14);
static_assert(squaresOf(Shape::kCorner9)[8] == 18);
static_assert(squaresOf(Shape::kCorner10)[9] == 12);
static_assert(squaresOf(Shape::kDiagonal4)[3] == 31, "e1 f2 g3 h4");
static_assert(kReadings == 46);

}  // namespace orvanta::engine::patterns
