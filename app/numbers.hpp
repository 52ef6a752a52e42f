#pragma once

#include <optional>
#include <string_view>

namespace orvanta {

// Whether a whole number may carry a sign: "+4" and "-2" (the menu), or only digits (options,
// protocols).
enum class Sign { kNone, kAllowed };

// The whole number `text` stands for when it is nothing but decimal digits (after one sign, if
// allowed) and lies from `low` to `high`; nothing otherwise.
std::optional<long long> parseWhole(std::string_view text, long long low, long long high,
                                    Sign sign = Sign::kNone);

}  // namespace orvanta
