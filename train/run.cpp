#include "train/run.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/eval.hpp"
#include "engine/threads.hpp"
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
    const std::int64_t fields[] = {round.games,        round.randomMin,
                                   round.randomMax,    round.depth,
                                   round.exactEmpties, static_cast<std::int64_t>(round.seed),
                                   round.searchShare,  blockGames,
                                   kGamesVersion,      round.searchDepths};
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
    std::vector<GameStats> stats(static_cast<std::size_t>(std::max(threads, 1)));
    engine::shareWork(threads, count, [&](int g, int worker) {
        games[static_cast<std::size_t>(g)] =
            playGame(work.round, first + g, weights, stats[static_cast<std::size_t>(worker)]);
    });
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

// A stage of measured positions (cut games): blocks of games in a folder of the work, each
// position searched at every depth (cuts.hpp).
struct PositionWork {
    CutRound round;
    int blockGames = 0;
    fs::path folder;
    std::uint64_t key = 0;

    int blocks() const { return (round.games + blockGames - 1) / blockGames; }
    fs::path blockPath(int block) const {
        char name[32];
        std::snprintf(name, sizeof name, "cuts-%05d", block);
        return folder / name;
    }
    std::optional<CutBlock> loadBlock(int block) const {
        const auto bytes = readFileBytes(blockPath(block));
        return bytes ? readCutBlockBytes(*bytes, key) : std::nullopt;
    }
};

std::uint64_t positionsKey(const CutRound& round, int blockGames,
                           const std::vector<unsigned char>& weights) {
    const std::int64_t fields[] = {
        round.games,     round.perGame,  round.randomMin,    round.randomMax,
        round.playDepth, round.maxDepth, round.exactEmpties, static_cast<std::int64_t>(round.seed),
        blockGames,      kGamesVersion};
    std::vector<unsigned char> bytes;
    for (const std::int64_t f : fields) {
        for (int i = 0; i < 8; ++i) {
            bytes.push_back(static_cast<unsigned char>(static_cast<std::uint64_t>(f) >> (8 * i)));
        }
    }
    return fingerprint(weights, fingerprint(bytes));
}

CutBlock playPositionBlock(const PositionWork& work, int block, const engine::EvalWeights& weights,
                           int threads) {
    const int first = block * work.blockGames;
    const int count = std::min(work.blockGames, work.round.games - first);
    CutBlock games(static_cast<std::size_t>(count));
    engine::shareWork(threads, count, [&](int g, int) {
        games[static_cast<std::size_t>(g)] = playCutGame(work.round, first + g, weights);
    });
    return games;
}

// The samples of a stage of measured positions, game after game, with the index of each one's
// game; or why there are none yet.
struct Positions {
    std::vector<CutSample> samples;
    std::vector<int> games;
};
enum class Pending { kWaiting, kFailed };

// Plays this process's missing blocks of the stage in `folder`, then loads them all: kWaiting
// while other shards' blocks are missing.
std::variant<Positions, Pending> positionStage(const TrainOptions& options, const char* folder,
                                               const char* what, const CutRound& round,
                                               const std::vector<unsigned char>& weightBytes,
                                               std::chrono::steady_clock::time_point start) {
    PositionWork work{round, options.cutBlockGames, fs::path(options.work) / folder, 0};
    work.round.games = std::max(1, static_cast<int>(std::lround(work.round.games * options.scale)));
    work.key = positionsKey(work.round, work.blockGames, weightBytes);
    std::error_code error;
    fs::create_directories(work.folder, error);
    std::printf("%s: %d games, %d positions each searched to %d plies, in %d block(s)\n", what,
                work.round.games, work.round.perGame, work.round.maxDepth, work.blocks());
    std::fflush(stdout);
    const engine::EvalWeights weights(weightBytes);
    int played = 0;
    for (int b = 0; b < work.blocks() && !options.fitOnly; ++b) {
        if (!mine(b, options) || work.loadBlock(b)) {
            continue;
        }
        const CutBlock block = playPositionBlock(work, b, weights, options.threads);
        if (!writeFileAtomically(work.blockPath(b), cutBlockBytes(work.key, block))) {
            std::fprintf(stderr, "orvanta_train: cannot write %s\n",
                         work.blockPath(b).string().c_str());
            return Pending::kFailed;
        }
        ++played;
    }
    if (played > 0) {
        std::printf("  played %d block(s), %.0f s\n", played, elapsed(start));
    }
    if (options.shard.count > 1 && played > 0) {
        std::printf("shard %d/%d of the %s done after %.0f s\n", options.shard.index + 1,
                    options.shard.count, what, elapsed(start));
    }
    Positions positions;
    int missing = 0;
    for (int b = 0; b < work.blocks(); ++b) {
        const auto block = work.loadBlock(b);
        if (!block) {
            ++missing;
            continue;
        }
        for (std::size_t g = 0; g < block->size(); ++g) {
            for (const CutSample& sample : (*block)[g]) {
                positions.samples.push_back(sample);
                positions.games.push_back(b * work.blockGames + static_cast<int>(g));
            }
        }
    }
    if (missing > 0) {
        std::printf("  %d of %d blocks still to play: waiting for their shards\n", missing,
                    work.blocks());
        return Pending::kWaiting;
    }
    return positions;
}

void printEvalErrors(const EvalErrors& errors) {
    std::printf("stage  black to move: n  mean   rms   white to move: n  mean   rms\n");
    for (int stage = 0; stage < engine::patterns::kStages; ++stage) {
        const auto& e = errors[static_cast<std::size_t>(stage)];
        std::printf("%5d  %17zu %+5.2f %5.2f  %17zu %+5.2f %5.2f\n", stage, e[0].positions,
                    e[0].mean, e[0].rms, e[1].positions, e[1].mean, e[1].rms);
    }
}

// The side-to-move term: each stage's weights for its parity cells (which every position of the
// stage reads) are moved by the evaluation's mean error against the measured positions' labels,
// so that the evaluation is as likely to err to the mover's gain as to its cost. Labels that
// come from games (their outcomes) err to the mover's cost: the mover has made one move more
// than its opponent when the outcome is known, as often as not, and every move of a game's
// players loses something.
std::vector<unsigned char> withTempo(const std::vector<unsigned char>& fitted,
                                     const std::vector<CutSample>& samples) {
    const EvalErrors errors = evalErrors(engine::EvalWeights(fitted), samples);
    std::printf("the evaluation against the measured positions, before its side-to-move term\n");
    printEvalErrors(errors);
    std::vector<std::int16_t> values = weightValues(fitted);
    std::printf("side-to-move term (discs):");
    for (int stage = 0; stage < engine::patterns::kStages; ++stage) {
        const auto& e = errors[static_cast<std::size_t>(stage)];
        const std::size_t n = e[0].positions + e[1].positions;
        const double mean = n == 0 ? 0
                                   : (e[0].mean * static_cast<double>(e[0].positions) +
                                      e[1].mean * static_cast<double>(e[1].positions)) /
                                         static_cast<double>(n);
        const int term = static_cast<int>(std::lround(-mean * engine::kScoreScale));
        std::printf(" %+.2f", term / 100.0);
        for (std::size_t parity = 0; parity < 2; ++parity) {
            const std::size_t at =
                static_cast<std::size_t>(stage) * engine::patterns::kWeightsPerStage +
                engine::patterns::kParityStart + parity;
            values[at] = static_cast<std::int16_t>(values[at] + term);
        }
    }
    std::printf("\n");
    auto adjusted = weightBytes(values);
    std::printf("the evaluation after it\n");
    printEvalErrors(evalErrors(engine::EvalWeights(adjusted), samples));
    return adjusted;
}

// One game in kCutValidationEvery is held out of the cut fit, to check it.
constexpr int kCutValidationEvery = 8;

// Measures positions with the final weights, fits the cut statistics on them and writes them.
// The exit status.
int cutStage(const TrainOptions& options, const std::vector<unsigned char>& weightBytes,
             std::chrono::steady_clock::time_point start) {
    const auto stage =
        positionStage(options, "cuts", "cut statistics", options.cuts, weightBytes, start);
    if (const auto* pending = std::get_if<Pending>(&stage)) {
        return *pending == Pending::kFailed ? 1 : 0;
    }
    if (options.shard.count > 1) {
        return 0;  // the fit is --fit's
    }
    const Positions& positions = std::get<Positions>(stage);
    std::vector<CutSample> fitted;
    std::vector<CutSample> heldOut;
    for (std::size_t i = 0; i < positions.samples.size(); ++i) {
        auto& into = positions.games[i] % kCutValidationEvery == 0 ? heldOut : fitted;
        into.push_back(positions.samples[i]);
    }
    const engine::CutTable table = fitCuts(fitted);
    const auto checks = checkCuts(table, heldOut);
    std::printf(
        "cut statistics fitted on %zu positions; held out %zu:\n"
        "stage  pairs  error/sigma  within one sigma\n",
        fitted.size(), heldOut.size());
    for (int s = 0; s < engine::patterns::kStages; ++s) {
        const CutCheck& c = checks[static_cast<std::size_t>(s)];
        std::printf("%5d %6zu  %11.2f  %15.0f%%\n", s, c.pairs, c.errorOverSigma,
                    100 * c.withinOneSigma);
    }
    std::printf(
        "the evaluation against the exact score (to %d empties) or the mean of the %d- and "
        "%d-ply searches (discs)\n",
        options.cuts.exactEmpties, options.cuts.maxDepth - 1, options.cuts.maxDepth);
    printEvalErrors(evalErrors(engine::EvalWeights(weightBytes), positions.samples));
    const std::string text = table.text();
    if (!writeFileAtomically(options.cutsOut,
                             {reinterpret_cast<const unsigned char*>(text.data()), text.size()})) {
        std::fprintf(stderr, "orvanta_train: cannot write %s\n", options.cutsOut.c_str());
        return 1;
    }
    std::printf("wrote %s after %.0f s\n", options.cutsOut.c_str(), elapsed(start));
    return 0;
}

}  // namespace

CutRound fullTempoRound() {
    return {.games = 600,
            .perGame = 3,
            .randomMin = 2,
            .randomMax = 16,
            .playDepth = 4,
            .maxDepth = 10,
            .exactEmpties = 20,
            .seed = 6};
}

CutRound fullCutRound() {
    return {.games = 4000,
            .perGame = 3,
            .randomMin = 2,
            .randomMax = 16,
            .playDepth = 4,
            .maxDepth = 12,
            .exactEmpties = 22,
            .seed = 5};
}

// The rounds of a full run. The first three teach the shape of the game from outcomes; the
// fourth plays deeper and labels its positions half with the score of the search that played
// them, which is far less noisy than the outcome of a game far from its end; the fifth deeper
// still, three quarters with its search's score (the mean of its last two iterations, which
// errs to neither side), and solves its games exactly from 22 empty squares on.
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
        {.games = 12000,
         .randomMin = 2,
         .randomMax = 20,
         .depth = 10,
         .exactEmpties = 22,
         .seed = 7,
         .searchShare = 75,
         .searchDepths = 2},
    };
}

int train(const TrainOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    std::error_code error;
    fs::create_directories(options.work, error);
    if (options.cutsOnly) {
        const auto weights = readFileBytes(options.out);
        if (!weights || weights->size() != engine::EvalWeights::kBytes) {
            std::fprintf(stderr, "orvanta_train: %s holds no weights\n", options.out.c_str());
            return 1;
        }
        return cutStage(options, *weights, start);
    }
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
    // Every round is fitted: the side-to-move term, then the cut statistics for the final weights.
    const auto tempo =
        positionStage(options, "tempo", "side-to-move term", options.tempo, weights, start);
    if (const auto* pending = std::get_if<Pending>(&tempo)) {
        return *pending == Pending::kFailed ? 1 : 0;
    }
    weights = withTempo(weights, std::get<Positions>(tempo).samples);
    if (options.shard.count > 1) {
        return cutStage(options, weights, start);  // a shard plays its games of the cuts
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
    std::fflush(stdout);
    return cutStage(options, weights, start);
}

}  // namespace orvanta::train
