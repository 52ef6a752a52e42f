#include "app/numbers.hpp"

#include <charconv>

namespace orvanta {

std::optional<long long> parseWhole(std::string_view text, long long low, long long high,
                                    Sign sign) {
    bool negative = false;
    if (sign == Sign::kAllowed && !text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text[0] < '0' || text[0] > '9') {
        return std::nullopt;
    }
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    // Within the range of long long only: its lowest value has no positive counterpart.
    constexpr unsigned long long kMaxMagnitude = 1ULL << 63;
    if (magnitude > kMaxMagnitude || (!negative && magnitude == kMaxMagnitude)) {
        return std::nullopt;
    }
    const long long value =
        negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace orvanta
