#include "train/selfplay.hpp"

#include <optional>
#include <vector>

#include "engine/search.hpp"
#include "engine/solve.hpp"

namespace orvanta::train {

namespace {

// A small generator of its own (splitmix64), so that the games are the same with any
// standard library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    // 0 <= result < n.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

  private:
    std::uint64_t state_;
};

int randomMove(engine::Bitboard moves, Random& random) {
    for (int skip = random.below(engine::popcount(moves)); skip > 0; --skip) {
        moves &= moves - 1;
    }
    return engine::firstSquare(moves);
}

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

std::vector<Sample> playGame(const Round& round, int index,
                             const std::optional<engine::EvalWeights>& weights, GameStats& stats) {
    using namespace engine;
    Random random(round.seed * 0x100000001b3 + static_cast<std::uint64_t>(index));
    const int randomPlies = round.randomMin + random.below(round.randomMax - round.randomMin + 1);
    std::optional<Search> search;
    if (weights && round.depth > 0) {
        search.emplace(kSearchTable, *weights);
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
                const SearchResult r = search->run(position, limits);
                stats.searchNodes += r.nodes;
                move = r.move;
                unsolved.back().searchScore = r.score;
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
