#pragma once

#include <string>

namespace orvanta::train {

// A training run. Rounds: random games first, then games of the engine with the weights of the
// round before; after each round a fit on its samples and those of the rounds since the first.
// Seeds are fixed, so the same options give the same file with any number of threads.
struct TrainOptions {
    std::string out = "engine/eval_weights.bin";
    int threads = 2;
    // The share of the full run's games (about an hour on two cores at 1); a small one makes a
    // quick trial.
    double scale = 1;
};

// Plays, fits and writes the weights file; progress on standard output. Returns the exit status:
// 0, or 1 when the file cannot be written.
int train(const TrainOptions& options);

}  // namespace orvanta::train
