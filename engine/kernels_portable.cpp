// The variant every processor runs: the rules of rules.hpp as they are.
#include "engine/kernels_impl.hpp"

namespace orvanta::engine::detail {

namespace {

struct PortableRules {
    static Bitboard moves(Bitboard player, Bitboard opponent) {
        return legalMoves(player, opponent);
    }
    static Bitboard flips(Bitboard player, Bitboard opponent, int square) {
        return engine::flips(player, opponent, square);
    }
};

}  // namespace

template class Endgame<PortableRules>;
template std::uint64_t perftOf<PortableRules>(Bitboard, Bitboard, int);

extern const Kernels kPortableKernels = makeKernels<PortableRules>(Isa::kPortable);

}  // namespace orvanta::engine::detail
