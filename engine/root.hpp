#pragma once

// The root driver of the mid-game search: iterative deepening with aspiration windows over the
// search of midgame.hpp, the exact solve near the end, the principal variation, and the helper
// threads that share its moves. `Search` (search.hpp) reaches it through the kernels' table.
//
// Templates only, over the kernels' `Rules`: see midgame.hpp.

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>
#include <vector>

#include "engine/midgame.hpp"
#include "engine/position.hpp"
#include "engine/search.hpp"
#include "engine/threads.hpp"

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

// Search::rootScores: each legal move's score after a search of depth - 1 plies of its child.
template <class Rules>
void rootScoresOf(const Position& position, int depth, Selectivity selectivity,
                  TranspositionTable& table, const EvalWeights& weights, const CutTable& cuts,
                  std::vector<std::pair<int, int>>& scores, std::uint64_t& nodes) {
    SearchLimits limits;
    limits.selectivity = selectivity;
    Midgame<Rules> search(table, weights, cuts, limits);
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

// The helpers of a mid-game search on a pool's workers, sharing its moves (Young Brothers Wait)
// until they are stopped or this goes.
template <class Rules>
class MidgameHelpers {
  public:
    using Shared = typename Midgame<Rules>::Shared;

    MidgameHelpers(ThreadPool& pool, int count, Shared& shared, TranspositionTable& table,
                   const EvalWeights& weights, const CutTable& cuts, const SearchLimits& main)
        : limits_(helperLimits(main)),
          helpers_(std::in_place, pool, shared.crew, count,
                   [this, &shared, &table, &weights, &cuts] {
                       Midgame<Rules> helper(table, weights, cuts, limits_, &shared);
                       helper.serve();
                   }) {}

    // Waits for the helpers to leave (before the solver's threads take the pool).
    void stop() { helpers_.reset(); }

  private:
    // The helpers' limits: the main search's pruning, no budget or clock of their own (only the
    // main search watches them).
    static SearchLimits helperLimits(const SearchLimits& main) {
        SearchLimits limits;
        limits.selectivity = main.selectivity;
        return limits;
    }

    const SearchLimits limits_;
    std::optional<CrewHelpers<typename Midgame<Rules>::SplitPointType>> helpers_;
};

// The root of one mid-game search, and the only way into it, so that the order cannot be
// wrong: each iteration forgets the move the last one proved, the table never cuts the root
// short (it must name a move), and the node budget applies once the first iteration is done.
template <class Rules>
class Root {
  public:
    Root(Midgame<Rules>& search, const Position& position)
        : search_(search),
          position_(position),
          state_(EvalState::of(position.player(), position.opponent())) {}

    struct Iteration {
        int score;
        Line pv;
    };
    // One iteration of `depth` plies with aspiration windows around `guess` (a full window up
    // to two plies), widened until one holds the score. `selectiveEnd`: a selective search to
    // the end of the game (Midgame::kSelectiveEndgameFloor).
    Iteration iterate(int depth, int guess, bool selectiveEnd = false) {
        constexpr int kAspiration = 2 * kScoreScale;
        int window = kAspiration;
        int alpha = depth <= 2 ? -kInfinity : std::max(guess - window, -kInfinity);
        int beta = depth <= 2 ? kInfinity : std::min(guess + window, kInfinity);
        search_.rootBest_.reset();
        search_.selectiveEnd_ = selectiveEnd;
        Iteration result{0, {}};
        for (;;) {
            search_.atRoot_ = true;
            result.score = search_.pvs(position_.player(), position_.opponent(), state_, depth,
                                       alpha, beta, result.pv);
            if (result.score <= alpha && alpha > -kInfinity) {
                window *= 2;
                alpha = std::max(result.score - window, -kInfinity);
            } else if (result.score >= beta && beta < kInfinity) {
                window *= 2;
                beta = std::min(result.score + window, kInfinity);
            } else {
                break;
            }
        }
        search_.selectiveEnd_ = false;
        search_.arm();
        return result;
    }

    // The whole game to its end, with its best move, in whole discs, on `threads` threads of
    // `pool` (none: threads of its own).
    SolveResult solve(int threads, ThreadPool* pool) {
        search_.rootBest_.reset();
        const int score = search_.solveWithin(position_.player(), position_.opponent(), -kInfinity,
                                              kInfinity, threads, pool);
        return {score / kScoreScale, search_.lastSolvedMove_, 0};
    }

    // After a search given up: the best move that the iteration under way had proved, when the
    // clock (rather than the node budget) stopped it.
    std::optional<typename Midgame<Rules>::RootBest> stoppedBest() const {
        if (!search_.stoppedByClock_) {
            return std::nullopt;
        }
        return search_.rootBest_;
    }

  private:
    Midgame<Rules>& search_;
    const Position& position_;
    const EvalState state_;
};

// Search::run for a position where the mover has a move, on `threads` threads of `pool` (the
// calling thread and threads - 1 of its workers).
template <class Rules>
SearchResult searchRoot(const Position& position, const SearchLimits& limits,
                        TranspositionTable& table, const EvalWeights& weights, const CutTable& cuts,
                        int threads, ThreadPool* pool) {
    SearchResult result;
    const int empties = position.empties();
    const int helperCount = pool == nullptr ? 0 : std::min(threads - 1, pool->workers());
    std::optional<typename Midgame<Rules>::Shared> shared;
    if (helperCount > 0) {
        shared.emplace(limits.nodes);
    }
    Midgame<Rules> search(table, weights, cuts, limits, shared ? &*shared : nullptr);
    Root<Rules> root(search, position);
    // Iterative deepening with aspiration windows around the last score; the first iteration
    // always finishes, so there is always a move. Close enough to the end, the solver takes
    // over as one last iteration of the whole remaining depth, after mid-game iterations to half
    // of it: they leave the solver good first moves in the table, and a sound move should the
    // budget run out before the end is solved.
    const bool exact = empties <= limits.exactEmpties;
    const int lastDepth = exact ? empties : std::clamp(limits.depth, 1, empties);
    const int warmUp = std::clamp(empties / 2, 2, std::max(2, limits.depth));
    std::optional<MidgameHelpers<Rules>> helpers;
    if (shared) {
        helpers.emplace(*pool, helperCount, *shared, table, weights, cuts, limits);
    }
    int underWay = 0;  // the depth of the mid-game iteration under way
    try {
        // One iteration of `depth` plies; its result becomes the search's.
        const auto iterate = [&](int depth, bool selectiveEnd) {
            underWay = depth;
            const auto [score, pv] = root.iterate(depth, result.score, selectiveEnd);
            result.move = pv.size > 0 ? pv.moves[0] : firstSquare(position.moves());
            result.score = score;
            result.depth = depth;
            result.exact = false;
            result.pv = extendedLine<Rules>(position, pv, table, depth);
            if (result.pv.empty()) {
                result.pv = {result.move};
            }
            if (limits.onIteration) {
                result.nodes = search.nodes();
                limits.onIteration(result);
            }
        };
        // Before the exact solve, when the search prunes, a selective search to the end: a sound
        // move and good first moves for the solver, at a fraction of its cost.
        bool selectiveEnd = limits.selectivity != Selectivity::kNone &&
                            empties > Midgame<Rules>::kSelectiveEndgameFloor &&
                            empties <= Midgame<Rules>::kSelectiveEndgameMost &&
                            cuts.endgame(empties).sigma > 0;
        for (int depth = 1; depth <= lastDepth; ++depth) {
            if (exact && depth > warmUp) {
                depth = empties;
            }
            if (depth >= empties && selectiveEnd &&
                std::abs(result.score) < Midgame<Rules>::kSelectiveEndgameScore) {
                selectiveEnd = false;
                iterate(empties, true);
                if (limits.softStop && limits.softStop()) {
                    break;
                }
            }
            if (depth >= empties) {
                // The solver shares its moves by itself.
                if (helpers) {
                    helpers->stop();
                }
                const SolveResult solved = root.solve(threads, pool);
                result = {solved.move, solved.score * kScoreScale,
                          empties,     true,
                          0,           extendedLine<Rules>(position, Line{}, table, empties)};
                if (result.pv.empty() || result.pv.front() != result.move) {
                    result.pv = {result.move};
                }
                if (limits.onIteration) {
                    result.nodes = search.nodes();
                    limits.onIteration(result);
                }
                break;
            }
            iterate(depth, false);
            if (limits.softStop && limits.softStop()) {
                break;
            }
        }
    } catch (const Stopped&) {
        // The last finished iteration stands, unless the clock stopped one whose root had
        // already proved a move: searched deeper, that move is the better choice. The node
        // budget keeps the finished iteration, as the levels were measured with.
        if (const auto best = root.stoppedBest()) {
            result.move = best->move;
            result.score = best->score;
            result.pv = extendedLine<Rules>(position, best->pv, table, underWay);
        }
    } catch (const CutAbove&) {
        // A helper found the node budget spent and abandoned the search: the last finished
        // iteration stands.
    }
    if (helpers) {
        helpers->stop();
    }
    result.nodes = search.nodes() + (shared ? shared->helperNodes.load() : 0);
    return result;
}

}  // namespace orvanta::engine::detail
