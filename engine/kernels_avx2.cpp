// The AVX2 variant: the move generator runs the four axes of both directions at once in the
// four 64-bit lanes of a 256-bit register; the flips are those of rules.hpp, compiled for
// BMI1/2, POPCNT and LZCNT. Everything here is built for those instructions (the target
// region below), instantiated here only, and reached only through kAvx2Kernels after the
// processor was seen to have them. GCC only: other compilers build the portable variant.
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/best_first.hpp"
#include "engine/eval.hpp"
#include "engine/eval_state.hpp"
#include "engine/kernels.hpp"
#include "engine/parity.hpp"
#include "engine/position.hpp"
#include "engine/probcut.hpp"
#include "engine/rules.hpp"
#include "engine/search.hpp"
#include "engine/search_detail.hpp"
#include "engine/solve.hpp"
#include "engine/stability.hpp"
#include "engine/threads.hpp"
#include "engine/transposition.hpp"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2,bmi,bmi2,popcnt,lzcnt")
// Its templates are defined inside the region, so all their instantiations get the target.
#include "engine/kernels_impl.hpp"

namespace orvanta::engine::detail {

namespace {

struct Avx2Rules {
    // Lanes: steps 1 (row), 8 (column), 9 and 7 (diagonals); rows and diagonals see the opponent
    // only on the inner columns so that no run wraps. The same doubling as beyondRunsUp/Down.
    [[gnu::always_inline]] static inline Bitboard moves(Bitboard player, Bitboard opponent) {
        const auto inner = static_cast<long long>(kInnerColumns);
        const __m256i step = _mm256_set_epi64x(7, 9, 8, 1);
        const __m256i step2 = _mm256_add_epi64(step, step);
        const __m256i p = _mm256_set1_epi64x(static_cast<long long>(player));
        const __m256i o = _mm256_and_si256(_mm256_set1_epi64x(static_cast<long long>(opponent)),
                                           _mm256_set_epi64x(inner, inner, -1, inner));
        __m256i up = _mm256_and_si256(o, _mm256_sllv_epi64(p, step));
        __m256i down = _mm256_and_si256(o, _mm256_srlv_epi64(p, step));
        up = _mm256_or_si256(up, _mm256_and_si256(o, _mm256_sllv_epi64(up, step)));
        down = _mm256_or_si256(down, _mm256_and_si256(o, _mm256_srlv_epi64(down, step)));
        const __m256i pairsUp = _mm256_and_si256(o, _mm256_sllv_epi64(o, step));
        const __m256i pairsDown = _mm256_srlv_epi64(pairsUp, step);
        for (int i = 0; i < 2; ++i) {
            up = _mm256_or_si256(up, _mm256_and_si256(pairsUp, _mm256_sllv_epi64(up, step2)));
            down =
                _mm256_or_si256(down, _mm256_and_si256(pairsDown, _mm256_srlv_epi64(down, step2)));
        }
        const __m256i beyond =
            _mm256_or_si256(_mm256_sllv_epi64(up, step), _mm256_srlv_epi64(down, step));
        __m128i half =
            _mm_or_si128(_mm256_castsi256_si128(beyond), _mm256_extracti128_si256(beyond, 1));
        half = _mm_or_si128(half, _mm_unpackhi_epi64(half, half));
        return static_cast<Bitboard>(_mm_cvtsi128_si64(half)) & ~(player | opponent);
    }
    [[gnu::always_inline]] static inline Bitboard flips(Bitboard player, Bitboard opponent,
                                                        int square) {
        return engine::flips(player, opponent, square);
    }
};

}  // namespace

template class Endgame<Avx2Rules>;
template std::uint64_t perftOf<Avx2Rules>(Bitboard, Bitboard, int);

extern const Kernels kAvx2Kernels = makeKernels<Avx2Rules>(Isa::kAvx2);

}  // namespace orvanta::engine::detail

#pragma GCC pop_options
#endif
