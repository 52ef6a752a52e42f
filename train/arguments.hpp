#pragma once

#include <optional>
#include <string_view>

#include "train/run.hpp"

namespace orvanta::train {

// A whole number from `low` to `high`: digits only, the whole text; nothing otherwise. Every
// number of the trainer's and the book builder's command lines is read by it.
std::optional<int> parseWhole(std::string_view text, int low, int high);

// "I/N", shard I of N counted from 1 (as job arrays count them), with 1 <= I <= N <= `most`;
// nothing otherwise.
std::optional<Shard> parseShard(std::string_view text, int most = 1000000);

// The trainer's command line (each option as `--name value` or `--name=value`); nothing when
// an option is unknown, lacks its value or has a bad one.
std::optional<TrainOptions> parseTrainArguments(int argc, const char* const* argv);

}  // namespace orvanta::train
