#pragma once

#include <optional>
#include <string_view>

#include "train/run.hpp"

namespace orvanta::train {

// "I/N" with 0 <= I < N <= 1000000; nothing otherwise.
std::optional<Shard> parseShard(std::string_view text);

// The trainer's command line (each option as `--name value` or `--name=value`); nothing when
// an option is unknown, lacks its value or has a bad one.
std::optional<TrainOptions> parseTrainArguments(int argc, const char* const* argv);

}  // namespace orvanta::train
