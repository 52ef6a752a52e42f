#pragma once

// Multi-ProbCut's statistics: how well a shallow search predicts a deep one.
//
// For each stage of the game (the evaluation's stages, by empty squares) and each depth d from
// kFirstCutDepth plies up, a shallow depth s(d) and a linear model fitted on the scores of both
// searches of many positions: deep ≈ slope × shallow + intercept, with the root mean square
// error `sigma` of that prediction. A node of depth d whose shallow search predicts a score t ×
// sigma beyond its window is settled by it; t is the search's selectivity (a confidence level).
// The fit depends on the evaluation, so it is made with the weights (`make train`) and built
// into the program beside them.
//
// The endgame has models of its own, by empty squares: how well a shallow search predicts the
// exact final result. With them a selective search of the whole rest of the game can cut as
// the mid-game does, before the exact solve proves its result.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/patterns.hpp"

namespace orvanta::engine {

// How sure the search must be before it cuts: the prediction must lie this many tenths of a
// sigma beyond the window. From the boldest to none at all.
enum class Selectivity : std::uint8_t { k11, k15, k20, k26, k33, kNone };
inline constexpr std::array<int, 5> kCutConfidenceTenths = {11, 15, 20, 26, 33};
// The share of cuts a normal error would let through correctly, in percent (the name under
// which engines of the field show their selectivity: 73% for 1.1 sigma).
inline constexpr std::array<int, 6> kSelectivityPercent = {73, 87, 95, 98, 99, 100};

struct CutModel {
    int shallow = 0;    // plies of the shallow search
    int slope = 10000;  // in ten-thousandths
    int intercept = 0;  // in hundredths of a disc
    int sigma = 0;      // in hundredths of a disc; 0: no model, no cut
    int pairs = 0;      // the pairs of scores it was fitted on (0: extrapolated)
};

class CutTable {
  public:
    static constexpr int kFirstCutDepth = 3;
    static constexpr int kMaxDepth = 60;

    // The shallow depth for a deep one: half of it, with the same parity. The endgame's models
    // predict the exact result of a position of e empty squares from shallowDepth(e).
    static constexpr int shallowDepth(int depth) { return 2 * (depth / 4) + depth % 2; }

    // An empty table: no cut anywhere.
    CutTable() = default;

    const CutModel& model(int empties, int depth) const {
        return models_[static_cast<std::size_t>(patterns::stageOf(empties))]
                      [static_cast<std::size_t>(depth > kMaxDepth ? kMaxDepth : depth)];
    }
    void set(int stage, int depth, const CutModel& model) {
        models_[static_cast<std::size_t>(stage)][static_cast<std::size_t>(depth)] = model;
    }
    // The model of the exact result of a position with `empties` empty squares.
    const CutModel& endgame(int empties) const {
        return endgame_[static_cast<std::size_t>(empties < 0           ? 0
                                                 : empties > kMaxDepth ? kMaxDepth
                                                                       : empties)];
    }
    void setEndgame(int empties, const CutModel& model) {
        endgame_[static_cast<std::size_t>(empties)] = model;
    }
    bool empty() const;

    // The text file, one model a line: "stage depth shallow slope intercept sigma pairs", and
    // for the endgame "end empties shallow slope intercept sigma pairs", after a first line
    // "orvanta-cuts 1" and comment lines starting with '#'.
    std::string text() const;
    // Reads that text; nothing when any line is malformed or out of range.
    static std::optional<CutTable> parse(std::string_view text);

  private:
    std::array<std::array<CutModel, kMaxDepth + 1>, patterns::kStages> models_{};
    std::array<CutModel, kMaxDepth + 1> endgame_{};
};

// The statistics fitted for the built-in weights, built into the program (an empty table if
// they were damaged, which a test catches).
const CutTable& builtinCuts();

}  // namespace orvanta::engine
