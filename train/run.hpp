#pragma once

#include <string>
#include <vector>

#include "train/cuts.hpp"
#include "train/selfplay.hpp"

namespace orvanta::train {

// Which part of the work one process takes: the blocks of games whose number is `index`
// modulo `count` (`index` from 0; the command line counts shards from 1).
struct Shard {
    int index = 0;
    int count = 1;
};

// The rounds of the full run that made the committed weights.
std::vector<Round> fullRun();
// The positions the full run measures its evaluation's side-to-move term on, after the last fit.
CutRound fullTempoRound();
// The positions the full run measures its cut statistics on, with its final weights.
CutRound fullCutRound();

// A training run. Rounds: random games first, then games of the engine with the weights of the
// round before; after each round a fit on its samples and those of the rounds since the first.
// Seeds are fixed, so the same options give the same file with any number of threads, shards or
// restarts.
//
// The work lives in the folder `work` (see checkpoint.hpp): games are played in blocks, and
// each block's samples and each round's weights are kept there once done. A run that stops
// goes on where it was when started again with the same options.
struct TrainOptions {
    std::vector<Round> rounds = fullRun();
    std::string out = "engine/eval_weights.bin";
    // After the last fit, the side-to-move term; then the statistics of the forward pruning,
    // fitted for the final weights.
    CutRound tempo = fullTempoRound();
    CutRound cuts = fullCutRound();
    std::string cutsOut = "engine/probcut.txt";
    int cutBlockGames = 50;
    // Only the cut statistics, for the weights already in `out`.
    bool cutsOnly = false;
    std::string work = "train-work";
    int threads = 2;
    // The share of the full run's games (about three and a quarter hours on two cores at 1); a
    // small one makes a quick trial.
    double scale = 1;
    int blockGames = 500;
    // With a shard given (count > 1), the run only plays that shard's missing blocks of the
    // first round not yet fitted, then stops: the fit waits until every shard is done.
    Shard shard;
    // Plays nothing: fits the rounds whose games are all there, in order, and writes `out` once
    // the last round is fitted.
    bool fitOnly = false;
};

// Plays, fits and writes the weights file as the options say; progress on standard output.
// Returns the exit status: 0 (also when it stops to wait for other shards' games), or 1 when a
// file cannot be written.
int train(const TrainOptions& options);

}  // namespace orvanta::train
