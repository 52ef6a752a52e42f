#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/eval.hpp"
#include "engine/position.hpp"
#include "engine/probcut.hpp"

namespace orvanta::train {

// A position with the score it is trained towards, in hundredths of a disc for its mover.
struct Sample {
    engine::Bitboard player = 0;
    engine::Bitboard opponent = 0;
    int target = 0;
};

// How the games of a round are played. Each game opens with a random number of random moves
// (from randomMin to randomMax plies), then the engine plays with a search of `depth` plies and
// the weights given; from `exactEmpties` empty squares on every position is solved exactly.
// Positions before that point are labelled with the exact result of the first solved one (the
// game's outcome under perfect play from there); the solved ones with their own. With a
// `searchShare`, a position the engine played from is labelled instead with that share (in
// percent) of its search's score and the rest of the outcome: the outcome alone carries the
// chance of every later move, the score of a deep search much less of it. With `searchDepths` 2
// that score is the mean of the search's last two iterations: a search of even depth errs to
// its mover's cost and one of odd depth to its gain, and the mean keeps neither.
//
// The searches prune forward with fixed statistics of the trainer's own (trainingCuts), so
// that no game depends on the statistics built into the program.
struct Round {
    int games = 0;
    int randomMin = 0;
    int randomMax = 0;
    int depth = 0;  // 0: random moves all the way to the solved part
    int exactEmpties = 16;
    std::uint64_t seed = 0;
    int searchShare = 0;
    int searchDepths = 1;
};

// The forward pruning of the trainer's searches: the errors of shallow searches measured once on
// engine games, the same for every depth from 10 on, whatever the weights.
engine::CutTable trainingCuts();

struct GameStats {
    std::uint64_t searchNodes = 0;
    std::uint64_t solveNodes = 0;
};

// The samples of game `index` of a round, the same for the same round, index and weights
// whatever thread plays it and whatever weights the program has built in: the searches and the
// solver's move order use `weights` (without them, the moves before the solved part are random
// and the solver orders by an evaluation of zeros).
std::vector<Sample> playGame(const Round& round, int index,
                             const std::optional<engine::EvalWeights>& weights, GameStats& stats);

}  // namespace orvanta::train
