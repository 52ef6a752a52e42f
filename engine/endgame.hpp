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

#include "engine/best_first.hpp"
#include "engine/eval.hpp"
#include "engine/kernels.hpp"
#include "engine/parity.hpp"
#include "engine/rules.hpp"
#include "engine/solve.hpp"
#include "engine/stability.hpp"
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
// With more threads (Young Brothers Wait): a node of kSplitEmpties or more searches its first
// move alone; then, if a thread is idle, it opens a split point and its remaining moves go to
// whichever thread of the crew asks first, each searched by that thread alone against the
// split point's alpha, which every result raises. A move that beats beta cuts the split point:
// the threads still searching below it give up (their results are not stored) and its owner
// returns. A thread waiting for its split point's last moves helps only below it, so that it is
// free again as soon as they are done. The table is shared; each thread has its own counters.
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
        Crew crew(budget);
        Endgame search(table, budget, &crew);
        try {
            Scored root{};
            {
                const Helpers helpers(table, crew, budget.threads - 1);
                root = search.pvs(player, opponent, alpha, beta, Rules::moves(player, opponent));
            }
            return {root.score, root.move, search.unreported() + crew.reported.load()};
        } catch (const SolveAbandoned&) {
            throw SolveAbandoned{search.unreported() + crew.reported.load()};
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
    // Ordering values: the table's move before all; then fewer replies (corners count twice),
    // fewer empty squares next to the mover's discs (where replies come from later), and a move
    // into an odd quadrant; at many empties, minus the child's evaluation for the opponent, at
    // one unit for kScorePerValue hundredths of a disc (a disc weighs a little more than a
    // reply). Measured on FFO 20-39: dividing by 5 searched fewer nodes than by 1, 3, 10 or 20.
    static constexpr int kHashMoveValue = 1 << 20;
    static constexpr int kReplyWeight = 16;
    static constexpr int kFrontierWeight = 4;
    static constexpr int kParityBonus = 8;
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

    // The legal moves with their children's moves, taken best first.
    class MoveList {
      public:
        MoveList(Bitboard player, Bitboard opponent, Bitboard moves, int hashMove) {
            const Bitboard odd = oddQuadrants(~(player | opponent));
            for (; moves != 0; moves &= moves - 1) {
                Candidate& c = items_[size_++];
                c.square = firstSquare(moves);
                c.flipped = Rules::flips(player, opponent, c.square);
                c.replies = Rules::moves(opponent ^ c.flipped, player ^ c.flipped ^ bit(c.square));
                if (c.square == hashMove) {
                    c.value = kHashMoveValue;
                    continue;
                }
                const Bitboard mine = player ^ c.flipped ^ bit(c.square);
                const Bitboard frontier = neighbours(mine) & ~(mine | opponent);
                c.value = -kReplyWeight * (popcount(c.replies) + popcount(c.replies & kCorners)) -
                          kFrontierWeight * popcount(frontier) +
                          ((odd & bit(c.square)) != 0 ? kParityBonus : 0);
            }
        }
        // Adds `score(child)` (the child's worth for the opponent, in 1/kScoreScale discs)
        // to every move's value but the table's move.
        template <class Score>
        void addChildScores(Bitboard player, Bitboard opponent, Score score) {
            for (std::size_t i = 0; i < size_; ++i) {
                Candidate& c = items_[i];
                if (c.value != kHashMoveValue) {
                    c.value -=
                        score(childPlayer(opponent, c), childOpponent(player, c)) / kScorePerValue;
                }
            }
        }
        // A score above alpha that the table proves for one of the moves, or kNoScore.
        int knownCut(const TranspositionTable& table, Bitboard player, Bitboard opponent,
                     int alpha) const {
            for (std::size_t i = 0; i < size_; ++i) {
                const Candidate& c = items_[i];
                const auto known = table.probe(childPlayer(opponent, c), childOpponent(player, c));
                if (known && known->depth == TranspositionTable::kSolvedDepth &&
                    -known->upper > alpha) {
                    return -known->upper;
                }
            }
            return kNoScore;
        }
        // The best remaining move, or nullptr.
        const Candidate* next() { return takeBest(items_, size_, taken_); }
        bool empty() const { return taken_ == size_; }

      private:
        std::array<Candidate, kMaxMoves> items_;
        std::size_t size_ = 0;
        std::size_t taken_ = 0;
    };

    // A node whose remaining moves are shared among threads. It lives on its owner's stack until
    // no other thread searches one of its moves.
    struct SplitPoint {
        SplitPoint* parent;  // the split point its owner searches under, or nullptr
        Bitboard player;
        Bitboard opponent;
        // Guarded by the crew's mutex:
        MoveList* list;  // the moves not yet taken
        int alpha;       // raised by every better result
        int beta;
        Scored best;
        int workers = 0;  // threads other than the owner searching one of its moves
        // Set when a move beats beta (or the owner gives up): its searches end.
        std::atomic<bool> cut{false};
    };
    // What the threads of one solve share.
    struct Crew {
        explicit Crew(const SolveBudget& owner) : helperBudget(helpersOf(owner)) {}
        // The helpers' budget: the owner's move order, and no limits (only the owner watches
        // them).
        static SolveBudget helpersOf(const SolveBudget& owner) {
            SolveBudget budget;
            budget.ordering = owner.ordering;
            return budget;
        }

        std::mutex mutex;
        std::condition_variable changed;  // a split point opened, a helper left one, or finished
        std::vector<SplitPoint*> open;    // guarded: split points that may still have moves
        bool finished = false;            // guarded: the helpers leave
        std::atomic<int> idle{0};         // changed under the mutex; read without it as a hint
        // The caller gave up (budget or stop): every thread's search ends.
        std::atomic<bool> abandoned{false};
        std::atomic<std::uint64_t> reported{0};  // nodes counted by all threads so far
        const SolveBudget helperBudget;
    };
    // Thrown through a thread's search when a split point above it is cut or the solve is
    // abandoned.
    struct Cut {};
    // The helper threads of one solve, serving the crew until it is destroyed, however the
    // search ends.
    class Helpers {
      public:
        Helpers(TranspositionTable& table, Crew& crew, int count) : crew_(crew) {
            threads_.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                try {
                    threads_.emplace_back([&table, &crew] {
                        Endgame helper(table, crew.helperBudget, &crew);
                        helper.serve();
                    });
                } catch (const std::system_error&) {
                    break;  // no more threads to be had: the owner and those started do the work
                }
            }
        }
        Helpers(const Helpers&) = delete;
        Helpers& operator=(const Helpers&) = delete;
        ~Helpers() {
            {
                const std::lock_guard lock(crew_.mutex);
                crew_.finished = true;
            }
            crew_.changed.notify_all();
            threads_.clear();
        }

      private:
        Crew& crew_;
        std::vector<std::jthread> threads_;
    };

    Endgame(TranspositionTable& table, const SolveBudget& budget, Crew* crew)
        : table_(table),
          budget_(budget),
          weights_(budget.ordering ? *budget.ordering : builtinWeights()),
          crew_(crew) {}

    std::uint64_t unreported() const { return nodes_ - reportedNodes_; }

    // Whether a split point from `point` up is cut or the solve abandoned.
    bool cutFrom(const SplitPoint* point) const {
        if (crew_->abandoned.load(std::memory_order_relaxed)) {
            return true;
        }
        for (; point != nullptr; point = point->parent) {
            if (point->cut.load(std::memory_order_relaxed)) {
                return true;
            }
        }
        return false;
    }

    // Whether a node should share the moves left in `list` now.
    bool shouldSplit(int empties, const MoveList& list) const {
        return crew_ != nullptr && empties >= kSplitEmpties && !list.empty() &&
               crew_->idle.load(std::memory_order_relaxed) > 0;
    }

    // An open split point with moves left, below `within` if given; nullptr if none. Called
    // under the crew's mutex.
    SplitPoint* findOpen(const SplitPoint* within) const {
        for (SplitPoint* point : crew_->open) {
            if (point->list->empty() || point->cut.load(std::memory_order_relaxed)) {
                continue;
            }
            const SplitPoint* above = point->parent;
            while (within != nullptr && above != nullptr && above != within) {
                above = above->parent;
            }
            if (within == nullptr || above == within) {
                return point;
            }
        }
        return nullptr;
    }

    // Searches moves of `point` until none is left or it is cut. A cut of the point itself ends
    // this normally; a cut above it throws Cut.
    void searchMoves(SplitPoint& point) {
        SplitPoint* const outer = std::exchange(current_, &point);
        struct Restore {
            Endgame& search;
            SplitPoint* outer;
            ~Restore() { search.current_ = outer; }
        } restore{*this, outer};
        for (;;) {
            const Candidate* c = nullptr;
            int alpha = 0;
            {
                const std::lock_guard lock(crew_->mutex);
                if (point.cut.load(std::memory_order_relaxed) ||
                    (c = point.list->next()) == nullptr) {
                    return;
                }
                alpha = point.alpha;
            }
            const Bitboard p = childPlayer(point.opponent, *c);
            const Bitboard o = childOpponent(point.player, *c);
            int score = 0;
            try {
                score = -nws(p, o, -alpha - 1, c->replies);
                if (score > alpha && score < point.beta) {
                    score = -pvs(p, o, -point.beta, -alpha, c->replies).score;
                }
            } catch (const Cut&) {
                if (cutFrom(point.parent)) {
                    throw;
                }
                return;
            }
            const std::lock_guard lock(crew_->mutex);
            if (score > point.best.score) {
                point.best = {score, c->square};
                point.alpha = std::max(point.alpha, score);
                if (point.alpha >= point.beta) {
                    point.cut.store(true, std::memory_order_relaxed);
                }
            }
        }
    }

    // Searches moves of `point` as a helper; `lock` holds the crew's mutex, and this thread is
    // counted idle. A cut ends it quietly; the caller's giving up (budget, stop) goes on up.
    void join(SplitPoint& point, std::unique_lock<std::mutex>& lock) {
        ++point.workers;
        --crew_->idle;
        lock.unlock();
        std::exception_ptr failure;
        try {
            searchMoves(point);
        } catch (const Cut&) {
            // the work is no longer wanted
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        --point.workers;
        ++crew_->idle;
        crew_->changed.notify_all();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

    // A helper's life: joins split points until the crew is finished.
    void serve() {
        std::unique_lock lock(crew_->mutex);
        ++crew_->idle;
        while (!crew_->finished) {
            if (SplitPoint* point = findOpen(nullptr)) {
                join(*point, lock);
            } else {
                crew_->changed.wait(lock);
            }
        }
        --crew_->idle;
        crew_->reported += nodes_ - reportedNodes_;
    }

    // The moves left in `list` after the first (whose result is `best`), shared with idle
    // threads within (alpha, beta); the node's result, as the sequential loop would give it.
    Scored split(Bitboard player, Bitboard opponent, int alpha, int beta, MoveList& list,
                 Scored best) {
        SplitPoint point{current_, player, opponent, &list, alpha, beta, best};
        std::unique_lock lock(crew_->mutex);
        crew_->open.push_back(&point);
        crew_->changed.notify_all();
        lock.unlock();
        std::exception_ptr failure;
        try {
            searchMoves(point);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        std::erase(crew_->open, &point);
        if (failure) {
            point.cut.store(true, std::memory_order_relaxed);
        }
        // Wait for the helpers, helping below this point meanwhile.
        ++crew_->idle;
        while (point.workers > 0) {
            if (SplitPoint* below = findOpen(&point)) {
                try {
                    join(*below, lock);
                } catch (...) {
                    failure = std::current_exception();
                    point.cut.store(true, std::memory_order_relaxed);
                }
            } else {
                crew_->changed.wait(lock);
            }
        }
        --crew_->idle;
        if (failure) {
            std::rethrow_exception(failure);
        }
        // A helper that gave up because of a cut above left its move unsearched.
        if (cutFrom(point.parent)) {
            throw Cut{};
        }
        return point.best;
    }

    // From kEvalOrderEmpties on, each move's value also weighs what the evaluation thinks of
    // its child, after a search of 0, 1 or 2 plies by the number of empties: there a good
    // first move saves far more than the few evaluations cost.
    void sortByEvaluation(MoveList& list, Bitboard player, Bitboard opponent) {
        const int empties = popcount(~(player | opponent));
        if (empties < kEvalOrderEmpties) {
            return;
        }
        const int depth = empties >= kTwoPlyOrderEmpties   ? 2
                          : empties >= kOnePlyOrderEmpties ? 1
                                                           : 0;
        list.addChildScores(player, opponent, [this, depth](Bitboard p, Bitboard o) {
            return shallow(p, o, depth, -kInfinity, kInfinity);
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
        if (crew_ != nullptr && cutFrom(current_)) {
            throw Cut{};
        }
        if (nodes_ < nextCheck_) {
            return;
        }
        nextCheck_ = nodes_ + kBudgetInterval;
        std::uint64_t spent = nodes_;
        if (crew_ != nullptr) {
            crew_->reported += nodes_ - reportedNodes_;
            reportedNodes_ = nodes_;
            spent = crew_->reported.load();
        }
        if ((budget_.nodes != 0 && spent >= budget_.nodes) || (budget_.stop && budget_.stop())) {
            if (crew_ != nullptr) {
                crew_->abandoned = true;
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
        MoveList list(player, opponent, moves, hashMove);
        sortByEvaluation(list, player, opponent);
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
        MoveList list(player, opponent, moves, hashMove);
        if (hashed && empties >= kEtcEmpties) {
            if (const int cut = list.knownCut(table_, player, opponent, alpha); cut != kNoScore) {
                return cut;
            }
        }
        sortByEvaluation(list, player, opponent);
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
    // With more threads: what they share (nullptr: this one alone), the split point this
    // thread searches under, and its nodes already added to the crew's count.
    Crew* crew_ = nullptr;
    SplitPoint* current_ = nullptr;
    std::uint64_t reportedNodes_ = 0;
};

}  // namespace orvanta::engine::detail
