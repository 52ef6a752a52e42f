#pragma once

// The root driver of the mid-game search: iterative deepening with aspiration windows over the
// search of midgame.hpp, the exact solve near the end, the principal variation, and the helper
// threads of lazy SMP. `Search` (search.hpp) reaches it through the kernels' table.
//
// Templates only, over the kernels' `Rules`: see midgame.hpp.

#include <algorithm>
#include <atomic>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/midgame.hpp"
#include "engine/position.hpp"
#include "engine/search.hpp"

namespace orvanta::engine::detail {

// The line after `pv` continued with the table's moves while they are legal, up to `length`.
template <class Rules>
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
template <class Rules>
class LazyHelpers {
  public:
    LazyHelpers(int count, const Position& position, int lastDepth, TranspositionTable& table,
                const EvalWeights& weights, const SearchLimits& main) {
        threads_.reserve(static_cast<std::size_t>(count));
        const auto help = [this, position, lastDepth, &table, &weights, nodes = main.nodes,
                           probCut = main.probCut] {
            SearchLimits limits;
            limits.nodes = nodes;
            limits.probCut = probCut;
            limits.stop = [this] { return stop_.load(std::memory_order_relaxed); };
            Midgame<Rules> search(table, weights, limits);
            search.shareWork(work_);
            search.arm();
            const EvalState state = EvalState::of(position.player(), position.opponent());
            try {
                for (int depth = 0;;) {
                    depth = std::max(depth + 1, mainDepth_.load() + 1);
                    if (depth > lastDepth) {
                        break;
                    }
                    Line pv;
                    search.enterRoot();
                    search.pvs(position.player(), position.opponent(), state, depth, -kInfinity,
                               kInfinity, pv);
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

// Search::rootScores: each legal move's score after a search of depth - 1 plies of its child.
template <class Rules>
void rootScoresOf(const Position& position, int depth, TranspositionTable& table,
                  const EvalWeights& weights, std::vector<std::pair<int, int>>& scores,
                  std::uint64_t& nodes) {
    const SearchLimits limits;
    Midgame<Rules> search(table, weights, limits);
    const EvalState state = EvalState::of(position.player(), position.opponent());
    Line line;
    for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        const int square = firstSquare(moves);
        const Bitboard flipped = position.flipsOf(square);
        const Position child = position.after(square);
        const int score =
            -search.pvs(child.player(), child.opponent(), state.after(square, flipped),
                        std::max(depth, 1) - 1, -kInfinity, kInfinity, line);
        scores.emplace_back(square, score);
    }
    nodes = search.nodes();
}

// Search::run for a position where the mover has a move, on `threads` threads.
template <class Rules>
SearchResult searchRoot(const Position& position, const SearchLimits& limits,
                        TranspositionTable& table, const EvalWeights& weights, int threads) {
    SearchResult result;
    const int empties = position.empties();
    Midgame<Rules> search(table, weights, limits);
    const EvalState state = EvalState::of(position.player(), position.opponent());
    // Iterative deepening with aspiration windows around the last score; the first iteration
    // always finishes, so there is always a move. Close enough to the end, the solver takes
    // over as one last iteration of the whole remaining depth, after mid-game iterations to half
    // of it: they leave the solver good first moves in the table, and a sound move should the
    // budget run out before the end is solved.
    constexpr int kAspiration = 2 * kScoreScale;
    const bool exact = empties <= limits.exactEmpties;
    const int lastDepth = exact ? empties : std::clamp(limits.depth, 1, empties);
    const int warmUp = std::clamp(empties / 2, 2, std::max(2, limits.depth));
    std::optional<LazyHelpers<Rules>> helpers;
    std::uint64_t helperNodes = 0;
    if (const int helperDepth = std::min(exact ? warmUp : lastDepth, empties - 1);
        threads > 1 && helperDepth >= 2) {
        helpers.emplace(threads - 1, position, helperDepth, table, weights, limits);
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
                    search.solveRoot(position.player(), position.opponent(), threads);
                result = {solved.move, solved.score * kScoreScale,
                          empties,     true,
                          0,           extendedLine<Rules>(position, Line{}, table, empties)};
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
                score = search.pvs(position.player(), position.opponent(), state, depth, alpha,
                                   beta, pv);
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
            result.pv = extendedLine<Rules>(position, pv, table, depth);
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
            result.pv = extendedLine<Rules>(position, best->pv, table, underWay);
        }
    }
    if (helpers) {
        helperNodes = helpers->stop();
    }
    result.nodes = search.nodes() + helperNodes;
    return result;
}

}  // namespace orvanta::engine::detail
