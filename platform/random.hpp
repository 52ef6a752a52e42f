#pragma once

#include <random>

namespace orvanta::platform {

// The one process-wide pseudo-random generator. One draw is one call of the engine: a 32-bit
// value, the same sequence on every platform for the same seed.
std::mt19937& generator();

// Seeds the generator with the console's calendar time in seconds, truncated to 32 bits, so
// that everything drawn after it is reproducible from the second it happened in.
void seedFromClock();

}  // namespace orvanta::platform
