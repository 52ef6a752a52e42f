#pragma once

#include <cstddef>
#include <span>

#include "engine/bitboard.hpp"
#include "engine/score.hpp"

namespace orvanta::engine {

// The weights of the pattern evaluation (patterns.hpp): for each stage in turn its weights, as
// 16-bit little-endian integers in hundredths of a disc, as the trainer writes them. A view: the
// bytes belong to the caller (or to the program, for the built-in weights).
class EvalWeights {
  public:
    static const std::size_t kBytes;

    // `bytes` must hold exactly kBytes.
    explicit EvalWeights(std::span<const unsigned char> bytes);

    std::span<const unsigned char> bytes() const { return bytes_; }

  private:
    std::span<const unsigned char> bytes_;
};

// The weights trained for Orvanta and built into the program.
EvalWeights builtinWeights();

// The static evaluation for the mover, in 1/kScoreScale discs, strictly between
// the worst and the best final results; a finished game gets its exact score.
int evaluate(Bitboard player, Bitboard opponent, const EvalWeights& weights);

}  // namespace orvanta::engine
