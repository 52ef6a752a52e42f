#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "train/selfplay.hpp"

namespace orvanta::train {

// A training run keeps its work in a folder, so that it can stop at any time and go on later,
// or be split over machines: the samples of each block of games, and the weights fitted after
// each round. Every file carries the fingerprint of what produced it (the round's settings and
// the weights its games were played with); a file with another fingerprint, or damaged, is
// ignored and made again. Files appear whole: written under a temporary name, then renamed.

// A fingerprint: 64-bit FNV-1a over the bytes given, continuing from `seed`.
std::uint64_t fingerprint(std::span<const unsigned char> bytes,
                          std::uint64_t seed = 0xcbf29ce484222325);

// The samples of one block of games, game after game.
using BlockGames = std::vector<std::vector<Sample>>;

// The bytes of a block file, and back. Reading checks the magic, the fingerprint and that the
// lengths add up exactly; anything else gives nothing.
std::vector<unsigned char> blockBytes(std::uint64_t key, const BlockGames& games);
std::optional<BlockGames> readBlockBytes(std::span<const unsigned char> bytes, std::uint64_t key);

// The weights fitted after a round, with the fingerprint of the data they were fitted on.
std::vector<unsigned char> weightsCheckpointBytes(std::uint64_t key,
                                                  std::span<const unsigned char> weights);
std::optional<std::vector<unsigned char>> readWeightsCheckpointBytes(
    std::span<const unsigned char> bytes, std::uint64_t key);

// The whole file, or nothing when it cannot be read.
std::optional<std::vector<unsigned char>> readFileBytes(const std::filesystem::path& path);
// Writes `path` whole (a temporary file renamed over it); false on failure.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const unsigned char> bytes);

}  // namespace orvanta::train
