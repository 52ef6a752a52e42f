#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/position.hpp"
#include "players/move_scores.hpp"

namespace orvanta {

// The level a review searches at unless told otherwise: about a second a move on two cores
// (figures in the README).
inline constexpr int kDefaultReviewLevel = 9;

// One move of a reviewed colour: what was played and what the engine prefers, each with its
// score for the player who moved.
struct ReviewedMove {
    int number = 0;  // in the game, from 1; passes are not counted
    engine::Colour colour = engine::Colour::kBlack;
    MoveScore played;
    MoveScore best;
};

struct Review {
    std::array<bool, 2> reviewed{};   // black, white
    std::vector<ReviewedMove> moves;  // every move of a reviewed colour, in game order
    std::vector<int> chart;           // after each move (not the passes), the score from
                                      // black's side, in 1/engine::kScoreScale discs
};

// Reviews a game: `moves` are the squares and passes (engine::kPass) played from `start`, each
// legal in turn. Every position where a reviewed colour moves gets all its moves scored at
// `level` (exact where the level solves); after the other colour's moves only the move played is
// scored, for the chart. Two threads share the positions, each with its own search and half of
// `hashBytes` for its table, cleared before each position: the result is the same whatever the
// timing.
Review reviewGame(const engine::Position& start, const std::vector<int>& moves,
                  std::array<bool, 2> reviewed, int level, std::size_t hashBytes);

// The review as the screen shows it, in UTF-8, one string a line: the moves that lost at least
// one disc against the best (the three worst marked), or a line saying there were none; the
// discs lost by each reviewed colour; the chart of the score through the game.
std::vector<std::string> reviewLines(const Review& review);

// A whole score in discs, rounded half away from zero.
int wholeDiscs(int score);

// Writes the heading, reviews the game, and writes the review through the console (after a game
// in player mode, and for --review).
void showReview(const engine::Position& start, const std::vector<int>& moves,
                std::array<bool, 2> reviewed, int level, std::size_t hashBytes);

}  // namespace orvanta
