#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/eval.hpp"
#include "engine/kernels.hpp"
#include "engine/position.hpp"
#include "engine/probcut.hpp"
#include "engine/threads.hpp"
#include "engine/transposition.hpp"

namespace orvanta::engine {

// How far one search may go. Without `stop` a search is deterministic: the same position,
// limits and table contents give the same move, score and node count on every machine.
struct SearchResult;

struct SearchLimits {
    // The deepest iteration of the mid-game search, in plies.
    int depth = 1;
    // With at most this many empty squares the search solves the position exactly instead.
    int exactEmpties = 0;
    // The search gives up once it has spent this many nodes (0: no limit) and returns the last
    // finished iteration; the first iteration (one ply) always finishes. Nodes of the exact
    // solver are cheaper and count a quarter each.
    std::uint64_t nodes = 0;
    // Polled now and then during the search; true abandons the iteration under way (time
    // control). The move is the last finished iteration's, or the one that the abandoned
    // iteration has already proved better. May be empty.
    std::function<bool()> stop;
    // Asked after each finished iteration: true ends the search there rather than begin another
    // that would likely be cut short (time control's soft limit). May be empty.
    std::function<bool()> softStop;
    // Told the result of each finished iteration, on the calling thread (an analysis that grows
    // while the engine thinks). May be empty.
    std::function<void(const SearchResult&)> onIteration;
    // Forward pruning (multi-ProbCut, see probcut.hpp): a node is settled by a shallow search
    // that predicts a score this far beyond its window; kNone searches every move.
    Selectivity selectivity = Selectivity::k15;
};

struct SearchResult {
    int move = kPass;  // the best move; kPass when the mover must pass or the game is over
    int score = 0;     // for the mover, in 1/kScoreScale discs
    int depth = 0;     // of the last finished iteration, in plies; the empties when exact
    bool exact = false;
    std::uint64_t nodes = 0;
    std::vector<int> pv;  // the principal variation, starting with `move`
};

// The mid-game search: iterative deepening NegaScout with the endgame solver taking over near
// the end. It owns its transposition table, which carries over from one search to the next
// (clear it for a new game to keep results independent of earlier games).
//
// On more than one thread, `run` shares the moves of its nodes with its helpers (Young Brothers
// Wait, threads.hpp), in the mid-game as in the endgame solver. Node budgets count every
// thread's nodes, `stop` and `softStop` end them all and are only called on the calling thread.
// The move, score and node count may then differ from run to run; on one thread they do not.
class Search {
  public:
    // With the built-in weights and the cut statistics fitted for them.
    explicit Search(std::size_t hashBytes) : Search(hashBytes, builtinWeights(), builtinCuts()) {}
    // With other weights and the statistics of their cuts (an empty table: no forward pruning).
    Search(std::size_t hashBytes, EvalWeights weights, CutTable cuts, Isa isa = bestIsa())
        : table_(hashBytes), weights_(weights), cuts_(cuts), isa_(isa) {}

    SearchResult run(const Position& position, const SearchLimits& limits);
    // Every legal move with its score after a search of `depth` plies, best first (weak levels
    // choose among them). Empty when the mover has no move.
    std::vector<std::pair<int, int>> rootScores(const Position& position, int depth,
                                                Selectivity selectivity = Selectivity::kNone);
    void clear() { table_.clear(); }
    // The threads `run` searches on, from 1 (the default): the calling one and workers started
    // here once and kept (fewer if the system refuses them).
    void setThreads(int threads);
    int threads() const { return threads_; }
    // The nodes the last call of `run` or `rootScores` searched.
    std::uint64_t lastNodes() const { return lastNodes_; }

  private:
    TranspositionTable table_;
    EvalWeights weights_;
    CutTable cuts_;
    Isa isa_;
    int threads_ = 1;
    std::unique_ptr<ThreadPool> pool_;
    std::uint64_t lastNodes_ = 0;
};

// The static evaluation of a position for the mover, in 1/kScoreScale discs, with the built-in
// weights (a finished game gets its exact score).
int evaluate(const Position& position);

}  // namespace orvanta::engine
