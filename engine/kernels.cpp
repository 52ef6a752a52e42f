#include "engine/kernels.hpp"

#include <cassert>

namespace orvanta::engine {

namespace detail {
extern const Kernels kPortableKernels;
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
extern const Kernels kAvx2Kernels;
#endif
}  // namespace detail

std::string_view isaName(Isa isa) {
    switch (isa) {
        case Isa::kPortable:
            return "portable";
        case Isa::kAvx2:
            return "avx2";
    }
    return "?";
}

bool isaSupported(Isa isa) {
    switch (isa) {
        case Isa::kPortable:
            return true;
        case Isa::kAvx2:
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
            // Every processor with AVX2 and BMI1 also has LZCNT.
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                   __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
#else
            return false;
#endif
    }
    return false;
}

Isa bestIsa() {
    return isaSupported(Isa::kAvx2) ? Isa::kAvx2 : Isa::kPortable;
}

const Kernels& kernels([[maybe_unused]] Isa isa) {
    assert(isaSupported(isa));
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    if (isa == Isa::kAvx2) {
        return detail::kAvx2Kernels;
    }
#endif
    return detail::kPortableKernels;
}

}  // namespace orvanta::engine
