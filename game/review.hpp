#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/position.hpp"
#include "engine/search.hpp"
#include "players/move_scores.hpp"

namespace orvanta {

// The level a review searches at unless told otherwise: about a second a move on two cores
// (figures in doc/benchmarks.md).
inline constexpr int kDefaultReviewLevel = 9;
// From kDeepReviewLevel on, a review solves every position from kReviewExactEmpties empty
// squares on, deeper than the level plays: a lesson should not rest on an estimate where the
// exact answer is affordable.
inline constexpr int kDeepReviewLevel = 9;
inline constexpr int kReviewExactEmpties = 22;
// The threads that share a review's positions unless told (--threads).
inline constexpr int kDefaultReviewThreads = 2;

// The search limits of a review at `level`, for a search on `threads` threads (a node budget
// counts every thread's nodes).
engine::SearchLimits reviewLimits(int level, int threads = 1);
// The table of each search of a review that may use `hashBytes` in all. A position's review
// depends on its table's size (under a node budget, what the table keeps changes the search), so
// every search of a review uses this size: the review of a game, its background and the hint.
std::size_t reviewTableBytes(std::size_t hashBytes);

// One position of a game to review: all its moves scored, or only the move played (for the
// chart, after a colour that is not reviewed).
struct ReviewJob {
    engine::Position position;
    int move = engine::kPass;
    bool allMoves = false;
};

// What reviewing positions gave, kept for a later review of the same game at the same level: its
// results are the same whenever and on whichever thread they were found, since every position
// is searched alone from a cleared table. Safe to share among threads.
class ReviewCache {
  public:
    // The scores of a job: every move best first, or the move played alone. Nothing when the
    // position has not been reviewed.
    std::optional<std::vector<MoveScore>> find(const ReviewJob& job) const;
    void keep(const ReviewJob& job, std::vector<MoveScore> scores);

  private:
    // The position with its mover (white's are searched a ply less deep), and the move played
    // or -1 for all of them.
    using Key = std::tuple<engine::Bitboard, engine::Bitboard, int, int>;
    static Key keyOf(const ReviewJob& job);
    mutable std::mutex mutex_;
    std::map<Key, std::vector<MoveScore>> scores_;
};

// Reviews one position with `search`, cleared first: what a review of the game finds there.
std::vector<MoveScore> reviewPosition(engine::Search& search, const ReviewJob& job,
                                      const engine::SearchLimits& limits);

// A game's values as analysis GUIs draw them on their score graphs (NBoard's Analyze Game), the
// last first: the value of the position after each move, from black's side, then of `start`.
// After a move it is the review's score of the move played (reviewPosition); the start's is its
// best move's, or its score when the game is over there. `found(n, score)` is told each value
// as soon as it is known, n the moves played before the position (passes counted); false ends
// the analysis. `moves` are legal in turn from `start`.
void analyseBackwards(engine::Search& search, const engine::Position& start,
                      const std::vector<int>& moves, const engine::SearchLimits& limits,
                      const std::function<bool(std::size_t, int)>& found);

// One move of a reviewed colour: what was played and what the engine prefers, each with its
// score for the player who moved.
struct ReviewedMove {
    int number = 0;             // in the game, from 1; passes are not counted
    engine::Position position;  // before the move
    engine::Colour colour = engine::Colour::kBlack;
    MoveScore played;
    MoveScore best;
    bool handedOver = false;  // the computer's move for a human: listed, not counted
};

struct Review {
    std::array<bool, 2> reviewed{};   // black, white
    std::vector<ReviewedMove> moves;  // every move of a reviewed colour, in game order
    std::vector<int> chart;           // after each move (not the passes), the score from
                                      // black's side, in 1/engine::kScoreScale discs: the
                                      // move played's, or before a reviewed move that follows
                                      // one not reviewed, the reviewed side's best
};

// Reviews a game: `moves` are the squares and passes (engine::kPass) played from `start`, each
// legal in turn. Every position where a reviewed colour moves gets all its moves scored at
// `level` (exact where the level solves); after the other colour's moves only the move played is
// scored, for the chart. `threads` threads share the positions, each with its own search on one
// thread and a table of reviewTableBytes(hashBytes), cleared before each position: the result
// is the same whatever the timing and the number of threads.
// Positions found in `cache` are taken from it. The moves i for which `handedOver[i]` is true
// (when it has an entry i) were the computer's, chosen for the player.
Review reviewGame(const engine::Position& start, const std::vector<int>& moves,
                  std::array<bool, 2> reviewed, int level, std::size_t hashBytes,
                  const ReviewCache* cache = nullptr, const std::vector<bool>& handedOver = {},
                  int threads = kDefaultReviewThreads);

// The review as the screen shows it, in UTF-8, one string a line: the moves that lost at least
// one disc against the best (the three worst marked), or a line saying there were none; the
// discs lost by each reviewed colour; the chart of the score through the game. A move handed
// over to the computer is tagged as the computer's and counts in neither the marks nor the
// losses.
std::vector<std::string> reviewLines(const Review& review);

// A whole score in discs, rounded half away from zero.
int wholeDiscs(int score);

// Writes the heading, reviews the game, and writes the review through the console (after a game
// in player mode, and for --review).
// Returns the review shown.
Review showReview(const engine::Position& start, const std::vector<int>& moves,
                  std::array<bool, 2> reviewed, int level, std::size_t hashBytes,
                  const ReviewCache* cache = nullptr, const std::vector<bool>& handedOver = {},
                  int threads = kDefaultReviewThreads);

}  // namespace orvanta
