#include "bench/plain_rules.hpp"

#include "engine/perft_impl.hpp"

namespace orvanta::bench {

using engine::Bitboard;
using engine::Direction;
using engine::kDirections;
using engine::shift;

Bitboard plainMoves(Bitboard player, Bitboard opponent) {
    const Bitboard empty = ~(player | opponent);
    Bitboard moves = 0;
    for (const Direction d : kDirections) {
        Bitboard run = shift(player, d) & opponent;
        for (int i = 0; i < 5; ++i) {
            run |= shift(run, d) & opponent;
        }
        moves |= shift(run, d) & empty;
    }
    return moves;
}

Bitboard plainFlips(Bitboard player, Bitboard opponent, int square) {
    Bitboard flipped = 0;
    for (const Direction d : kDirections) {
        Bitboard run = 0;
        Bitboard b = shift(engine::bit(square), d);
        for (; (b & opponent) != 0; b = shift(b, d)) {
            run |= b;
        }
        if ((b & player) != 0) {
            flipped |= run;
        }
    }
    return flipped;
}

namespace {

struct PlainRules {
    static Bitboard moves(Bitboard player, Bitboard opponent) {
        return plainMoves(player, opponent);
    }
    static Bitboard flips(Bitboard player, Bitboard opponent, int square) {
        return plainFlips(player, opponent, square);
    }
};

}  // namespace

std::uint64_t plainPerft(const engine::Position& position, int depth) {
    return engine::detail::perftOf<PlainRules>(position.player(), position.opponent(), depth);
}

}  // namespace orvanta::bench
