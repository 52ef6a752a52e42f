#pragma once

// The exact endgame solver, `Endgame<Rules>`, a template over the kernels' `Rules` (see
// perft_impl.hpp). Front ends use solve.hpp.
//
// Templates only: kernels_avx2.cpp includes the kernels inside its target region, so that every
// instantiation is built for AVX2 there. A plain inline function defined here would be built for
// AVX2 in that file and for any processor in the others, and the linker could keep either copy;
// such helpers belong in the headers included above, which that file includes first.

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/eval.hpp"
#include "engine/kernels.hpp"
#include "engine/move_order.hpp"
#include "engine/parity.hpp"
#include "engine/rules.hpp"
#include "engine/solve.hpp"
#include "engine/stability.hpp"
#include "engine/threads.hpp"
#include "engine/transposition.hpp"

namespace orvanta::engine::detail {

// An exact endgame search: NegaScout (principal variation search) over the whole game tree.
// By number of empty squares:
//   kHashedEmpties and up  null-window search with the table, stability cut-off and
//                          fastest-first ordering (fewest replies for the opponent), and
//                          from kEtcEmpties on a look in the table at every child first;
//                          from kEvalOrderEmpties on, the order also follows a shallow
//                          search of the evaluation (the built-in weights);
//   kFastestFirstEmpties+  the same without the table;
//   5 up to there          parity order, moves found by trying each empty square;
//   4 to 1                 fixed solvers over the listed squares.
// Principal-variation nodes use a full window at any depth. All scores are fail-soft.
//
// With more threads, Young Brothers Wait (threads.hpp) from kSplitEmpties on: each move of a
// split point is searched against its alpha, which every result raises, and one that beats
// beta cuts it; the threads below give up and store nothing they had not finished. The table is
// shared; each thread has its own counters.
template <class Rules>
class Endgame {
  public:
    static SolveResult run(Bitboard player, Bitboard opponent, int alpha, int beta,
                           TranspositionTable& table, const SolveBudget& budget) {
        if (budget.threads <= 1) {
            Endgame search(table, budget, nullptr);
            const Scored root =
                search.pvs(player, opponent, alpha, beta, Rules::moves(player, opponent));
            return {root.score, root.move, search.nodes_};
        }
        Shared shared(budget);
        Endgame search(table, budget, &shared);
        std::optional<ThreadPool> own;
        ThreadPool* pool = budget.pool;
        if (pool == nullptr) {
            pool = &own.emplace(budget.threads - 1);
        }
        try {
            Scored root{};
            {
                const CrewHelpers<SplitPoint> helpers(
                    *pool, shared.crew, budget.threads - 1, [&table, &shared] {
                        Endgame helper(table, shared.helperBudget, &shared);
                        helper.brothers_.serve();
                    });
                root = search.pvs(player, opponent, alpha, beta, Rules::moves(player, opponent));
            }
            return {root.score, root.move, search.unreported() + shared.reported.load()};
        } catch (const SolveAbandoned&) {
            throw SolveAbandoned{search.unreported() + shared.reported.load()};
        }
    }

  private:
    static constexpr int kHashedEmpties = 10;
    static constexpr int kFastestFirstEmpties = 7;
    static constexpr int kEtcEmpties = 12;
    static constexpr int kLastEmpties = 4;
    static constexpr int kNoScore = kMinScore - 1;
    static constexpr int kEvalOrderEmpties = 12;
    static constexpr int kOnePlyOrderEmpties = 16;
    static constexpr int kTwoPlyOrderEmpties = 20;
    static constexpr int kInfinity = kSquares * kScoreScale + 1;  // beyond any evaluation
    // Nodes with this many empties may share their moves among threads: below, a move's search
    // costs too little to be worth handing over.
    static constexpr int kSplitEmpties = 12;
    // The order (move_order.hpp): the table's move first, then by the solver's cheap value;
    // at many empties also minus the child's evaluation for the opponent, at one unit for
    // kScorePerValue hundredths of a disc (a disc weighs a little more than a reply). Measured
    // on FFO 20-39: dividing by 5 searched fewer nodes than by 1, 3, 10 or 20.
    static constexpr int kScorePerValue = 5;

    struct Scored {
        int score;
        int move;
    };
    struct Candidate {
        Bitboard flipped;
        Bitboard replies;  // the opponent's moves after this one
        int square;
        int value;
    };
    // The child a candidate leads to, from the opponent's side.
    static Bitboard childPlayer(Bitboard opponent, const Candidate& c) {
        return opponent ^ c.flipped;
    }
    static Bitboard childOpponent(Bitboard player, const Candidate& c) {
        return player ^ c.flipped ^ bit(c.square);
    }

    // The legal moves with their children's moves, the table's move first.
    using MoveList = MovePicker<Candidate>;
    static MoveList listMoves(Bitboard player, Bitboard opponent, Bitboard moves, int hashMove) {
        return MoveList(moves, hashMove, [player, opponent](Candidate& c) {
            c.flipped = Rules::flips(player, opponent, c.square);
            c.replies = Rules::moves(childPlayer(opponent, c), childOpponent(player, c));
        });
    }
    // A node whose remaining moves are shared among threads (threads.hpp). It lives on its
    // owner's stack until no other thread searches one of its moves.
    struct Node {
        Bitboard player;
        Bitboard opponent;
    };
    struct TaskScore {
        int score;
    };
    struct Best : Scored {
        void take(int square, const TaskScore& result) { *this = {{result.score, square}}; }
    };
    struct SplitPoint : MoveSplitPoint<SplitPoint, MoveList, Node, Best, TaskScore> {
        using MoveSplitPoint<SplitPoint, MoveList, Node, Best, TaskScore>::MoveSplitPoint;
    };
    using Brothers = detail::Brothers<Endgame, SplitPoint>;
    friend Brothers;
    // What the threads of one solve share beside the crew.
    struct Shared {
        explicit Shared(const SolveBudget& owner) : helperBudget(helpersOf(owner)) {}
        // The helpers' budget: the owner's move order, and no limits (only the owner watches
        // them).
        static SolveBudget helpersOf(const SolveBudget& owner) {
            SolveBudget budget;
            budget.ordering = owner.ordering;
            return budget;
        }
        Crew<SplitPoint> crew;
        std::atomic<std::uint64_t> reported{0};  // nodes counted by all threads so far
        const SolveBudget helperBudget;
    };

    Endgame(TranspositionTable& table, const SolveBudget& budget, Shared* shared)
        : table_(table),
          budget_(budget),
          weights_(budget.ordering ? *budget.ordering : builtinWeights()),
          shared_(shared),
          brothers_(*this, shared != nullptr ? &shared->crew : nullptr) {}

    std::uint64_t unreported() const { return nodes_ - reportedNodes_; }

    // A helper leaves the crew: its nodes join the count.
    void served() { shared_->reported += nodes_ - reportedNodes_; }

    // Searches one move of a split point for the crew: the result the sequential loop would give.
    TaskScore searchTask(SplitPoint& point, const typename SplitPoint::Task& task) {
        const Candidate& c = task.move;
        const Bitboard p = childPlayer(point.node.opponent, c);
        const Bitboard o = childOpponent(point.node.player, c);
        int score = -nws(p, o, -task.alpha - 1, c.replies);
        if (score > task.alpha && score < point.beta) {
            score = -pvs(p, o, -point.beta, -task.alpha, c.replies).score;
        }
        return {score};
    }

    // Whether a node should share the moves left in `list` now.
    bool shouldSplit(int empties, const MoveList& list) const {
        return empties >= kSplitEmpties && !list.empty() && brothers_.helperIdle();
    }

    // The moves left in `list` after the first (whose result is `best`), shared with idle
    // threads within (alpha, beta); the node's result, as the sequential loop would give it.
    Scored split(Bitboard player, Bitboard opponent, int alpha, int beta, MoveList& list,
                 Scored best) {
        SplitPoint point(brothers_.current(), {player, opponent}, &list, alpha, beta, {best});
        brothers_.split(point);
        return point.best;
    }

    // Values the moves by their cheap counts; from kEvalOrderEmpties on, also by what the
    // evaluation thinks of each child after a search of 0, 1 or 2 plies by the number of
    // empties: there a good first move saves far more than the few evaluations cost.
    void order(MoveList& list, Bitboard player, Bitboard opponent) {
        const Bitboard empty = ~(player | opponent);
        const int empties = popcount(empty);
        const Bitboard odd = oddQuadrants(empty);
        const int depth = empties < kEvalOrderEmpties      ? -1
                          : empties >= kTwoPlyOrderEmpties ? 2
                          : empties >= kOnePlyOrderEmpties ? 1
                                                           : 0;
        list.value([this, player, opponent, odd, depth](Candidate& c) {
            const Bitboard mine = childOpponent(player, c);
            const Bitboard theirs = childPlayer(opponent, c);
            const Bitboard frontier = neighbours(mine) & ~(mine | theirs);
            c.value = -kEndgameReplyWeight * replyCount(c.replies) -
                      kFrontierWeight * popcount(frontier) +
                      ((odd & bit(c.square)) != 0 ? kParityBonus : 0);
            if (depth >= 0) {
                c.value -= shallow(theirs, mine, depth, -kInfinity, kInfinity) / kScorePerValue;
            }
        });
    }
    // A plain alpha-beta search of `depth` plies on the evaluation (1/kScoreScale discs), no
    // table, no ordering; its positions count as nodes.
    int shallow(Bitboard player, Bitboard opponent, int depth, int alpha, int beta) {
        ++nodes_;
        if (depth == 0) {
            return evaluate(player, opponent, weights_);
        }
        Bitboard moves = Rules::moves(player, opponent);
        if (moves == 0) {
            if (Rules::moves(opponent, player) == 0) {
                return finalScore(player, opponent) * kScoreScale;
            }
            return -shallow(opponent, player, depth, -beta, -alpha);
        }
        int best = -kInfinity;
        for (; moves != 0; moves &= moves - 1) {
            const int square = firstSquare(moves);
            const Bitboard f = Rules::flips(player, opponent, square);
            const int score = -shallow(opponent ^ f, player ^ f ^ bit(square), depth - 1, -beta,
                                       -std::max(alpha, best));
            if (score > best) {
                best = score;
                if (best >= beta) {
                    break;
                }
            }
        }
        return best;
    }

    // Gives up when the budget is spent; looked at every kBudgetInterval nodes of the hashed
    // and ordered searches.
    static constexpr std::uint64_t kBudgetInterval = 4096;
    // With a crew, also ends the search as soon as a split point above it is cut.
    void checkBudget() {
        brothers_.checkCut();
        if (nodes_ < nextCheck_) {
            return;
        }
        nextCheck_ = nodes_ + kBudgetInterval;
        std::uint64_t spent = nodes_;
        if (shared_ != nullptr) {
            shared_->reported += nodes_ - reportedNodes_;
            reportedNodes_ = nodes_;
            spent = shared_->reported.load();
        }
        if ((budget_.nodes != 0 && spent >= budget_.nodes) || (budget_.stop && budget_.stop())) {
            if (shared_ != nullptr) {
                shared_->crew.abandoned = true;
            }
            throw SolveAbandoned{spent};
        }
    }

    // Full window (alpha, beta) at a principal-variation node.
    Scored pvs(Bitboard player, Bitboard opponent, int alpha, int beta, Bitboard moves) {
        // 1. The node; without a move the mover passes or the game is over.
        ++nodes_;
        checkBudget();
        if (moves == 0) {
            const Bitboard replies = Rules::moves(opponent, player);
            if (replies == 0) {
                return {finalScore(player, opponent), kPass};
            }
            return {-pvs(opponent, player, -beta, -alpha, replies).score, kPass};
        }
        // 2. A bound from the table may settle it; its move goes first.
        const int empties = popcount(~(player | opponent));
        const bool hashed = empties >= kHashedEmpties;
        int hashMove = kPass;
        if (hashed) {
            if (const auto known = table_.probe(player, opponent)) {
                hashMove = known->move;
                // A mid-game estimate gives only its move.
                if (known->depth == TranspositionTable::kSolvedDepth) {
                    if (const auto cut = boundCut(known->lower, known->upper, alpha, beta)) {
                        return {*cut, hashMove};
                    }
                }
            }
        }
        // 3. The first move with the full window; the others with a null window, searched
        //    again with the full one when they prove better than the best so far.
        const std::uint64_t before = nodes_;
        const int originalAlpha = alpha;
        MoveList list = listMoves(player, opponent, moves, hashMove);
        order(list, player, opponent);
        Scored best{kNoScore, kPass};
        while (const Candidate* c = list.next()) {
            const Bitboard p = childPlayer(opponent, *c);
            const Bitboard o = childOpponent(player, *c);
            int score = 0;
            if (best.score == kNoScore) {
                score = -pvs(p, o, -beta, -alpha, c->replies).score;
            } else {
                score = -nws(p, o, -alpha - 1, c->replies);
                if (score > alpha && score < beta) {
                    score = -pvs(p, o, -beta, -alpha, c->replies).score;
                }
            }
            if (score > best.score) {
                best = {score, c->square};
                alpha = std::max(alpha, score);
                if (alpha >= beta) {
                    break;
                }
            }
            if (shouldSplit(empties, list)) {
                best = split(player, opponent, alpha, beta, list, best);
                break;
            }
        }
        // 4. Keep what was learnt.
        if (hashed) {
            store(player, opponent, best, originalAlpha, beta, nodes_ - before);
        }
        return best;
    }

    void store(Bitboard player, Bitboard opponent, Scored best, int alpha, int beta,
               std::uint64_t nodes) {
        Stored s;
        s.move = best.move;
        s.depth = TranspositionTable::kSolvedDepth;
        if (best.score > alpha) {
            s.lower = best.score;
        }
        if (best.score < beta) {
            s.upper = best.score;
        }
        table_.store(player, opponent, s, nodes);
    }

    // Null window (alpha, alpha + 1) from here on: only whether the score beats alpha.
    int nws(Bitboard player, Bitboard opponent, int alpha, Bitboard moves) {
        const int empties = popcount(~(player | opponent));
        if (empties >= kFastestFirstEmpties) {
            return nwsOrdered(player, opponent, alpha, moves, empties >= kHashedEmpties);
        }
        return nwsShallow(player, opponent, alpha);
    }

    // Below kFastestFirstEmpties: callers need not know the moves.
    int nwsShallow(Bitboard player, Bitboard opponent, int alpha) {
        const Bitboard empty = ~(player | opponent);
        const int empties = popcount(empty);
        if (empties > kLastEmpties) {
            return nwsParity(player, opponent, alpha);
        }
        // List the last squares, those of odd quadrants first.
        std::array<int, kLastEmpties> s{};
        std::size_t n = 0;
        const Bitboard odd = oddQuadrants(empty);
        for (Bitboard group : {empty & odd, empty & ~odd}) {
            for (; group != 0; group &= group - 1) {
                s[n++] = firstSquare(group);
            }
        }
        switch (empties) {
            case 4:
                return last4(player, opponent, alpha, s[0], s[1], s[2], s[3]);
            case 3:
                return last3(player, opponent, alpha, s[0], s[1], s[2]);
            case 2:
                return last2(player, opponent, alpha, s[0], s[1]);
            case 1:
                return last1(player, opponent, s[0]);
            default:
                ++nodes_;
                return finalScore(player, opponent);
        }
    }

    int nwsOrdered(Bitboard player, Bitboard opponent, int alpha, Bitboard moves, bool hashed) {
        // 1. The node; without a move the mover passes or the game is over.
        ++nodes_;
        checkBudget();
        if (moves == 0) {
            const Bitboard replies = Rules::moves(opponent, player);
            if (replies == 0) {
                return finalScore(player, opponent);
            }
            return -nws(opponent, player, -alpha - 1, replies);
        }
        // 2. Stability: the opponent keeps its stable discs, which caps the mover's score. Only
        //    worth computing when a cap below alpha is possible at all.
        if (alpha >= kMaxScore - 2 * popcount(opponent)) {
            const int cap = kMaxScore - 2 * popcount(stableDiscs(opponent, player));
            if (cap <= alpha) {
                return cap;
            }
        }
        // 3. A bound from the table may settle it; its move goes first.
        int hashMove = kPass;
        if (hashed) {
            if (const auto known = table_.probe(player, opponent)) {
                hashMove = known->move;
                // A mid-game estimate gives only its move.
                if (known->depth == TranspositionTable::kSolvedDepth) {
                    if (const auto cut = boundCut(known->lower, known->upper, alpha, alpha + 1)) {
                        return *cut;
                    }
                }
            }
        }
        // 4. Enhanced transposition cut-off: a child the table already knows to be bad enough
        //    for the opponent settles the node without a search.
        const std::uint64_t before = nodes_;
        const int empties = popcount(~(player | opponent));
        MoveList list = listMoves(player, opponent, moves, hashMove);
        if (hashed && empties >= kEtcEmpties) {
            const auto solved = [](const Stored& known) {
                return known.depth == TranspositionTable::kSolvedDepth ? std::optional(known.upper)
                                                                       : std::nullopt;
            };
            if (const auto cut = transposedCut(list, table_, player, opponent, alpha, solved)) {
                return *cut;
            }
        }
        order(list, player, opponent);
        // 5. Moves best first until one beats alpha.
        Scored best{kNoScore, kPass};
        while (const Candidate* c = list.next()) {
            const int score =
                -nws(childPlayer(opponent, *c), childOpponent(player, *c), -alpha - 1, c->replies);
            if (score > best.score) {
                best = {score, c->square};
                if (score > alpha) {
                    break;
                }
            }
            if (shouldSplit(empties, list)) {
                best = split(player, opponent, alpha, alpha + 1, list, best);
                break;
            }
        }
        // 6. Keep what was learnt.
        if (hashed) {
            store(player, opponent, best, alpha, alpha + 1, nodes_ - before);
        }
        return best.score;
    }

    // Tries every empty square, odd quadrants first.
    int nwsParity(Bitboard player, Bitboard opponent, int alpha) {
        ++nodes_;
        const Bitboard empty = ~(player | opponent);
        const Bitboard odd = oddQuadrants(empty);
        int best = kNoScore;
        for (Bitboard group : {empty & odd, empty & ~odd}) {
            for (; group != 0; group &= group - 1) {
                const int square = firstSquare(group);
                const Bitboard flipped = Rules::flips(player, opponent, square);
                if (flipped == 0) {
                    continue;
                }
                const int score =
                    -nwsShallow(opponent ^ flipped, player ^ flipped ^ bit(square), -alpha - 1);
                if (score > best) {
                    best = score;
                    if (score > alpha) {
                        return best;
                    }
                }
            }
        }
        if (best != kNoScore) {
            return best;
        }
        if (Rules::moves(opponent, player) == 0) {
            return finalScore(player, opponent);
        }
        return -nwsParity(opponent, player, -alpha - 1);
    }

    // The fixed solvers take the empty squares in order of preference. With one square left,
    // the mover plays it if it captures, else the opponent does, else the game ends.
    int last1(Bitboard player, Bitboard opponent, int square) {
        ++nodes_;
        const int mine = popcount(player);
        if (const Bitboard flipped = Rules::flips(player, opponent, square)) {
            return 2 * (mine + popcount(flipped) + 1) - kSquares;
        }
        if (const Bitboard flipped = Rules::flips(opponent, player, square)) {
            return 2 * (mine - popcount(flipped)) - kSquares;
        }
        return finalScore(player, opponent);
    }

    int last2(Bitboard player, Bitboard opponent, int alpha, int a, int b) {
        ++nodes_;
        int best = kNoScore;
        if (const Bitboard f = Rules::flips(player, opponent, a)) {
            best = -last1(opponent ^ f, player ^ f ^ bit(a), b);
            if (best > alpha) {
                return best;
            }
        }
        if (const Bitboard f = Rules::flips(player, opponent, b)) {
            best = std::max(best, -last1(opponent ^ f, player ^ f ^ bit(b), a));
        }
        if (best != kNoScore) {
            return best;
        }
        if ((Rules::flips(opponent, player, a) | Rules::flips(opponent, player, b)) == 0) {
            return finalScore(player, opponent);
        }
        return -last2(opponent, player, -alpha - 1, a, b);
    }

    int last3(Bitboard player, Bitboard opponent, int alpha, int a, int b, int c) {
        ++nodes_;
        int best = kNoScore;
        const std::array<std::array<int, 3>, 3> orders = {{{a, b, c}, {b, a, c}, {c, a, b}}};
        for (const auto& o : orders) {
            if (const Bitboard f = Rules::flips(player, opponent, o[0])) {
                best = std::max(
                    best, -last2(opponent ^ f, player ^ f ^ bit(o[0]), -alpha - 1, o[1], o[2]));
                if (best > alpha) {
                    return best;
                }
            }
        }
        if (best != kNoScore) {
            return best;
        }
        if ((Rules::flips(opponent, player, a) | Rules::flips(opponent, player, b) |
             Rules::flips(opponent, player, c)) == 0) {
            return finalScore(player, opponent);
        }
        return -last3(opponent, player, -alpha - 1, a, b, c);
    }

    int last4(Bitboard player, Bitboard opponent, int alpha, int a, int b, int c, int d) {
        ++nodes_;
        int best = kNoScore;
        const std::array<std::array<int, 4>, 4> orders = {
            {{a, b, c, d}, {b, a, c, d}, {c, a, b, d}, {d, a, b, c}}};
        for (const auto& o : orders) {
            if (const Bitboard f = Rules::flips(player, opponent, o[0])) {
                best = std::max(best, -last3(opponent ^ f, player ^ f ^ bit(o[0]), -alpha - 1, o[1],
                                             o[2], o[3]));
                if (best > alpha) {
                    return best;
                }
            }
        }
        if (best != kNoScore) {
            return best;
        }
        if ((Rules::flips(opponent, player, a) | Rules::flips(opponent, player, b) |
             Rules::flips(opponent, player, c) | Rules::flips(opponent, player, d)) == 0) {
            return finalScore(player, opponent);
        }
        return -last4(opponent, player, -alpha - 1, a, b, c, d);
    }

    TranspositionTable& table_;
    const SolveBudget& budget_;
    EvalWeights weights_;
    std::uint64_t nodes_ = 0;
    std::uint64_t nextCheck_ = kBudgetInterval;
    // With more threads: what they share (nullptr: this one alone), and this thread's nodes
    // already added to their count.
    Shared* shared_ = nullptr;
    std::uint64_t reportedNodes_ = 0;
    Brothers brothers_;
};

}  // namespace orvanta::engine::detail
