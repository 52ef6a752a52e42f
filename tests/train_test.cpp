// The evaluation's trainer: its fit, and a small trial run whose weights the engine plays with.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "engine/search.hpp"
#include "tests/support/fake_host.hpp"
#include "train/fit.hpp"
#include "train/run.hpp"

namespace orvanta {
namespace {

using engine::patterns::kStages;
using engine::patterns::stageOf;

// Positions of seeded random games, each labelled with its disc difference for the mover: a
// target the features can represent exactly, whatever the stage.
std::vector<train::Sample> randomGameSamples(int games) {
    std::mt19937 random(7);
    std::vector<train::Sample> samples;
    for (int g = 0; g < games; ++g) {
        engine::Position position;
        while (!position.isOver()) {
            if (position.mustPass()) {
                position.pass();
                continue;
            }
            const int mine = engine::popcount(position.player());
            const int theirs = engine::popcount(position.opponent());
            samples.push_back(
                {position.player(), position.opponent(), (mine - theirs) * engine::kScoreScale});
            std::vector<int> moves;
            for (engine::Bitboard m = position.moves(); m != 0; m &= m - 1) {
                moves.push_back(engine::firstSquare(m));
            }
            position.play(moves[random() % moves.size()]);
        }
    }
    return samples;
}

TEST(Fit, EveryStageLearnsItsTargetsWithTheirSign) {
    const auto samples = randomGameSamples(150);
    std::vector<train::Encoded> encoded;
    std::array<double, kStages> squares{};
    std::array<int, kStages> counts{};
    for (const train::Sample& s : samples) {
        encoded.push_back(train::encode(s, false));
        const auto stage =
            static_cast<std::size_t>(stageOf(64 - engine::popcount(s.player | s.opponent)));
        const double discs = static_cast<double>(s.target) / engine::kScoreScale;
        squares[stage] += discs * discs;
        ++counts[stage];
    }
    const train::Fit fit = train::fit(encoded, {.ridge = 1, .iterations = 60, .threads = 2});
    for (std::size_t stage = 0; stage < kStages; ++stage) {
        ASSERT_GT(counts[stage], 0) << stage;
        const double targetRms = std::sqrt(squares[stage] / counts[stage]);
        EXPECT_LT(fit.errors[stage].trainRms, targetRms / 2) << "stage " << stage;
    }
    // The weights as the engine reads them score each sample near its target: the right sign.
    const auto bytes = train::weightBytes(fit.weights);
    const engine::EvalWeights weights(bytes);
    int agreeing = 0;
    int decided = 0;
    for (const train::Sample& s : samples) {
        if (std::abs(s.target) >= 4 * engine::kScoreScale) {
            ++decided;
            agreeing += (engine::evaluate(s.player, s.opponent, weights) > 0) == (s.target > 0);
        }
    }
    EXPECT_GT(agreeing, decided * 9 / 10);
}

TEST(Trainer, ASmallTrialWritesWeightsTheEngineSearchesWith) {
    const std::string path = ::testing::TempDir() + "orvanta-trial-weights.bin";
    std::filesystem::remove(path);
    ASSERT_EQ(train::train({.out = path, .threads = 2, .scale = 0.0002}), 0);
    const std::string file = testing::readFile(path);
    ASSERT_EQ(file.size(), engine::EvalWeights::kBytes);
    const std::vector<unsigned char> bytes(file.begin(), file.end());
    engine::Search search(1 << 20, engine::EvalWeights(bytes));
    const engine::Position start;
    const engine::SearchResult result = search.run(start, {.depth = 4});
    EXPECT_NE(start.moves() & engine::bit(result.move), 0u);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace orvanta
