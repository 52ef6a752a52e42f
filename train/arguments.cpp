#include "train/arguments.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace orvanta::train {

namespace {

constexpr int kMaxThreads = 256;
constexpr int kMaxBlockGames = 1000000;
constexpr double kMaxScale = 100;

std::optional<double> parseScale(std::string_view text) {
    // std::from_chars for double is not in every standard library this builds with.
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value) || value <= 0 ||
        value > kMaxScale) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int> parseWhole(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text[0] < '0' || text[0] > '9' || error != std::errc() ||
        end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<Shard> parseShard(std::string_view text, int most) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto count = parseWhole(text.substr(slash + 1), 1, most);
    const auto number = parseWhole(text.substr(0, slash), 1, most);
    if (!count || !number || *number > *count) {
        return std::nullopt;
    }
    return Shard{*number - 1, *count};
}

std::optional<TrainOptions> parseTrainArguments(int argc, const char* const* argv) {
    TrainOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--fit") {
            options.fitOnly = true;
            continue;
        }
        if (arg == "--cuts-only") {
            options.cutsOnly = true;
            continue;
        }
        std::string_view value;
        if (const auto equals = arg.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return std::nullopt;
        }
        bool good = true;
        if (arg == "--out" && !value.empty()) {
            options.out = value;
        } else if (arg == "--cuts-out" && !value.empty()) {
            options.cutsOut = value;
        } else if (arg == "--work" && !value.empty()) {
            options.work = value;
        } else if (arg == "--threads") {
            const auto n = parseWhole(value, 1, kMaxThreads);
            good = n.has_value();
            options.threads = n.value_or(1);
        } else if (arg == "--block-games") {
            const auto n = parseWhole(value, 1, kMaxBlockGames);
            good = n.has_value();
            options.blockGames = n.value_or(1);
        } else if (arg == "--scale") {
            const auto scale = parseScale(value);
            good = scale.has_value();
            options.scale = scale.value_or(1);
        } else if (arg == "--shard") {
            const auto shard = parseShard(value);
            good = shard.has_value();
            options.shard = shard.value_or(Shard{});
        } else {
            good = false;
        }
        if (!good) {
            return std::nullopt;
        }
    }
    if (options.fitOnly && options.shard.count > 1) {
        return std::nullopt;
    }
    return options;
}

}  // namespace orvanta::train
