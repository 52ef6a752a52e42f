#include "platform/random.hpp"

#include <cstdint>

#include "platform/console.hpp"

namespace orvanta::platform {

std::mt19937& generator() {
    static std::mt19937 engine;
    return engine;
}

void seedFromClock() {
    generator().seed(static_cast<std::uint32_t>(console().now()));
}

}  // namespace orvanta::platform
