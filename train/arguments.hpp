#pragma once

#include <optional>
#include <string_view>

#include "train/run.hpp"

namespace orvanta::train {

// "I/N", shard I of N counted from 1 (as job arrays and the book's builder count them), with
// 1 <= I <= N <= 1000000; nothing otherwise.
std::optional<Shard> parseShard(std::string_view text);

// The trainer's command line (each option as `--name value` or `--name=value`); nothing when
// an option is unknown, lacks its value or has a bad one.
std::optional<TrainOptions> parseTrainArguments(int argc, const char* const* argv);

}  // namespace orvanta::train
