#include "train/selfplay.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "engine/search.hpp"
#include "engine/solve.hpp"
#include "train/random.hpp"

namespace orvanta::train {

namespace {

// Weights of zeros: the solver's move order in games played before any weights are fitted. A
// game must not depend on the weights built into the program, or a run would not give again the
// weights it once gave after these are committed.
engine::EvalWeights zeroWeights() {
    static const std::vector<unsigned char> zeros(engine::EvalWeights::kBytes, 0);
    return engine::EvalWeights(zeros);
}

// Tables of a few MiB: a game's searches and solves fit, and clearing them is cheap.
constexpr std::size_t kSearchTable = std::size_t{8} << 20;
constexpr std::size_t kSolveTable = std::size_t{8} << 20;

}  // namespace

engine::CutTable trainingCuts() {
    using engine::CutTable;
    // Root mean square differences of the scores of depth d and of its shallow depth, in
    // hundredths of a disc, on 248 positions of 20 to 50 empties from engine games (2024);
    // searches trust a prediction 1.5 of them beyond the window (Selectivity::k15).
    constexpr std::array<int, 7> kErrors = {400, 370, 520, 440, 340, 300, 385};  // d = 4 .. 10
    CutTable table;
    for (int stage = 0; stage < engine::patterns::kStages; ++stage) {
        for (int d = 4; d <= CutTable::kMaxDepth; ++d) {
            table.set(stage, d,
                      {CutTable::shallowDepth(d), 10000, 0,
                       kErrors[static_cast<std::size_t>(std::min(d, 10) - 4)], 0});
        }
    }
    return table;
}

std::vector<Sample> playGame(const Round& round, int index,
                             const std::optional<engine::EvalWeights>& weights, GameStats& stats) {
    using namespace engine;
    Random random(round.seed * 0x100000001b3 + static_cast<std::uint64_t>(index));
    const int randomPlies = round.randomMin + random.below(round.randomMax - round.randomMin + 1);
    std::optional<Search> search;
    if (weights && round.depth > 0) {
        search.emplace(kSearchTable, *weights, trainingCuts());
    }
    TranspositionTable solveTable(kSolveTable);
    SolveBudget solveBudget;
    solveBudget.ordering = weights ? *weights : zeroWeights();

    // A position before the first solved one, with its search's score (in 1/kScoreScale discs
    // for its mover) when the engine played from it.
    struct Unsolved {
        Position position;
        std::optional<int> searchScore;
    };
    const auto label = [&round](const Unsolved& u, int outcome) {
        if (!u.searchScore || round.searchShare == 0) {
            return outcome;
        }
        return (round.searchShare * *u.searchScore + (100 - round.searchShare) * outcome) / 100;
    };
    std::vector<Sample> samples;
    std::vector<Unsolved> unsolved;
    Position position;
    for (int ply = 0; !position.isOver(); ++ply) {
        if (position.mustPass()) {
            position.pass();
            continue;
        }
        int move = kPass;
        if (position.empties() <= round.exactEmpties) {
            const SolveResult solved =
                solve(position, kMinScore, kMaxScore, solveTable, solveBudget);
            stats.solveNodes += solved.nodes;
            const int target = solved.score * kScoreScale;
            samples.push_back({position.player(), position.opponent(), target});
            for (const Unsolved& u : unsolved) {  // the outcome, for each mover
                const Position& p = u.position;
                samples.push_back({p.player(), p.opponent(),
                                   label(u, p.mover() == position.mover() ? target : -target)});
            }
            unsolved.clear();
            move = solved.move;
            // Solved positions stay varied: now and then a move other than the best.
            if (random.below(4) == 0) {
                move = randomMove(position.moves(), random);
            }
        } else {
            unsolved.push_back({position, std::nullopt});
            if (ply < randomPlies || !search) {
                move = randomMove(position.moves(), random);
            } else {
                SearchLimits limits;
                limits.depth = round.depth;
                int previous = 0;  // the score of the iteration before the last
                int last = 0;
                limits.onIteration = [&](const SearchResult& r) {
                    previous = std::exchange(last, r.score);
                };
                const SearchResult r = search->run(position, limits);
                stats.searchNodes += r.nodes;
                move = r.move;
                unsolved.back().searchScore = round.searchDepths == 2 && r.depth >= 2 && !r.exact
                                                  ? (previous + last) / 2
                                                  : r.score;
            }
        }
        position.play(move);
    }
    // A game over before the solved part (a wipe-out): its result labels what came before.
    for (const Unsolved& u : unsolved) {
        const Position& p = u.position;
        const int target = position.finalScore() * kScoreScale;
        samples.push_back(
            {p.player(), p.opponent(), label(u, p.mover() == position.mover() ? target : -target)});
    }
    return samples;
}

}  // namespace orvanta::train
