#include "train/run.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/eval.hpp"
#include "train/checkpoint.hpp"
#include "train/fit.hpp"
#include "train/selfplay.hpp"

namespace orvanta::train {
namespace {

namespace fs = std::filesystem;

constexpr double kRidge = 4;
constexpr int kIterations = 100;
constexpr int kValidationEvery = 16;  // one game in 16 is held out of the fit
// Raised whenever the same settings and weights would give other games, so that a work folder's
// older blocks are played again instead of mixed in. 2: the solver orders its moves with the
// games' own weights (before, with those built into the program).
constexpr std::int64_t kGamesVersion = 2;

double elapsed(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fingerprint of a round's games: its settings and the weights they are played with.
std::uint64_t roundKey(const Round& round, int blockGames,
                       const std::vector<unsigned char>& weights) {
    const std::int64_t fields[] = {
        round.games,       round.randomMin,    round.randomMax,
        round.depth,       round.exactEmpties, static_cast<std::int64_t>(round.seed),
        round.searchShare, blockGames,         kGamesVersion};
    std::vector<unsigned char> bytes;
    for (const std::int64_t f : fields) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<unsigned char>(static_cast<std::uint64_t>(f) >> (8 * i)));
        }
    }
    return fingerprint(weights, fingerprint(bytes));
}

// The fingerprint of a round's fit: the round's games (which stand for all before) and the fit's
// settings.
std::uint64_t fitKey(std::uint64_t roundKey) {
    const std::int64_t fields[] = {static_cast<std::int64_t>(kRidge * 1000), kIterations,
                                   kValidationEvery};
    std::vector<unsigned char> bytes;
    for (const std::int64_t f : fields) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<unsigned char>(static_cast<std::uint64_t>(f) >> (8 * i)));
        }
    }
    return fingerprint(bytes, roundKey);
}

// One round as this run sees it: its games, their blocks and its files.
struct RoundWork {
    Round round;
    int blockGames = 0;
    fs::path folder;
    std::uint64_t key = 0;

    int blocks() const { return (round.games + blockGames - 1) / blockGames; }
    fs::path blockPath(int block) const {
        char name[32];
        std::snprintf(name, sizeof name, "block-%05d", block);
        return folder / name;
    }
    fs::path weightsPath() const { return folder / "weights"; }

    std::optional<BlockGames> loadBlock(int block) const {
        const auto bytes = readFileBytes(blockPath(block));
        return bytes ? readBlockBytes(*bytes, key) : std::nullopt;
    }
    std::optional<std::vector<unsigned char>> loadWeights() const {
        const auto bytes = readFileBytes(weightsPath());
        auto weights = bytes ? readWeightsCheckpointBytes(*bytes, fitKey(key)) : std::nullopt;
        if (weights && weights->size() != engine::EvalWeights::kBytes) {
            return std::nullopt;
        }
        return weights;
    }
};

// The games of a block on `threads` threads; each game's samples land in its own slot, so the
// order does not depend on the threads.
BlockGames playBlock(const RoundWork& work, int block,
                     const std::optional<engine::EvalWeights>& weights, int threads,
                     GameStats& total) {
    const int first = block * work.blockGames;
    const int count = std::min(work.blockGames, work.round.games - first);
    BlockGames games(static_cast<std::size_t>(count));
    std::vector<GameStats> stats(static_cast<std::size_t>(threads));
    std::atomic<int> next{0};
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int g = next++; g < count; g = next++) {
                games[static_cast<std::size_t>(g)] =
                    playGame(work.round, first + g, weights, stats[static_cast<std::size_t>(t)]);
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

bool mine(int block, const TrainOptions& options) {
    return block % options.shard.count == options.shard.index;
}

// Plays the round's missing blocks that belong to this process. False when one cannot be kept.
bool playMissing(const RoundWork& work, const std::vector<unsigned char>& weightBytes,
                 const TrainOptions& options, std::chrono::steady_clock::time_point start) {
    std::optional<engine::EvalWeights> weights;
    if (!weightBytes.empty()) {
        weights.emplace(weightBytes);
    }
    GameStats stats;
    int played = 0;
    for (int b = 0; b < work.blocks(); ++b) {
        if (!mine(b, options) || work.loadBlock(b)) {
            continue;
        }
        const BlockGames games = playBlock(work, b, weights, options.threads, stats);
        if (!writeFileAtomically(work.blockPath(b), blockBytes(work.key, games))) {
            std::fprintf(stderr, "orvanta_train: cannot write %s\n",
                         work.blockPath(b).string().c_str());
            return false;
        }
        ++played;
    }
    if (played > 0) {
        std::printf("  played %d block(s): %.1f M search + %.1f M solve nodes, %.0f s\n", played,
                    static_cast<double>(stats.searchNodes) / 1e6,
                    static_cast<double>(stats.solveNodes) / 1e6, elapsed(start));
        std::fflush(stdout);
    }
    return true;
}

// The samples of every block, in order; nothing when a block is missing.
std::optional<std::vector<BlockGames>> loadAll(const RoundWork& work) {
    std::vector<BlockGames> blocks;
    int missing = 0;
    for (int b = 0; b < work.blocks(); ++b) {
        auto games = work.loadBlock(b);
        if (games) {
            blocks.push_back(std::move(*games));
        } else {
            ++missing;
        }
    }
    if (missing > 0) {
        std::printf("  %d of %d blocks still to play: waiting for their shards\n", missing,
                    work.blocks());
        return std::nullopt;
    }
    return blocks;
}

void addSamples(const RoundWork& work, const std::vector<BlockGames>& blocks,
                std::vector<Encoded>& data) {
    std::size_t added = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        for (std::size_t g = 0; g < blocks[b].size(); ++g) {
            const std::size_t game = b * static_cast<std::size_t>(work.blockGames) + g;
            for (const Sample& s : blocks[b][g]) {
                data.push_back(encode(s, game % kValidationEvery == 0));
                ++added;
            }
        }
    }
    std::printf("  %zu positions\n", added);
}

void printErrors(const std::vector<Encoded>& data, const std::vector<unsigned char>& after,
                 const std::optional<std::vector<unsigned char>>& before) {
    const auto now = heldOutErrors(data, weightValues(after));
    std::optional<std::array<StageError, engine::patterns::kStages>> old;
    if (before) {
        old = heldOutErrors(data, weightValues(*before));
    }
    std::printf("held-out error (rms, discs)\nstage  empties  positions  %s    new\n",
                old ? "before" : "      ");
    for (int s = 0; s < engine::patterns::kStages; ++s) {
        const auto i = static_cast<std::size_t>(s);
        const int high = engine::patterns::kStartEmpties - s * engine::patterns::kStageEmpties;
        const int low = s == engine::patterns::kStages - 1 ? 1 : high - 4;
        std::printf("%5d  %2d-%-2d   %9zu  ", s, low, high, now[i].validated);
        if (old) {
            std::printf("%6.2f", (*old)[i].validationRms);
        } else {
            std::printf("      ");
        }
        std::printf(" %6.2f\n", now[i].validationRms);
    }
}

}  // namespace

// The rounds of a full run. The first three teach the shape of the game from outcomes; the
// last plays deeper and labels its positions half with the score of the search that played
// them, which is far less noisy than the outcome of a game far from its end.
std::vector<Round> fullRun() {
    return {
        {.games = 10000,
         .randomMin = 60,
         .randomMax = 60,
         .depth = 0,
         .exactEmpties = 14,
         .seed = 1},
        {.games = 24000,
         .randomMin = 2,
         .randomMax = 24,
         .depth = 4,
         .exactEmpties = 16,
         .seed = 2},
        {.games = 32000,
         .randomMin = 2,
         .randomMax = 24,
         .depth = 6,
         .exactEmpties = 16,
         .seed = 3},
        {.games = 8000,
         .randomMin = 2,
         .randomMax = 20,
         .depth = 8,
         .exactEmpties = 18,
         .seed = 4,
         .searchShare = 50},
    };
}

int train(const TrainOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    std::error_code error;
    fs::create_directories(options.work, error);
    std::vector<Encoded> data;
    std::vector<unsigned char> weights;  // of the round before
    for (std::size_t r = 0; r < options.rounds.size(); ++r) {
        std::string name = "round-";
        name += std::to_string(r + 1);
        RoundWork work{options.rounds[r], options.blockGames, fs::path(options.work) / name, 0};
        work.round.games =
            std::max(1, static_cast<int>(std::lround(work.round.games * options.scale)));
        work.key = roundKey(work.round, work.blockGames, weights);
        fs::create_directories(work.folder, error);
        std::printf("round %zu: %d games (depth %d, exact from %d empties) in %d block(s)\n", r + 1,
                    work.round.games, work.round.depth, work.round.exactEmpties, work.blocks());
        std::fflush(stdout);

        auto fitted = work.loadWeights();
        const bool sharded = options.shard.count > 1;
        if (sharded && fitted) {
            weights = std::move(*fitted);
            continue;  // a shard needs no samples of rounds already fitted
        }
        if (!options.fitOnly && !playMissing(work, weights, options, start)) {
            return 1;
        }
        if (sharded) {
            std::printf("shard %d/%d of round %zu done after %.0f s\n", options.shard.index + 1,
                        options.shard.count, r + 1, elapsed(start));
            return 0;
        }
        const auto blocks = loadAll(work);
        if (!blocks) {
            return 0;
        }
        if (r == 1) {
            data.clear();  // random games only seed the first weights
        }
        addSamples(work, *blocks, data);
        if (fitted) {
            weights = std::move(*fitted);
            std::printf("  fitted before\n");
        } else {
            weights = weightBytes(fit(data, {kRidge, kIterations, options.threads}).weights);
            if (!writeFileAtomically(work.weightsPath(),
                                     weightsCheckpointBytes(fitKey(work.key), weights))) {
                std::fprintf(stderr, "orvanta_train: cannot write %s\n",
                             work.weightsPath().string().c_str());
                return 1;
            }
            std::printf("  fit on %zu positions, %.0f s\n", data.size(), elapsed(start));
        }
        std::fflush(stdout);
    }
    auto before = readFileBytes(options.out);
    if (before && before->size() != engine::EvalWeights::kBytes) {
        before.reset();
    }
    printErrors(data, weights, before);
    if (!writeFileAtomically(options.out, weights)) {
        std::fprintf(stderr, "orvanta_train: cannot write %s\n", options.out.c_str());
        return 1;
    }
    std::printf("wrote %s (%zu bytes) after %.0f s\n", options.out.c_str(), weights.size(),
                elapsed(start));
    return 0;
}

}  // namespace orvanta::train
