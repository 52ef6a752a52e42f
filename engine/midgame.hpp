#pragma once

// The mid-game search below the root: NegaScout with the table, ProbCut and best-first ordering,
// handing positions near the end to the exact solver. Only the root driver (root.hpp) uses it.
//
// Templates only, over the kernels' `Rules` (see perft_impl.hpp and endgame.hpp): each kernel
// builds its own copy. Non-template helpers live in the headers included here first.

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <utility>

#include "engine/endgame.hpp"
#include "engine/eval_state.hpp"
#include "engine/move_order.hpp"
#include "engine/probcut.hpp"
#include "engine/rules.hpp"
#include "engine/score.hpp"
#include "engine/search.hpp"
#include "engine/search_detail.hpp"
#include "engine/solve.hpp"
#include "engine/threads.hpp"

namespace orvanta::engine::detail {

// NegaScout over the mid-game: a full-window search along the principal variation (pvs), a
// null-window one elsewhere (nws); the transposition table, best-first ordering, and the exact
// solver as soon as the remaining depth reaches the end of the game.
//
// With more threads, Young Brothers Wait (threads.hpp) from kSplitDepth plies on, below the
// root: each move of a split point is searched against its alpha (a null window, then the full
// one when it beats it at a principal-variation node), and a result that settles the node cuts
// it. Each thread has its own Midgame; they share the table and the work the budget counts.
template <class Rules>
class Root;

template <class Rules>
class Midgame {
    struct SplitPoint;

  public:
    using SplitPointType = SplitPoint;
    // What the threads of one search share: their crew, the work they have done and the node
    // budget it counts against once the main search is armed (any thread that finds it spent
    // abandons the search), and the nodes the helpers searched.
    struct Shared {
        explicit Shared(std::uint64_t nodes) : budget(nodes) {}
        Crew<SplitPoint> crew;
        std::atomic<std::uint64_t> work{0};
        const std::uint64_t budget;
        std::atomic<bool> armed{false};
        std::atomic<std::uint64_t> helperNodes{0};
    };

    Midgame(TranspositionTable& table, const EvalWeights& weights, const CutTable& cuts,
            const SearchLimits& limits, Shared* shared = nullptr)
        : table_(table),
          weights_(weights),
          cuts_(cuts),
          limits_(limits),
          shared_(shared),
          brothers_(*this, shared != nullptr ? &shared->crew : nullptr) {
        if (shared != nullptr) {
            sharedWork_ = &shared->work;
        }
    }
    Midgame(const Midgame&) = delete;
    Midgame& operator=(const Midgame&) = delete;

    // A helper thread's life: it searches moves of split points until the crew is finished.
    void serve() { brothers_.serve(); }

    // A selective endgame search: searched to the end of the game, a node cuts by the
    // endgame's models as the mid-game does by its own, down to kSelectiveEndgameFloor empty
    // squares, where the exact solver takes over. Its scores are estimates, not proofs.
    static constexpr int kSelectiveEndgameFloor = 14;
    // It pays up to this many empty squares, and while the game is not plainly won or lost
    // (the exact solver settles those quickly, and the evaluation, which saturates, cannot tell
    // a big win from a wipe-out).
    static constexpr int kSelectiveEndgameMost = 24;
    static constexpr int kSelectiveEndgameScore = 32 * kScoreScale;
    std::uint64_t nodes() const { return nodes_; }

    // The best root move that the iteration under way has proved so far: searched to the
    // iteration's depth, its score above the lower bound of the window, so better than every
    // root move searched before it in that window. The first of them is the table's move, the
    // last iteration's best.
    struct RootBest {
        int move;
        int score;
        Line pv;
    };

    // With other threads: the shared work gathers what all of them have done, each adding its
    // own every kPollInterval nodes, and the budget counts it.
    void reportWork() {
        *sharedWork_ += work() - reportedWork_;
        reportedWork_ = work();
    }

    // The evaluation of a leaf that `state` reads (a finished game scores exactly).
    int evaluateLeaf(Bitboard player, Bitboard opponent, const EvalState& state) {
        count();
        const Bitboard moves = Rules::moves(player, opponent);
        const Bitboard replies = Rules::moves(opponent, player);
        if ((moves | replies) == 0) {
            return finalScore(player, opponent) * kScoreScale;
        }
        return state.evaluate(weights_, popcount(~(player | opponent)), moves, replies);
    }

    // Full window at a principal-variation node; `pv` receives the line found.
    int pvs(Bitboard player, Bitboard opponent, const EvalState& state, int depth, int alpha,
            int beta, Line& pv) {
        pv.size = 0;
        const bool root = std::exchange(atRoot_, false);
        // 1. The node: a leaf, a pass, the end of the game, or close enough to solve it.
        if (const auto settled = settle(player, opponent, state, depth, alpha, beta)) {
            if (settled->pass) {
                Line rest;
                const int score =
                    -pvs(opponent, player, state.passed(), depth, -beta, -alpha, rest);
                pv.set(kPass, rest);
                return score;
            }
            return settled->score;
        }
        // 2. A bound from the table may settle it; its move goes first.
        int hashMove = kPass;
        if (const auto cut = probe(player, opponent, depth, alpha, beta, hashMove); cut && !root) {
            return *cut;
        }
        // 3. The first move with the full window; the others with a null window, searched again
        //    with the full one when they prove better than the best so far.
        const std::uint64_t before = nodes_;
        const int originalAlpha = alpha;
        MoveList list = listMoves(player, opponent, hashMove);
        const Valuation valuation{*this, player, opponent, state, depth};
        int best = -kInfinity;
        int bestMove = kPass;
        Line line;
        while (const Candidate* c = list.next(valuation)) {
            const Bitboard p = opponent ^ c->flipped;
            const Bitboard o = player ^ c->flipped ^ bit(c->square);
            const EvalState child = state.after(c->square, c->flipped);
            int score = 0;
            if (best == -kInfinity) {
                score = -pvs(p, o, child, depth - 1, -beta, -alpha, line);
            } else {
                score = -nws(p, o, child, depth - 1, -alpha - 1);
                if (score > alpha && score < beta) {
                    score = -pvs(p, o, child, depth - 1, -beta, -alpha, line);
                } else {
                    line.size = -1;  // not a principal variation
                }
            }
            if (score > best) {
                best = score;
                bestMove = c->square;
                if (line.size >= 0) {
                    pv.set(c->square, line);
                } else {
                    pv.set(c->square, Line{});
                }
                if (root && score > originalAlpha) {
                    rootBest_ = RootBest{c->square, score, pv};
                }
                alpha = std::max(alpha, score);
                if (alpha >= beta) {
                    break;
                }
            }
            if (!root && shouldSplit(depth, list, valuation)) {
                SplitPoint point(brothers_.current(), {player, opponent, state, depth, true}, &list,
                                 alpha, beta, {best, bestMove, pv});
                brothers_.split(point);
                best = point.best.score;
                bestMove = point.best.move;
                pv = point.best.line;
                break;
            }
        }
        // 4. Keep what was learnt.
        store(player, opponent, depth, best, bestMove, originalAlpha, beta, nodes_ - before);
        return best;
    }

    // Null window (alpha, alpha + 1): only whether the score beats alpha; fail-soft.
    int nws(Bitboard player, Bitboard opponent, const EvalState& state, int depth, int alpha) {
        // 1. The node.
        if (const auto settled = settle(player, opponent, state, depth, alpha, alpha + 1)) {
            return settled->pass ? -nws(opponent, player, state.passed(), depth, -alpha - 1)
                                 : settled->score;
        }
        // 2. The table.
        int hashMove = kPass;
        if (const auto cut = probe(player, opponent, depth, alpha, alpha + 1, hashMove)) {
            return *cut;
        }
        // 3. A child's bound in the table that settles the node; then ProbCut: a shallow search
        //    that ends far outside the window settles it.
        MoveList list = listMoves(player, opponent, hashMove);
        if (depth >= kTransposedCutDepth) {
            if (const auto cut = knownCut(list, player, opponent, depth, alpha)) {
                return *cut;
            }
        }
        if (const auto cut = probCut(player, opponent, state, depth, alpha)) {
            return *cut;
        }
        // 4. Moves best first until one beats alpha.
        const std::uint64_t before = nodes_;
        const Valuation valuation{*this, player, opponent, state, depth};
        int best = -kInfinity;
        int bestMove = kPass;
        while (const Candidate* c = list.next(valuation)) {
            const int score = -nws(opponent ^ c->flipped, player ^ c->flipped ^ bit(c->square),
                                   state.after(c->square, c->flipped), depth - 1, -alpha - 1);
            if (score > best) {
                best = score;
                bestMove = c->square;
                if (score > alpha) {
                    break;
                }
            }
            if (shouldSplit(depth, list, valuation)) {
                SplitPoint point(brothers_.current(), {player, opponent, state, depth, false},
                                 &list, alpha, alpha + 1, {best, bestMove, Line{}});
                brothers_.split(point);
                best = point.best.score;
                bestMove = point.best.move;
                break;
            }
        }
        // 5. Keep what was learnt.
        store(player, opponent, depth, best, bestMove, alpha, alpha + 1, nodes_ - before);
        return best;
    }

  private:
    // Only the root driver (root.hpp) searches the root and sets the root's state below.
    friend class Root<Rules>;
    // The budget applies from the moment it is armed (after the first iteration).
    void arm() {
        armed_ = true;
        if (shared_ != nullptr) {
            shared_->armed = true;
        }
    }

    // Multi-ProbCut: the model of the node's stage and depth (or, searched to the end, of its
    // empties) predicts its score from a shallow search; a prediction the selectivity's
    // confidence times the model's error beyond the window settles the node. The shallow search's
    // bound is the window moved by that margin and mapped back through the model.
    std::optional<int> probCut(Bitboard player, Bitboard opponent, const EvalState& state,
                               int depth, int alpha) {
        if (depth < CutTable::kFirstCutDepth || limits_.selectivity == Selectivity::kNone) {
            return std::nullopt;
        }
        const int empties = popcount(~(player | opponent));
        const CutModel& m = depth >= empties ? cuts_.endgame(empties) : cuts_.model(empties, depth);
        if (m.sigma == 0) {
            return std::nullopt;
        }
        const int margin =
            kCutConfidenceTenths[static_cast<std::size_t>(limits_.selectivity)] * m.sigma / 10;
        constexpr int kSlopeScale = 10000;
        const int beta = alpha + 1;
        const int high = -floorDiv(-(beta + margin - m.intercept) * kSlopeScale, m.slope);
        if (high < kBest && nws(player, opponent, state, m.shallow, high - 1) >= high) {
            return beta;
        }
        const int low = floorDiv((alpha - margin - m.intercept) * kSlopeScale, m.slope);
        if (low > -kBest && nws(player, opponent, state, m.shallow, low) <= low) {
            return alpha;
        }
        return std::nullopt;
    }

    // Nodes deep enough to be worth a table entry.
    static constexpr int kHashDepth = 2;
    // The stop predicate is polled once every kPollInterval nodes.
    static constexpr std::uint64_t kPollInterval = 1024;

    struct Settled {
        int score;
        bool pass;
    };
    struct Candidate {
        Bitboard flipped;
        int square;
        int value;
    };

    // The moves of a node (move_order.hpp): the table's move first, before the others are
    // valued; they often cut the node alone, and then the shallow searches that order the rest
    // would be wasted.
    using MoveList = MovePicker<Candidate>;
    struct Flips {
        Bitboard player;
        Bitboard opponent;
        void operator()(Candidate& c) const {
            c.flipped = Rules::flips(player, opponent, c.square);
        }
    };
    static MoveList listMoves(Bitboard player, Bitboard opponent, int hashMove) {
        return MoveList(Rules::moves(player, opponent), hashMove, Flips{player, opponent});
    }
    // Values the moves of a node of `depth` plies: below kSortDepth by their cheap value, from
    // there on by a shallow search of each child, deeper for deeper nodes.
    static constexpr int kSortDepth = 3;
    struct Valuation {
        Midgame& search;
        Bitboard player;
        Bitboard opponent;
        const EvalState& state;
        int depth;
        [[gnu::always_inline]] void operator()(Candidate& c) const {
            const Bitboard p = opponent ^ c.flipped;
            const Bitboard o = player ^ c.flipped ^ bit(c.square);
            if (depth < kSortDepth) {
                c.value = kSquareValue[static_cast<std::size_t>(c.square)] -
                          kMidgameReplyWeight * replyCount(Rules::moves(p, o));
            } else {
                const int plies = depth >= 12 ? 2 : depth >= 6 ? 1 : 0;
                c.value = -search.shallow(p, o, state.after(c.square, c.flipped), plies);
            }
        }
    };

    // Enhanced transposition cut-off (move_order.hpp) from kTransposedCutDepth plies on, where
    // a cut saves more than the probes cost; a child's entry counts when solved or searched at
    // least as deep as the child would be.
    static constexpr int kTransposedCutDepth = 6;
    std::optional<int> knownCut(const MoveList& list, Bitboard player, Bitboard opponent, int depth,
                                int alpha) const {
        const auto upper = [depth](const Stored& known) -> std::optional<int> {
            if (known.depth == TranspositionTable::kSolvedDepth) {
                return known.upper * kScoreScale;
            }
            return known.depth < depth - 1 ? std::nullopt : std::optional(known.upper);
        };
        return transposedCut(list, table_, player, opponent, alpha, upper);
    }

    // Nodes from this depth on may share their moves with idle threads: below, a move's search
    // costs too little to be worth handing over.
    static constexpr int kSplitDepth = 4;

    // A node whose remaining moves are shared among threads (threads.hpp). It lives on its
    // owner's stack until no other thread searches one of its moves.
    struct Node {
        Bitboard player;
        Bitboard opponent;
        EvalState state;
        int depth;
        bool principal;  // a principal-variation node (pvs), else null-window (nws)
    };
    struct MoveResult {
        int score = 0;
        bool principal = false;  // `line` is the child's principal variation
        Line line;
    };
    struct Best {
        int score;
        int move;
        Line line;  // used at a principal-variation node
        void take(int square, const MoveResult& result) {
            score = result.score;
            move = square;
            line.set(square, result.principal ? result.line : Line{});
        }
    };
    struct SplitPoint : MoveSplitPoint<SplitPoint, MoveList, Node, Best, MoveResult> {
        using MoveSplitPoint<SplitPoint, MoveList, Node, Best, MoveResult>::MoveSplitPoint;
    };
    using Brothers = detail::Brothers<Midgame, SplitPoint>;
    friend Brothers;

    // Whether a node should share the moves left in `list` now; if so they are valued, so that
    // other threads may take them.
    bool shouldSplit(int depth, MoveList& list, const Valuation& valuation) {
        if (depth < kSplitDepth || list.empty() || !brothers_.helperIdle()) {
            return false;
        }
        list.value(valuation);
        return true;
    }

    // One move of a split point, searched as the node's own loop would.
    typename SplitPoint::Result searchTask(SplitPoint& point,
                                           const typename SplitPoint::Task& task) {
        const Node& n = point.node;
        const Candidate& c = task.move;
        const Bitboard p = n.opponent ^ c.flipped;
        const Bitboard o = n.player ^ c.flipped ^ bit(c.square);
        const EvalState child = n.state.after(c.square, c.flipped);
        typename SplitPoint::Result result;
        result.score = -nws(p, o, child, n.depth - 1, -task.alpha - 1);
        if (n.principal && result.score > task.alpha && result.score < point.beta) {
            result.score = -pvs(p, o, child, n.depth - 1, -point.beta, -task.alpha, result.line);
            result.principal = true;
        }
        return result;
    }

    // A helper leaves the crew: its work joins the counts.
    void served() {
        reportWork();
        shared_->helperNodes += nodes_;
    }

    // A shallow full-window score of a child for ordering: its evaluation, or a search of a
    // ply or two.
    int shallow(Bitboard player, Bitboard opponent, const EvalState& state, int depth) {
        if (depth == 0) {
            return evaluateLeaf(player, opponent, state);
        }
        Line ignored;
        return pvs(player, opponent, state, depth, -kInfinity, kInfinity, ignored);
    }

    void count() {
        ++nodes_;
        if (shared_ != nullptr) {
            // Among threads: a cut above, or the search abandoned, ends this thread's work; a
            // helper (never armed itself) abandons it when it finds the shared budget spent.
            brothers_.checkCut();
            if (!armed_) {
                if (nodes_ >= nextPoll_) {
                    nextPoll_ = nodes_ + kPollInterval;
                    reportWork();
                    if (shared_->armed && shared_->budget != 0 &&
                        shared_->work.load() >= shared_->budget) {
                        shared_->crew.abandoned = true;
                        throw CutAbove{};
                    }
                }
                return;
            }
        } else if (!armed_) {
            return;
        }
        if (limits_.nodes != 0 && budgetWork() >= limits_.nodes) {
            if (shared_ != nullptr) {
                shared_->crew.abandoned = true;
            }
            throw Stopped{};
        }
        if (nodes_ >= nextPoll_) {
            nextPoll_ = nodes_ + kPollInterval;
            if (sharedWork_ != nullptr) {
                reportWork();
            }
            if (clockStops()) {
                throw Stopped{};
            }
        }
    }

    // Polls `stop`, remembering that it stopped the search.
    bool clockStops() {
        stoppedByClock_ = stoppedByClock_ || (limits_.stop && limits_.stop());
        return stoppedByClock_;
    }

    // What needs no move list: a leaf, a pass (the caller searches on), a finished game, or a
    // position whose remaining depth reaches the end, which the exact solver takes.
    std::optional<Settled> settle(Bitboard player, Bitboard opponent, const EvalState& state,
                                  int depth, int alpha, int beta) {
        const int empties = popcount(~(player | opponent));
        if (empties <= depth && (!selectiveEnd_ || empties <= kSelectiveEndgameFloor)) {
            return Settled{solveWithin(player, opponent, alpha, beta), false};
        }
        if (depth == 0) {
            return Settled{evaluateLeaf(player, opponent, state), false};
        }
        count();
        if (Rules::moves(player, opponent) == 0) {
            if (Rules::moves(opponent, player) == 0) {
                return Settled{finalScore(player, opponent) * kScoreScale, false};
            }
            return Settled{0, true};
        }
        return std::nullopt;
    }

    // The exact score as a mid-game score, fail-soft within (alpha, beta).
    // Inside the tree the solver runs on this thread alone; at the root, on `threads` threads
    // of `pool`.
    int solveWithin(Bitboard player, Bitboard opponent, int alpha, int beta, int threads = 1,
                    ThreadPool* pool = nullptr) {
        const int low = std::clamp(floorDiv(alpha, kScoreScale), kMinScore, kMaxScore - 1);
        const int high =
            std::clamp(floorDiv(beta + kScoreScale - 1, kScoreScale), low + 1, kMaxScore);
        SolveBudget budget;
        budget.threads = threads;
        budget.pool = pool;
        budget.ordering = weights_;  // a search is the same whatever weights are built in
        const bool clocked = armed_ && static_cast<bool>(limits_.stop);
        if (armed_ && limits_.nodes != 0) {
            if (budgetWork() >= limits_.nodes) {
                throw Stopped{};
            }
            budget.nodes = (limits_.nodes - budgetWork()) * kSolverNodesPerNode;
        }
        if (shared_ != nullptr) {
            // Among threads, a solve also ends when its work is no longer wanted.
            budget.stop = [this, clocked] {
                return brothers_.cutNow() || (clocked && clockStops());
            };
        } else if (clocked) {
            budget.stop = [this] { return clockStops(); };
        }
        try {
            const SolveResult r = Endgame<Rules>::run(player, opponent, low, high, table_, budget);
            nodes_ += r.nodes;
            solverNodes_ += r.nodes;
            lastSolvedMove_ = r.move;
            return r.score * kScoreScale;
        } catch (const SolveAbandoned& abandoned) {
            nodes_ += abandoned.nodes;
            solverNodes_ += abandoned.nodes;
            if (shared_ != nullptr && brothers_.cutNow()) {
                throw CutAbove{};
            }
            throw Stopped{};
        }
    }

    // A cut from the table's bounds, or nothing; `hashMove` gets the stored move.
    std::optional<int> probe(Bitboard player, Bitboard opponent, int depth, int alpha, int beta,
                             int& hashMove) {
        if (depth < kHashDepth) {
            return std::nullopt;
        }
        const auto known = table_.probe(player, opponent);
        if (!known) {
            return std::nullopt;
        }
        hashMove = known->move;
        int lower = known->lower;
        int upper = known->upper;
        if (known->depth == TranspositionTable::kSolvedDepth) {
            lower *= kScoreScale;
            upper *= kScoreScale;
        } else if (known->depth < depth) {
            return std::nullopt;
        }
        return boundCut(lower, upper, alpha, beta);
    }

    void store(Bitboard player, Bitboard opponent, int depth, int best, int move, int alpha,
               int beta, std::uint64_t nodes) {
        if (depth < kHashDepth) {
            return;
        }
        Stored s;
        s.lower = best > alpha ? best : -kBest;
        s.upper = best < beta ? best : kBest;
        s.move = move;
        s.depth = depth;
        table_.store(player, opponent, s, nodes);
    }

    TranspositionTable& table_;
    const EvalWeights& weights_;
    const CutTable& cuts_;
    const SearchLimits& limits_;
    // What the node budget counts: a node of the solver costs a fraction of a mid-game node
    // (it has no evaluation), so kSolverNodesPerNode of them count as one.
    static constexpr std::uint64_t kSolverNodesPerNode = 4;
    std::uint64_t work() const {
        return nodes_ - solverNodes_ + solverNodes_ / kSolverNodesPerNode;
    }
    // The work the budget counts: this thread's, or every thread's.
    std::uint64_t budgetWork() const {
        return sharedWork_ == nullptr ? work() : sharedWork_->load() + work() - reportedWork_;
    }

    std::uint64_t nodes_ = 0;
    std::uint64_t solverNodes_ = 0;
    std::uint64_t nextPoll_ = kPollInterval;
    bool armed_ = false;
    bool atRoot_ = false;
    bool selectiveEnd_ = false;
    bool stoppedByClock_ = false;
    std::optional<RootBest> rootBest_;
    int lastSolvedMove_ = kPass;
    std::atomic<std::uint64_t>* sharedWork_ = nullptr;
    std::uint64_t reportedWork_ = 0;
    Shared* shared_ = nullptr;
    Brothers brothers_;
};

}  // namespace orvanta::engine::detail
