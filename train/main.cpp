// Trains the evaluation's weights from games Orvanta plays itself, and writes them as the weights
// file that the build compiles in (engine/eval_weights.bin).
// Then it fits the statistics of the search's forward pruning for those weights
// (engine/probcut.txt); --cuts-only does only that, for the weights already in --out.
//   orvanta_train [--out FILE] [--cuts-out FILE] [--work DIR] [--threads N] [--scale F]
//                 [--block-games N] [--shard I/N | --fit] [--cuts-only]
#include <cstdio>
#include <optional>
#include <string>

#include "train/arguments.hpp"
#include "train/run.hpp"

int main(int argc, char** argv) {
    const auto options = orvanta::train::parseTrainArguments(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s [--out FILE] [--cuts-out FILE] [--work DIR] [--threads N] "
                     "[--scale F] [--block-games N] [--shard I/N | --fit] [--cuts-only]\n",
                     argc > 0 ? argv[0] : "orvanta_train");
        return 2;
    }
    return orvanta::train::train(*options);
}
