#pragma once

// The entry points of one kernel: perft, the mid-game search and the endgame solver
// instantiated for its Rules.
// Included by kernels_portable.cpp, and by kernels_avx2.cpp inside its target region.

#include "engine/endgame.hpp"
#include "engine/kernels.hpp"
#include "engine/perft_impl.hpp"
#include "engine/root.hpp"

namespace orvanta::engine::detail {

// The table of entry points for one Rules.
template <class Rules>
constexpr Kernels makeKernels(Isa isa) {
    return {isa,
            &Rules::moves,
            &Rules::flips,
            &perftOf<Rules>,
            &Endgame<Rules>::run,
            &searchRoot<Rules>,
            &rootScoresOf<Rules>};
}

}  // namespace orvanta::engine::detail
