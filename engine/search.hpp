#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/position.hpp"
#include "engine/transposition.hpp"

namespace orvanta::engine {

// Scores of the mid-game search are in hundredths of a disc, from the mover's side; an exact
// result is its final disc difference times kScoreScale.
inline constexpr int kScoreScale = 100;

// How far one search may go. Without `stop` a search is deterministic: the same position,
// limits and table contents give the same move, score and node count on every machine.
struct SearchLimits {
    // The deepest iteration of the mid-game search, in plies.
    int depth = 1;
    // With at most this many empty squares the search solves the position exactly instead.
    int exactEmpties = 0;
    // No new iteration starts once this many nodes are spent (0: no limit); an iteration under
    // way is finished.
    std::uint64_t nodes = 0;
    // Polled now and then during the search; true abandons the iteration under way and returns
    // the last finished one (time control). May be empty.
    std::function<bool()> stop;
};

struct SearchResult {
    int move = kPass;  // the best move; kPass when the mover must pass or the game is over
    int score = 0;     // for the mover, in 1/kScoreScale discs
    int depth = 0;     // of the last finished iteration, in plies; the empties when exact
    bool exact = false;
    std::uint64_t nodes = 0;
    std::vector<int> pv;  // the principal variation, starting with `move`
};

// The mid-game search: iterative deepening with the endgame solver taking over near the end.
// It owns its transposition table, which carries over from one search to the next (clear it
// for a new game to keep results independent of earlier games).
class Search {
  public:
    explicit Search(std::size_t hashBytes) : table_(hashBytes) {}

    SearchResult run(const Position& position, const SearchLimits& limits);
    // Every legal move with its score after a search of `depth` plies, best first (weak levels
    // choose among them). Empty when the mover has no move.
    std::vector<std::pair<int, int>> rootScores(const Position& position, int depth);
    void clear() { table_.clear(); }
    // The nodes the last call of `run` or `rootScores` searched.
    std::uint64_t lastNodes() const { return lastNodes_; }

  private:
    TranspositionTable table_;
    std::uint64_t lastNodes_ = 0;
};

// The static evaluation of a position for the mover, in 1/kScoreScale discs.
int evaluate(const Position& position);

}  // namespace orvanta::engine
