#pragma once

// The statistics of multi-ProbCut (engine/probcut.hpp), measured with the weights they serve:
// positions of games the engine plays, each searched without forward pruning at every depth
// from 1 ply to `maxDepth`, then a linear fit of each deep score on its shallow one, per stage
// and depth.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/eval.hpp"
#include "engine/probcut.hpp"

namespace orvanta::train {

// How the positions are found and searched. Each game opens with randomMin to randomMax random
// plies, then the engine plays it out with a search of `playDepth` plies (a random move one
// time in eight, so that the positions vary as those inside a search tree do); `perGame` of its
// positions with a move and at least kFewestEmpties empty squares are then searched at every
// depth below their empties, up to `maxDepth`, and solved when they have at most
// `exactEmpties` empty squares.
struct CutRound {
    int games = 0;
    int perGame = 3;
    int randomMin = 2;
    int randomMax = 16;
    int playDepth = 4;
    int maxDepth = 12;
    int exactEmpties = 20;
    std::uint64_t seed = 0;
};

inline constexpr int kFewestEmpties = 6;

// A searched position: scores[d - 1] is the score of the search of d plies, in hundredths of a
// disc for the mover; `exact` the final disc difference under perfect play, when solved.
struct CutSample {
    engine::Bitboard player = 0;
    engine::Bitboard opponent = 0;
    std::vector<std::int16_t> scores;
    std::optional<std::int8_t> exact;

    int empties() const;
};

// The positions of game `index` of the round, the same for the same round, index and weights
// on any thread and whatever the program has built in (the searches have no forward pruning).
std::vector<CutSample> playCutGame(const CutRound& round, int index,
                                   const engine::EvalWeights& weights);

// A block's samples, game after game, as bytes with the fingerprint `key`; and back (nothing
// when damaged or of another fingerprint).
using CutBlock = std::vector<std::vector<CutSample>>;
std::vector<unsigned char> cutBlockBytes(std::uint64_t key, const CutBlock& block);
std::optional<CutBlock> readCutBlockBytes(std::span<const unsigned char> bytes, std::uint64_t key);

// The fit: for each stage and each depth d the samples reach, deep ≈ slope × shallow + intercept
// over the pairs (score at CutTable::shallowDepth(d), score at d), with sigma the root mean
// square of the residuals. A stage with too few pairs at a depth takes its neighbour's model;
// deeper depths than measured are extrapolated (sigma growing as it grows over the last
// measured depths, pairs 0).
engine::CutTable fitCuts(std::span<const CutSample> samples);

// How well a table predicts samples it was not fitted on: for each stage, the root mean square
// of the residuals over all its depths divided by the sigmas claimed (near 1 when it holds), and
// the share of pairs within one sigma (68% for a normal error).
struct CutCheck {
    std::size_t pairs = 0;
    double errorOverSigma = 0;
    double withinOneSigma = 0;
};
std::array<CutCheck, engine::patterns::kStages> checkCuts(const engine::CutTable& table,
                                                          std::span<const CutSample> samples);

// The evaluation's error against the best label a sample has (its exact score when solved, else
// the mean of its two deepest searches: a search of even depth errs to the mover's cost, one of
// odd depth to its gain), per stage and side to move (black: an even number of empty squares
// when nobody has passed): the mean (its bias) and the root mean square, in discs.
struct EvalError {
    std::size_t positions = 0;
    double mean = 0;
    double rms = 0;
};
using EvalErrors = std::array<std::array<EvalError, 2>, engine::patterns::kStages>;
EvalErrors evalErrors(const engine::EvalWeights& weights, std::span<const CutSample> samples);

}  // namespace orvanta::train
