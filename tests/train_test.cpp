// The evaluation's trainer: its fit, a small trial run whose weights the engine plays with, and
// the keeping of its work: checkpoints, restarts and shards.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <vector>

#include "engine/search.hpp"
#include "tests/support/fake_host.hpp"
#include "train/arguments.hpp"
#include "train/checkpoint.hpp"
#include "train/cuts.hpp"
#include "train/fit.hpp"
#include "train/run.hpp"
#include "train/selfplay.hpp"

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

// The positions of a few games, searched to a few plies, for the cut statistics.
train::CutRound tinyCuts() {
    return {.games = 4,
            .perGame = 2,
            .randomMin = 2,
            .randomMax = 8,
            .playDepth = 2,
            .maxDepth = 5,
            .exactEmpties = 10,
            .seed = 9};
}

TEST(Trainer, ASmallTrialWritesWeightsTheEngineSearchesWith) {
    const testing::Scratch weights("weights.bin");
    const testing::Scratch cuts("cuts.txt");
    const testing::Scratch work("work");
    const std::string& path = weights.path;
    ASSERT_EQ(train::train({.out = path,
                            .tempo = tinyCuts(),
                            .cuts = tinyCuts(),
                            .cutsOut = cuts.path,
                            .work = work.path,
                            .threads = 2,
                            .scale = 0.0002}),
              0);
    EXPECT_TRUE(engine::CutTable::parse(testing::readFile(cuts.path)).has_value());
    const std::string file = testing::readFile(path);
    ASSERT_EQ(file.size(), engine::EvalWeights::kBytes);
    const std::vector<unsigned char> bytes(file.begin(), file.end());
    engine::Search search(1 << 20, engine::EvalWeights(bytes), engine::CutTable());
    const engine::Position start;
    const engine::SearchResult result = search.run(start, {.depth = 4});
    EXPECT_NE(start.moves() & engine::bit(result.move), 0u);
}

// Rounds small enough for a test, the last with labels mixed from searches.
std::vector<train::Round> tinyRounds() {
    return {
        {.games = 6, .randomMin = 60, .randomMax = 60, .depth = 0, .exactEmpties = 10, .seed = 1},
        {.games = 5, .randomMin = 2, .randomMax = 10, .depth = 2, .exactEmpties = 10, .seed = 2},
        {.games = 5,
         .randomMin = 2,
         .randomMax = 10,
         .depth = 3,
         .exactEmpties = 10,
         .seed = 3,
         .searchShare = 50},
    };
}

// The work of a run may be split over shards, each playing its blocks of one round (then of the
// cut statistics), with a fit between rounds; and a run that stops loses nothing. Either way the
// weights and the cut statistics are those of one run in one go, byte for byte.
TEST(Trainer, ShardsAndRestartsGiveTheWeightsOfOneRun) {
    const train::TrainOptions base{.rounds = tinyRounds(),
                                   .tempo = tinyCuts(),
                                   .cuts = tinyCuts(),
                                   .cutBlockGames = 3,
                                   .threads = 1,
                                   .blockGames = 2};

    const testing::Scratch wholeFolder("whole");
    const std::string& whole = wholeFolder.path;
    std::filesystem::create_directories(whole);
    train::TrainOptions once = base;
    once.work = whole + "/work";
    once.out = whole + "/weights";
    once.cutsOut = whole + "/cuts";
    ASSERT_EQ(train::train(once), 0);
    const std::string expected = testing::readFile(once.out);
    ASSERT_EQ(expected.size(), engine::EvalWeights::kBytes);
    const std::string expectedCuts = testing::readFile(once.cutsOut);
    ASSERT_TRUE(engine::CutTable::parse(expectedCuts).has_value());

    // Two shards, then the fit, round after round, as on a cluster with a shared folder.
    const testing::Scratch splitFolder("shards");
    const std::string& split = splitFolder.path;
    std::filesystem::create_directories(split);
    train::TrainOptions shard = base;
    shard.work = split + "/work";
    shard.out = split + "/weights";
    shard.cutsOut = split + "/cuts";
    // The rounds, then the games of the side-to-move term, then those of the cut statistics.
    for (std::size_t round = 0; round <= base.rounds.size() + 1; ++round) {
        for (const int index : {1, 0}) {
            shard.shard = {index, 2};
            ASSERT_EQ(train::train(shard), 0);
        }
        train::TrainOptions fitting = shard;
        fitting.shard = {};
        fitting.fitOnly = true;
        ASSERT_EQ(train::train(fitting), 0);
        EXPECT_EQ(std::filesystem::exists(shard.out), round >= base.rounds.size()) << round;
        EXPECT_EQ(std::filesystem::exists(shard.cutsOut), round == base.rounds.size() + 1) << round;
    }
    EXPECT_TRUE(testing::readFile(shard.out) == expected);  // no dump of 4 MB on failure
    EXPECT_EQ(testing::readFile(shard.cutsOut), expectedCuts);

    // A lost block, a damaged one and a lost fit are made again; the rest is taken as it is.
    std::filesystem::remove(once.work + "/round-2/block-00001");
    {
        std::ofstream damaged(once.work + "/round-3/block-00000", std::ios::app);
        damaged << 'x';
    }
    std::filesystem::remove(once.work + "/round-3/weights");
    std::filesystem::remove(once.work + "/cuts/cuts-00001");
    std::filesystem::remove(once.work + "/tempo/cuts-00000");
    std::filesystem::remove(once.out);
    std::filesystem::remove(once.cutsOut);
    ASSERT_EQ(train::train(once), 0);
    EXPECT_TRUE(testing::readFile(once.out) == expected);
    EXPECT_EQ(testing::readFile(once.cutsOut), expectedCuts);
}

// The fingerprint of the samples of a round's first games, played with `weights`.
std::uint64_t gamesFingerprint(const train::Round& round,
                               const std::optional<engine::EvalWeights>& weights) {
    std::vector<unsigned char> bytes;
    train::GameStats stats;
    for (int game = 0; game < 4; ++game) {
        for (const train::Sample& s : train::playGame(round, game, weights, stats)) {
            const std::uint64_t words[] = {s.player, s.opponent,
                                           static_cast<std::uint64_t>(s.target)};
            for (const std::uint64_t w : words) {
                for (int i = 0; i < 8; ++i) {
                    bytes.push_back(static_cast<unsigned char>(w >> (8 * i)));
                }
            }
        }
    }
    return train::fingerprint(bytes);
}

// A round's games depend on its settings and on the weights they are played with, never on the
// weights built into the program: otherwise a run would stop giving the weights it gave as
// soon as they are committed. The fingerprints were taken when the games last changed on
// purpose, and then checked with other weights built in; games that change must also change
// the version in the rounds' fingerprints (train/run.cpp), so that old blocks are not mixed in.
TEST(Trainer, GamesDoNotDependOnTheBuiltInWeights) {
    std::mt19937 random(11);
    std::vector<unsigned char> bytes(engine::EvalWeights::kBytes);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {  // small weights, -128 to 127
        const int weight = static_cast<int>(random() % 256) - 128;
        bytes[i] = static_cast<unsigned char>(weight & 0xff);
        bytes[i + 1] = static_cast<unsigned char>(weight < 0 ? 0xff : 0);
    }
    const engine::EvalWeights played(bytes);
    const train::Round randomGames{
        .games = 4, .randomMin = 60, .randomMax = 60, .depth = 0, .exactEmpties = 14, .seed = 5};
    const train::Round searched{
        .games = 4, .randomMin = 2, .randomMax = 8, .depth = 3, .exactEmpties = 14, .seed = 6};
    EXPECT_EQ(gamesFingerprint(randomGames, std::nullopt), 11477850502801519333u);
    EXPECT_EQ(gamesFingerprint(searched, played), 772824169313072891u);
}

// Block files are read back only when whole and made for the same round.
TEST(Checkpoint, BlocksReadBackOnlyWhenWholeAndOfTheSameRound) {
    const train::BlockGames games = {
        {{0x1, 0x2, 300}, {0x4, 0x8, -6400}},
        {},
        {{0x8000000000000000, 0x1, 12}},
    };
    const std::vector<unsigned char> good = train::blockBytes(42, games);
    const auto back = train::readBlockBytes(good, 42);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->size(), games.size());
    EXPECT_EQ((*back)[0][1].target, -6400);
    EXPECT_EQ((*back)[2][0].player, 0x8000000000000000u);

    const auto changed = [&good](std::size_t at, unsigned char value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    auto longer = good;
    longer.push_back(0);
    const std::vector<unsigned char> shorter(good.begin(), good.end() - 1);
    // Offsets: magic 0-7, key 8-15, games 16-19, the first game's count 20-23, its first
    // sample's player 24-31 and opponent 32-39.
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        std::uint64_t key;
    } bad[] = {
        {"another round's key", good, 43},
        {"a byte more", longer, 42},
        {"a byte less", shorter, 42},
        {"no bytes", {}, 42},
        {"a wrong magic", changed(0, 'X'), 42},
        {"more games than bytes", changed(19, 0x7f), 42},
        {"a game longer than any", changed(21, 0x10), 42},
        {"a square of both colours", changed(32, 0x1), 42},
    };
    for (const auto& c : bad) {
        EXPECT_FALSE(train::readBlockBytes(c.bytes, c.key).has_value()) << c.what;
    }

    const std::vector<unsigned char> weights = {1, 2, 3, 4};
    const auto saved = train::weightsCheckpointBytes(7, weights);
    EXPECT_EQ(train::readWeightsCheckpointBytes(saved, 7), weights);
    EXPECT_FALSE(train::readWeightsCheckpointBytes(saved, 8).has_value());
    auto flipped = saved;
    flipped.back() ^= 1;
    EXPECT_FALSE(train::readWeightsCheckpointBytes(flipped, 7).has_value());
}

// The fit finds the line and the error of each depth's pairs: here, from depth 5 on, a deep score
// twice the shallow one plus half a disc, missed either way by 1 + d / 4 discs; a stage without
// pairs borrows the nearest stage's models, and deeper depths go on growing the error.
TEST(Cuts, FitFindsEachDepthsLineAndError) {
    std::vector<train::CutSample> samples;
    // 30 empties: d3 c3 d6 f4 ... any position with 30 empty squares will do.
    const engine::Bitboard player = 0x00000000ffffffffULL & ~0x3ULL;
    const engine::Bitboard opponent = 0x0000000300000003ULL;
    ASSERT_EQ(engine::popcount(~(player | opponent)), 30);
    for (int i = 0; i < 200; ++i) {
        const int x = (i / 2) * 37 % 3000 - 1500;
        const int sign = i % 2 == 0 ? 1 : -1;
        train::CutSample s{player, opponent, {}, std::nullopt};
        for (int d = 1; d <= 8; ++d) {
            s.scores.push_back(
                static_cast<std::int16_t>(d <= 4 ? x : 2 * x + 50 + sign * (100 + 25 * d)));
        }
        samples.push_back(s);
    }
    const engine::CutTable table = train::fitCuts(samples);
    for (const int empties : {30, 50, 14}) {  // its own stage, and two that borrow
        const engine::CutModel& close = table.model(empties, 3);
        EXPECT_EQ(close.slope, 10000) << empties;
        EXPECT_EQ(close.intercept, 0) << empties;
        EXPECT_EQ(close.sigma, 1) << empties;
        for (const int depth : {5, 6, 7, 8}) {
            const engine::CutModel& m = table.model(empties, depth);
            EXPECT_EQ(m.shallow, engine::CutTable::shallowDepth(depth));
            EXPECT_EQ(m.slope, 20000) << depth;
            EXPECT_EQ(m.intercept, 50) << depth;
            EXPECT_NEAR(m.sigma, 100 + 25 * depth, 3) << depth;
            EXPECT_EQ(m.pairs, empties == 30 ? 200 : 0) << depth;
        }
    }
    EXPECT_NEAR(table.model(30, 12).sigma, 100 + 25 * 12, 5);
    EXPECT_EQ(table.model(30, 12).shallow, 6);
    EXPECT_EQ(table.model(30, 30).sigma, 0) << "the solver's depth";
    EXPECT_EQ(engine::CutTable::parse(table.text())->text(), table.text());
}

// The endgame's models fit the exact results of solved positions on their shallow searches (here
// three discs more than the search, missed by two either way), and lend themselves to a few
// more empties.
TEST(Cuts, FitFindsTheEndgamesLine) {
    const engine::Bitboard player = 0x0000ffffffffffffULL & ~0xfffULL;  // 12 empties
    const engine::Bitboard opponent = 0xffff000000000000ULL;
    ASSERT_EQ(engine::popcount(~(player | opponent)), 12);
    std::vector<train::CutSample> samples;
    for (int i = 0; i < 100; ++i) {
        const int x = ((i / 2) % 30 - 15) * 100;
        train::CutSample s{player, opponent,
                           std::vector<std::int16_t>(11, static_cast<std::int16_t>(x)),
                           static_cast<std::int8_t>(x / 100 + 3 + (i % 2 == 0 ? 2 : -2))};
        samples.push_back(s);
    }
    const engine::CutTable table = train::fitCuts(samples);
    const engine::CutModel& m = table.endgame(12);
    EXPECT_EQ(m.shallow, 6);
    EXPECT_EQ(m.slope, 10000);
    EXPECT_EQ(m.intercept, 300);
    EXPECT_NEAR(m.sigma, 200, 3);
    EXPECT_EQ(m.pairs, 100);
    EXPECT_EQ(table.endgame(15).sigma, m.sigma);
    EXPECT_EQ(table.endgame(15).shallow, 7);
    EXPECT_EQ(table.endgame(15).pairs, 0);
    EXPECT_EQ(table.endgame(19).sigma, 0) << "too far from anything solved";
    EXPECT_EQ(engine::CutTable::parse(table.text())->text(), table.text());
}

// The built-in statistics predict the deep scores of positions they were not fitted on (another
// seed) about as well as they claim: errors of about one sigma, two thirds within it.
TEST(Cuts, TheBuiltInStatisticsHoldOnOtherPositions) {
    train::CutRound round = train::fullCutRound();
    round.seed = 77;
    round.maxDepth = 8;
    std::vector<train::CutSample> samples;
    for (int game = 0; game < 16; ++game) {
        const auto more = train::playCutGame(round, game, engine::builtinWeights());
        samples.insert(samples.end(), more.begin(), more.end());
    }
    std::size_t pairs = 0;
    double squares = 0;
    double within = 0;
    for (const train::CutCheck& c : train::checkCuts(engine::builtinCuts(), samples)) {
        pairs += c.pairs;
        squares += c.errorOverSigma * c.errorOverSigma * static_cast<double>(c.pairs);
        within += c.withinOneSigma * static_cast<double>(c.pairs);
    }
    ASSERT_GT(pairs, 150u);
    const double errorOverSigma = std::sqrt(squares / static_cast<double>(pairs));
    EXPECT_GT(errorOverSigma, 0.6);
    EXPECT_LT(errorOverSigma, 1.4);
    EXPECT_GT(within / static_cast<double>(pairs), 0.55);
    EXPECT_LT(within / static_cast<double>(pairs), 0.9);
}

// Cut blocks are read back only whole and of the same run.
TEST(Cuts, BlocksReadBackOnlyWhenWholeAndOfTheSameRun) {
    const train::CutBlock block = {
        {{0x1, 0x2, {100, -250, 300}, std::int8_t{-12}}, {0x4, 0x8, {}, std::nullopt}},
        {},
    };
    const auto good = train::cutBlockBytes(5, block);
    const auto back = train::readCutBlockBytes(good, 5);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ((*back)[0][0].scores, block[0][0].scores);
    EXPECT_EQ((*back)[0][0].exact, std::optional<std::int8_t>(-12));
    EXPECT_FALSE((*back)[0][1].exact.has_value());
    EXPECT_FALSE(train::readCutBlockBytes(good, 6).has_value());
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        const std::vector<unsigned char> shorter(good.begin(),
                                                 good.begin() + static_cast<std::ptrdiff_t>(cut));
        ASSERT_FALSE(train::readCutBlockBytes(shorter, 5).has_value()) << cut;
    }
}

TEST(TrainArguments, ShardsAndNumbersAreCheckedWhole) {
    const struct {
        std::vector<const char*> args;
        bool good;
        int index;
        int count;
    } cases[] = {
        {{"--shard", "1/2"}, true, 0, 2},
        {{"--shard=4/4"}, true, 3, 4},
        {{"--shard=5/4"}, false, 0, 0},
        {{"--shard=0/4"}, false, 0, 0},
        {{"--shard=-1/4"}, false, 0, 0},
        {{"--shard=1/0"}, false, 0, 0},
        {{"--shard=1"}, false, 0, 0},
        {{"--shard=1/2x"}, false, 0, 0},
        {{"--shard=1/2", "--fit"}, false, 0, 0},
        {{"--fit"}, true, 0, 1},
        {{"--shard=+1/2"}, false, 0, 0},
        {{"--shard=1/1000001"}, false, 0, 0},
        {{"--threads=0"}, false, 0, 0},
        {{"--threads=+2"}, false, 0, 0},
        {{"--threads=-0"}, false, 0, 0},
        {{"--threads= 2"}, false, 0, 0},
        {{"--threads", "2"}, true, 0, 1},
        {{"--scale=0"}, false, 0, 0},
        {{"--scale=nan"}, false, 0, 0},
        {{"--scale=0.5"}, true, 0, 1},
        {{"--block-games=99999999999"}, false, 0, 0},
        {{"--out"}, false, 0, 0},
        {{"--work="}, false, 0, 0},
        {{"--level=3"}, false, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv = {"orvanta_train"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto options = train::parseTrainArguments(static_cast<int>(argv.size()), argv.data());
        ASSERT_EQ(options.has_value(), c.good) << c.args[0];
        if (options) {
            EXPECT_EQ(options->shard.index, c.index) << c.args[0];
            EXPECT_EQ(options->shard.count, c.count) << c.args[0];
        }
    }
}

}  // namespace
}  // namespace orvanta
