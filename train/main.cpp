// Trains the evaluation's weights from games Orvanta plays itself, and writes them as the weights
// file that the build compiles in (engine/eval_weights.bin).
//   orvanta_train [--out FILE] [--threads N] [--scale F]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "train/run.hpp"

int main(int argc, char** argv) {
    orvanta::train::TrainOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (arg == "--threads" && i + 1 < argc) {
            options.threads = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--scale" && i + 1 < argc) {
            options.scale = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--out FILE] [--threads N] [--scale F]\n", argv[0]);
            return 2;
        }
    }
    return orvanta::train::train(options);
}
