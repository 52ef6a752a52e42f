#pragma once

#include <vector>

#include "engine/position.hpp"
#include "engine/search.hpp"

namespace orvanta {

// One legal move with the engine's score for the player who makes it.
struct MoveScore {
    int move = engine::kPass;  // a square (engine numbering: a1 = 0, h8 = 63)
    int score = 0;             // for the mover, in 1/engine::kScoreScale discs
    bool exact = false;        // the result under perfect play to the end of the game
    std::vector<int> line;     // the move and the best play after it that the search found
                               // (passes as engine::kPass); may end early
};

// Every legal move of `position` with its score, best first (equal scores in square order);
// empty when the mover has no move. Each move's position is searched with `limits` one ply
// shallower (depth - 1, at least 1), so that the scores compare with each other; where its
// empties are within limits.exactEmpties it is solved, and `exact` says so (unless the node
// budget or `stop` cut the solve short). The limits apply to each move's search: the whole
// costs about as many searches as there are moves. The table carries over between the searches;
// clear it first for results that do not depend on earlier searches.
std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  const engine::SearchLimits& limits);

// The score of one legal move as scoreMoves gives it.
MoveScore scoreMove(engine::Search& search, const engine::Position& position, int move,
                    const engine::SearchLimits& limits);

// The same with the limits of a computer level (1 to kMaxLevel) on one thread (levels.hpp). On one
// core of the development machine, over the positions of an engine game, level 6 took 12 ms a
// position on average (75 ms at most) and level 8 0.3 s (1.05 s at most).
std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  int level);

}  // namespace orvanta
