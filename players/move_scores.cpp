#include "players/move_scores.hpp"

#include <algorithm>

#include "players/levels.hpp"

namespace orvanta {

std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  const engine::SearchLimits& limits) {
    engine::SearchLimits childLimits = limits;
    childLimits.depth = std::max(limits.depth - 1, 1);
    std::vector<MoveScore> scores;
    for (engine::Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        const int move = engine::firstSquare(moves);
        const engine::Position child = position.after(move);
        MoveScore entry{move, 0, true};
        if (child.isOver()) {
            entry.score = -child.finalScore() * engine::kScoreScale;
        } else if (child.mustPass()) {
            // The opponent passes and the mover moves again: the search of the position after
            // the pass is from the mover's own side.
            const engine::SearchResult result = search.run(child.after(engine::kPass), childLimits);
            entry.score = result.score;
            entry.exact = result.exact;
        } else {
            const engine::SearchResult result = search.run(child, childLimits);
            entry.score = -result.score;
            entry.exact = result.exact;
        }
        scores.push_back(entry);
    }
    std::stable_sort(scores.begin(), scores.end(),
                     [](const MoveScore& a, const MoveScore& b) { return a.score > b.score; });
    return scores;
}

std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  int level) {
    const Level& settings = levelSettings(level);
    engine::SearchLimits limits;
    limits.depth = settings.depth;
    limits.exactEmpties = settings.exactEmpties;
    limits.nodes = settings.nodes;
    return scoreMoves(search, position, limits);
}

}  // namespace orvanta
