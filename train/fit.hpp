#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/patterns.hpp"
#include "train/selfplay.hpp"

namespace orvanta::train {

// A sample as the regression sees it: its features (each reading already mapped to the weight
// it shares with its tied reading), its target and its number of empty squares.
struct Encoded {
    std::array<std::uint32_t, engine::patterns::kReadings + 3> features{};
    std::int16_t target = 0;
    std::int8_t empties = 0;
    bool validation = false;  // held out of the fit, to measure it
};

Encoded encode(const Sample& sample, bool validation);

struct FitOptions {
    // Ridge: every weight is pulled towards 0 as if it had been seen `ridge` more times at 0.
    double ridge = 0;
    int iterations = 0;
    int threads = 1;
};

struct StageError {
    std::size_t trained = 0;    // samples of the stage in the fit (own stage only)
    std::size_t validated = 0;  // held-out samples of the stage
    double trainRms = 0;        // root mean square error, in discs
    double validationRms = 0;
};

struct Fit {
    std::vector<std::int16_t> weights;  // engine::patterns::kWeights, stage after stage
    std::array<StageError, engine::patterns::kStages> errors{};
};

// Least squares with a ridge for each stage, by conjugate gradients (with the diagonal as
// preconditioner); a stage also learns from the positions within kOverlap empties of it.
Fit fit(const std::vector<Encoded>& samples, const FitOptions& options);

// The root mean square error of `weights` (engine::patterns::kWeights, stage after stage) on the
// held-out samples, per stage of the samples' own empties.
std::array<StageError, engine::patterns::kStages> heldOutErrors(
    const std::vector<Encoded>& samples, std::span<const std::int16_t> weights);

// The weights as the engine reads them: 16-bit little-endian integers; and back.
std::vector<unsigned char> weightBytes(const std::vector<std::int16_t>& weights);
std::vector<std::int16_t> weightValues(std::span<const unsigned char> bytes);

}  // namespace orvanta::train
