#pragma once

// Perft, the count of move sequences, as a template over a `Rules` type with two static
// functions, `moves(player, opponent)` and `flips(player, opponent, square)`; each kernel
// (kernels_*.cpp) instantiates it with its own Rules. Front ends use perft.hpp.
//
// Templates only: kernels_avx2.cpp includes the kernels inside its target region, so that every
// instantiation is built for AVX2 there. A plain inline function defined here would be built for
// AVX2 in that file and for any processor in the others, and the linker could keep either copy;
// such helpers belong in the headers included above, which that file includes first.

#include <cstdint>

#include "engine/bitboard.hpp"

namespace orvanta::engine::detail {

template <class Rules>
std::uint64_t perftOf(Bitboard player, Bitboard opponent, int depth) {
    if (depth == 0) {
        return 1;
    }
    Bitboard moves = Rules::moves(player, opponent);
    if (moves == 0) {
        // A pass is a ply, unless neither side can move: then the game ended too early.
        if (Rules::moves(opponent, player) == 0) {
            return 0;
        }
        return depth == 1 ? 1 : perftOf<Rules>(opponent, player, depth - 1);
    }
    if (depth == 1) {
        return static_cast<std::uint64_t>(popcount(moves));
    }
    std::uint64_t total = 0;
    if (depth == 2) {
        // The last ply counted in place: a child's moves, or its pass when we can move again.
        do {
            const int square = firstSquare(moves);
            moves &= moves - 1;
            const Bitboard flipped = Rules::flips(player, opponent, square);
            const Bitboard mine = player ^ flipped ^ bit(square);
            const Bitboard replies = Rules::moves(opponent ^ flipped, mine);
            total += replies != 0 ? static_cast<std::uint64_t>(popcount(replies))
                     : Rules::moves(mine, opponent ^ flipped) != 0 ? 1
                                                                   : 0;
        } while (moves != 0);
        return total;
    }
    do {
        const int square = firstSquare(moves);
        moves &= moves - 1;
        const Bitboard flipped = Rules::flips(player, opponent, square);
        total += perftOf<Rules>(opponent ^ flipped, player ^ flipped ^ bit(square), depth - 1);
    } while (moves != 0);
    return total;
}

}  // namespace orvanta::engine::detail
