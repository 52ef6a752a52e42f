#include "engine/search.hpp"

#include <algorithm>
#include <atomic>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "engine/midgame.hpp"

// The root driver: iterative deepening with aspiration windows over the mid-game search, the
// exact solve near the end, and the principal variation.
namespace orvanta::engine {

namespace {

using detail::Line;
using detail::Midgame;
using detail::Stopped;

// The line after `pv` continued with the table's moves while they are legal, up to `length`.
std::vector<int> extendedLine(const Position& position, const Line& pv,
                              const TranspositionTable& table, int length) {
    std::vector<int> line;
    Position p = position;
    for (int i = 0; i < length && !p.isOver(); ++i) {
        int move = kPass;
        if (i < pv.size) {
            move = pv.moves[static_cast<std::size_t>(i)];
        } else if (p.mustPass()) {
            move = kPass;
        } else if (const auto known = table.probe(p.player(), p.opponent());
                   known && known->move != kPass && (p.moves() & bit(known->move)) != 0) {
            move = known->move;
        } else {
            break;
        }
        if (move == kPass ? !p.mustPass() : (p.moves() & bit(move)) == 0) {
            break;
        }
        line.push_back(move);
        p = p.after(move);
    }
    return line;
}

// The helper threads of a mid-game search (lazy SMP). Each runs its own iterative deepening of
// the same position on the shared table, a ply ahead of the main search's iteration, up to
// `lastDepth`, until told to stop or the shared node budget is spent; what they find reaches
// the main search only through the table.
class LazyHelpers {
  public:
    LazyHelpers(int count, const Position& position, int lastDepth, TranspositionTable& table,
                const EvalWeights& weights, Isa isa, const SearchLimits& main) {
        threads_.reserve(static_cast<std::size_t>(count));
        const auto help = [this, position, lastDepth, &table, &weights, isa, nodes = main.nodes,
                           probCut = main.probCut] {
            SearchLimits limits;
            limits.nodes = nodes;
            limits.probCut = probCut;
            limits.stop = [this] { return stop_.load(std::memory_order_relaxed); };
            Midgame search(table, weights, isa, limits);
            search.shareWork(work_);
            search.arm();
            try {
                for (int depth = 0;;) {
                    depth = std::max(depth + 1, mainDepth_.load() + 1);
                    if (depth > lastDepth) {
                        break;
                    }
                    Line pv;
                    search.enterRoot();
                    search.pvs(position.player(), position.opponent(), depth, -kInfinity, kInfinity,
                               pv);
                }
            } catch (const Stopped&) {
                // told to stop
            }
            search.reportWork();
            nodes_ += search.nodes();
        };
        for (int i = 0; i < count; ++i) {
            try {
                threads_.emplace_back(help);
            } catch (const std::system_error&) {
                break;  // no more threads to be had: the search goes on with those started
            }
        }
    }
    LazyHelpers(const LazyHelpers&) = delete;
    LazyHelpers& operator=(const LazyHelpers&) = delete;
    ~LazyHelpers() { stop(); }

    // The main search begins an iteration of `depth` plies.
    void mainDepth(int depth) { mainDepth_.store(depth); }
    // What all threads have done so far, for the budget.
    std::atomic<std::uint64_t>& work() { return work_; }
    // Stops the helpers and waits for them; the nodes they searched.
    std::uint64_t stop() {
        stop_ = true;
        threads_.clear();
        return nodes_.load();
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int> mainDepth_{1};
    std::atomic<std::uint64_t> work_{0};
    std::atomic<std::uint64_t> nodes_{0};
    std::vector<std::jthread> threads_;  // last: joined before the rest goes
};

}  // namespace

int evaluate(const Position& position) {
    return evaluate(position.player(), position.opponent(), builtinWeights());
}

std::vector<std::pair<int, int>> Search::rootScores(const Position& position, int depth) {
    table_.newSearch();
    std::vector<std::pair<int, int>> scores;
    const SearchLimits limits;
    Midgame search(table_, weights_, isa_, limits);
    Line line;
    for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        const Position child = position.after(firstSquare(moves));
        const int score = -search.pvs(child.player(), child.opponent(), std::max(depth, 1) - 1,
                                      -kInfinity, kInfinity, line);
        scores.emplace_back(firstSquare(moves), score);
    }
    lastNodes_ = search.nodes();
    std::stable_sort(scores.begin(), scores.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return scores;
}

SearchResult Search::run(const Position& position, const SearchLimits& limits) {
    table_.newSearch();
    SearchResult result;
    if (position.moves() == 0) {
        result.exact = position.isOver();
        result.score = position.isOver() ? position.finalScore() * kScoreScale : 0;
        if (position.mustPass()) {
            result.pv = {kPass};
        }
        lastNodes_ = 0;
        return result;
    }
    const int empties = position.empties();
    Midgame search(table_, weights_, isa_, limits);
    // Iterative deepening with aspiration windows around the last score; the first iteration
    // always finishes, so there is always a move. Close enough to the end, the solver takes
    // over as one last iteration of the whole remaining depth, after mid-game iterations to half
    // of it: they leave the solver good first moves in the table, and a sound move should the
    // budget run out before the end is solved.
    constexpr int kAspiration = 2 * kScoreScale;
    const bool exact = empties <= limits.exactEmpties;
    const int lastDepth = exact ? empties : std::clamp(limits.depth, 1, empties);
    const int warmUp = std::clamp(empties / 2, 2, std::max(2, limits.depth));
    std::optional<LazyHelpers> helpers;
    std::uint64_t helperNodes = 0;
    if (const int helperDepth = std::min(exact ? warmUp : lastDepth, empties - 1);
        threads_ > 1 && helperDepth >= 2) {
        helpers.emplace(threads_ - 1, position, helperDepth, table_, weights_, isa_, limits);
        search.shareWork(helpers->work());
    }
    int underWay = 0;  // the depth of the mid-game iteration under way
    try {
        for (int depth = 1; depth <= lastDepth; ++depth) {
            if (exact && depth > warmUp) {
                depth = empties;
            }
            if (depth >= empties) {
                search.beginIteration();
                // The solver has threads of its own.
                if (helpers) {
                    helperNodes = helpers->stop();
                }
                const SolveResult solved =
                    search.solveRoot(position.player(), position.opponent(), threads_);
                result = {solved.move, solved.score * kScoreScale,
                          empties,     true,
                          0,           extendedLine(position, Line{}, table_, empties)};
                if (result.pv.empty() || result.pv.front() != result.move) {
                    result.pv = {result.move};
                }
                break;
            }
            int window = kAspiration;
            int alpha = depth <= 2 ? -kInfinity : std::max(result.score - window, -kInfinity);
            int beta = depth <= 2 ? kInfinity : std::min(result.score + window, kInfinity);
            if (helpers) {
                helpers->mainDepth(depth);
            }
            Line pv;
            int score = 0;
            search.beginIteration();
            underWay = depth;
            for (;;) {
                search.enterRoot();
                score = search.pvs(position.player(), position.opponent(), depth, alpha, beta, pv);
                if (score <= alpha && alpha > -kInfinity) {
                    window *= 2;
                    alpha = std::max(score - window, -kInfinity);
                } else if (score >= beta && beta < kInfinity) {
                    window *= 2;
                    beta = std::min(score + window, kInfinity);
                } else {
                    break;
                }
            }
            result.move = pv.size > 0 ? pv.moves[0] : firstSquare(position.moves());
            result.score = score;
            result.depth = depth;
            result.pv = extendedLine(position, pv, table_, depth);
            if (result.pv.empty()) {
                result.pv = {result.move};
            }
            search.arm();
            if (limits.softStop && limits.softStop()) {
                break;
            }
        }
    } catch (const Stopped&) {
        // The last finished iteration stands, unless the clock stopped one whose root had
        // already proved a move: searched deeper, that move is the better choice. The node
        // budget keeps the finished iteration, as the levels were measured with.
        if (const auto& best = search.rootBest(); best && search.stoppedByClock()) {
            result.move = best->move;
            result.score = best->score;
            result.pv = extendedLine(position, best->pv, table_, underWay);
        }
    }
    if (helpers) {
        helperNodes = helpers->stop();
    }
    result.nodes = lastNodes_ = search.nodes() + helperNodes;
    return result;
}

}  // namespace orvanta::engine
