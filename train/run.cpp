#include "train/run.hpp"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/eval.hpp"
#include "train/fit.hpp"
#include "train/selfplay.hpp"

namespace orvanta::train {
namespace {

// The rounds of a full run (about an hour on two cores).
const Round kRounds[] = {
    {.games = 10000, .randomMin = 60, .randomMax = 60, .depth = 0, .exactEmpties = 14, .seed = 1},
    {.games = 24000, .randomMin = 2, .randomMax = 24, .depth = 4, .exactEmpties = 16, .seed = 2},
    {.games = 32000, .randomMin = 2, .randomMax = 24, .depth = 6, .exactEmpties = 16, .seed = 3},
};
constexpr double kRidge = 4;
constexpr int kIterations = 100;
constexpr int kValidationEvery = 16;  // one game in 16 is held out of the fit

double elapsed(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The games of a round on `threads` threads; each game's samples land in its own slot, so the
// order does not depend on the threads.
std::vector<std::vector<Sample>> playRound(const Round& round,
                                           const std::optional<engine::EvalWeights>& weights,
                                           int threads, GameStats& total) {
    std::vector<std::vector<Sample>> games(static_cast<std::size_t>(round.games));
    std::vector<GameStats> stats(static_cast<std::size_t>(threads));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int g = next++; g < round.games; g = next++) {
                games[static_cast<std::size_t>(g)] =
                    playGame(round, g, weights, stats[static_cast<std::size_t>(t)]);
            }
        });
    }
    for (std::thread& w : workers) {
        w.join();
    }
    for (const GameStats& s : stats) {
        total.searchNodes += s.searchNodes;
        total.solveNodes += s.solveNodes;
    }
    return games;
}

}  // namespace

int train(const TrainOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<Encoded> data;
    std::vector<unsigned char> bytes;
    Fit last;
    for (std::size_t r = 0; r < std::size(kRounds); ++r) {
        Round round = kRounds[r];
        round.games = std::max(1, static_cast<int>(std::lround(round.games * options.scale)));
        std::optional<engine::EvalWeights> weights;
        if (!bytes.empty()) {
            weights.emplace(bytes);
        }
        GameStats stats;
        const auto games = playRound(round, weights, options.threads, stats);
        if (r == 1) {
            data.clear();  // random games only seed the first weights
        }
        std::size_t added = 0;
        for (std::size_t g = 0; g < games.size(); ++g) {
            for (const Sample& s : games[g]) {
                data.push_back(encode(s, g % kValidationEvery == 0));
                ++added;
            }
        }
        std::printf(
            "round %zu: %d games (depth %d, exact from %d empties), %zu positions, "
            "%.1f M search + %.1f M solve nodes, %.0f s\n",
            r + 1, round.games, round.depth, round.exactEmpties, added,
            static_cast<double>(stats.searchNodes) / 1e6,
            static_cast<double>(stats.solveNodes) / 1e6, elapsed(start));
        std::fflush(stdout);
        last = fit(data, {kRidge, kIterations, options.threads});
        bytes = weightBytes(last.weights);
        std::printf("  fit on %zu positions, %.0f s\n", data.size(), elapsed(start));
        std::fflush(stdout);
    }
    std::printf("stage  empties  trained  rms(discs)  held out  rms(discs)\n");
    for (int s = 0; s < engine::patterns::kStages; ++s) {
        const StageError& e = last.errors[static_cast<std::size_t>(s)];
        const int high = engine::patterns::kStartEmpties - s * engine::patterns::kStageEmpties;
        std::printf("%5d  %2d-%-2d   %8zu  %9.2f  %8zu  %9.2f\n", s,
                    s == engine::patterns::kStages - 1 ? 1 : high - 4, high, e.trained, e.trainRms,
                    e.validated, e.validationRms);
    }
    std::ofstream file(options.out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "orvanta_train: cannot write %s\n", options.out.c_str());
        return 1;
    }
    std::printf("wrote %s (%zu bytes) after %.0f s\n", options.out.c_str(), bytes.size(),
                elapsed(start));
    return 0;
}

}  // namespace orvanta::train
