#include "engine/perft.hpp"

namespace orvanta::engine {

std::uint64_t perft(const Position& position, int depth, Isa isa) {
    assert(depth >= 0);
    return kernels(isa).perft(position.player(), position.opponent(), depth);
}

std::vector<MoveCount> perftByMove(const Position& position, int depth, Isa isa) {
    assert(depth >= 1);
    std::vector<MoveCount> counts;
    const auto count = [&](int move) {
        const Position next = position.after(move);
        counts.push_back({move, perft(next, depth - 1, isa)});
    };
    if (position.mustPass()) {
        count(kPass);
    }
    for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        count(firstSquare(moves));
    }
    return counts;
}

}  // namespace orvanta::engine
