#pragma once

// The evaluation's pattern readings kept up to date move by move, so that a search evaluates a
// position by adding up its weights without reading the board again.
//
// Non-template inline code: kernels_avx2.cpp includes this header before its target region, so
// that every copy of these functions is built for any processor.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/eval.hpp"
#include "engine/patterns.hpp"

namespace orvanta::engine {

namespace eval_detail {

// Readings rounded up to a whole number of vector lanes.
inline constexpr std::size_t kLanes = 48;
static_assert(patterns::kReadings <= kLanes);

using Indices = std::array<std::uint16_t, kLanes>;

// For each square, what one disc there adds to each reading's index (3^digit, or 0 when the
// reading does not see the square).
inline constexpr std::array<Indices, kSquares> kSquareDigits = [] {
    std::array<Indices, kSquares> table{};
    for (int s = 0; s < kSquares; ++s) {
        for (std::size_t r = 0; r < patterns::kReadings; ++r) {
            const patterns::Reading reading = patterns::kReadingList[r];
            const unsigned digit = patterns::extract(patterns::kPatterns[reading.pattern].shape,
                                                     symmetry(bit(s), reading.symmetry));
            table[static_cast<std::size_t>(s)][r] =
                digit == 0 ? 0
                           : static_cast<std::uint16_t>(
                                 patterns::power3(static_cast<int>(std::countr_zero(digit))));
        }
    }
    return table;
}();

// Where each reading's table starts among a stage's weights.
inline constexpr std::array<std::uint32_t, patterns::kReadings> kReadingStart = [] {
    std::array<std::uint32_t, patterns::kReadings> start{};
    for (std::size_t r = 0; r < patterns::kReadings; ++r) {
        start[r] =
            static_cast<std::uint32_t>(patterns::kTableStart[patterns::kReadingList[r].pattern]);
    }
    return start;
}();

// a += k * b, lane by lane (wrapping: every index ends in range).
inline void addScaled(Indices& a, const Indices& b, std::uint16_t k) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        a[i] = static_cast<std::uint16_t>(a[i] + k * b[i]);
    }
}
inline void subtract(Indices& a, const Indices& b) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        a[i] = static_cast<std::uint16_t>(a[i] - b[i]);
    }
}
inline void add(Indices& a, const Indices& b) {
    for (std::size_t i = 0; i < kLanes; ++i) {
        a[i] = static_cast<std::uint16_t>(a[i] + b[i]);
    }
}

inline int weightAt(const unsigned char* stage, std::size_t feature) {
    const unsigned char* w = stage + 2 * feature;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(w[0] | w[1] << 8));
}

}  // namespace eval_detail

// The index of every pattern reading of a position, from the mover's side (`mine`: the mover's
// discs read as 1, the opponent's as 2) and from the opponent's (`theirs`), so that a move, which
// hands the turn over, only swaps the two after adding the changed digits.
class EvalState {
  public:
    EvalState() = default;
    // Reads the whole board.
    static EvalState of(Bitboard player, Bitboard opponent) {
        EvalState s;
        for (Bitboard b = player; b != 0; b &= b - 1) {
            const auto& digits =
                eval_detail::kSquareDigits[static_cast<std::size_t>(firstSquare(b))];
            eval_detail::add(s.mine_, digits);
            eval_detail::addScaled(s.theirs_, digits, 2);
        }
        for (Bitboard b = opponent; b != 0; b &= b - 1) {
            const auto& digits =
                eval_detail::kSquareDigits[static_cast<std::size_t>(firstSquare(b))];
            eval_detail::addScaled(s.mine_, digits, 2);
            eval_detail::add(s.theirs_, digits);
        }
        return s;
    }

    // The state after the mover plays `square`, turning `flipped`; the opponent then moves.
    EvalState after(int square, Bitboard flipped) const {
        EvalState next;
        next.mine_ = theirs_;
        next.theirs_ = mine_;
        const auto& placed = eval_detail::kSquareDigits[static_cast<std::size_t>(square)];
        // Seen by the new mover, the disc is the opponent's (2) and each flipped one goes from
        // 1 to 2; seen by the one who played, 1 and from 2 to 1.
        eval_detail::addScaled(next.mine_, placed, 2);
        eval_detail::add(next.theirs_, placed);
        for (Bitboard b = flipped; b != 0; b &= b - 1) {
            const auto& digits =
                eval_detail::kSquareDigits[static_cast<std::size_t>(firstSquare(b))];
            eval_detail::add(next.mine_, digits);
            eval_detail::subtract(next.theirs_, digits);
        }
        return next;
    }

    // The state once the mover has passed.
    EvalState passed() const {
        EvalState next;
        next.mine_ = theirs_;
        next.theirs_ = mine_;
        return next;
    }

    // The index of reading `r` (patterns::kReadingList) for the mover.
    int index(std::size_t r) const { return mine_[r]; }

    // The evaluation of the position this state reads, for the mover, given its empty squares
    // and both sides' moves (which must not both be empty: a finished game is scored exactly by
    // the caller). The same value as evaluate(player, opponent, weights).
    int evaluate(const EvalWeights& weights, int empties, Bitboard playerMoves,
                 Bitboard opponentMoves) const {
        using namespace patterns;
        const unsigned char* stage =
            weights.bytes().data() +
            2 * kWeightsPerStage * static_cast<std::size_t>(stageOf(empties));
        int score = 0;
        for (std::size_t r = 0; r < kReadings; ++r) {
            score += eval_detail::weightAt(stage, eval_detail::kReadingStart[r] + mine_[r]);
        }
        score +=
            eval_detail::weightAt(stage, kMobilityStart + mobilityCell(playerMoves)) +
            eval_detail::weightAt(stage, kOpponentMobilityStart + mobilityCell(opponentMoves)) +
            eval_detail::weightAt(stage, kParityStart + static_cast<std::size_t>(empties & 1));
        return score < -kEvalLimit ? -kEvalLimit : score > kEvalLimit ? kEvalLimit : score;
    }

    friend bool operator==(const EvalState&, const EvalState&) = default;

  private:
    alignas(32) eval_detail::Indices mine_{};
    alignas(32) eval_detail::Indices theirs_{};
};

}  // namespace orvanta::engine
