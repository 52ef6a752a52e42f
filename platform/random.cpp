#include "platform/random.hpp"

#include "platform/console.hpp"

namespace orvanta::platform {

namespace {

struct Generator {
    std::mt19937 engine;
    std::optional<std::uint32_t> nextSeed;  // set: seeds are counted, not taken from the clock
};

Generator& state() {
    static Generator generator;
    return generator;
}

}  // namespace

std::mt19937& generator() {
    return state().engine;
}

void reseed() {
    Generator& g = state();
    if (g.nextSeed) {
        g.engine.seed((*g.nextSeed)++);  // unsigned: wraps modulo 2^32
    } else {
        g.engine.seed(static_cast<std::uint32_t>(console().now()));
    }
}

void fixSeeds(std::optional<std::uint32_t> first) {
    state().nextSeed = first;
}

}  // namespace orvanta::platform
