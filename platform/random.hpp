#pragma once

#include <cstdint>
#include <optional>
#include <random>

namespace orvanta::platform {

// The one process-wide pseudo-random generator. One draw is one call of the engine: a 32-bit
// value, the same sequence on every platform for the same seed.
std::mt19937& generator();

// Seeds the generator for what is drawn next: with the console's calendar time in seconds,
// truncated to 32 bits, so that it is reproducible from the second it happened in; or, after
// `fixSeeds(first)`, with first, first + 1, first + 2, ... (modulo 2^32) on successive calls, so
// that a whole run is reproducible at any time of day. `fixSeeds(std::nullopt)` goes back to
// the clock.
void reseed();
void fixSeeds(std::optional<std::uint32_t> first);

}  // namespace orvanta::platform
