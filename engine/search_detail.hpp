#pragma once

// The pieces of the mid-game search that are not templates. kernels_avx2.cpp includes this
// header before its target region, so that they are built for any processor everywhere.

#include <algorithm>
#include <array>

#include "engine/bitboard.hpp"

namespace orvanta::engine::detail {

// Thrown through the search when the budget is spent or `stop` says so.
struct Stopped {};

// The moves of a line, for the principal variation.
struct Line {
    std::array<int, kSquares> moves{};
    int size = 0;

    void set(int move, const Line& rest) {
        moves[0] = move;
        const int kept = std::min(rest.size, kSquares - 1);
        std::copy_n(rest.moves.begin(), kept, moves.begin() + 1);
        size = kept + 1;
    }
};

// Static values of the squares for ordering cheap nodes: corners first, the squares next to an
// empty corner last.
constexpr std::array<int, kSquares> kSquareValue = {
    18, -6, 4,  2,  2,  4,  -6, 18,  //
    -6, -9, -1, -1, -1, -1, -9, -6,  //
    4,  -1, 1,  0,  0,  1,  -1, 4,   //
    2,  -1, 0,  0,  0,  0,  -1, 2,   //
    2,  -1, 0,  0,  0,  0,  -1, 2,   //
    4,  -1, 1,  0,  0,  1,  -1, 4,   //
    -6, -9, -1, -1, -1, -1, -9, -6,  //
    18, -6, 4,  2,  2,  4,  -6, 18,
};

// Divides rounding towards minus infinity (scores to whole discs for the solver's window).
constexpr int floorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace orvanta::engine::detail
