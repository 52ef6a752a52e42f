#include "players/move_scores.hpp"

#include <algorithm>

#include "players/levels.hpp"

namespace orvanta {

MoveScore scoreMove(engine::Search& search, const engine::Position& position, int move,
                    const engine::SearchLimits& limits) {
    engine::SearchLimits childLimits = limits;
    childLimits.depth = std::max(limits.depth - 1, 1);
    const engine::Position child = position.after(move);
    if (child.isOver()) {
        return {move, -child.finalScore() * engine::kScoreScale, true, {move}};
    }
    const auto lineOf = [move](std::vector<int> first, const std::vector<int>& rest) {
        first.insert(first.begin(), move);
        first.insert(first.end(), rest.begin(), rest.end());
        return first;
    };
    if (child.mustPass()) {
        // The opponent passes and the mover moves again: the search of the position after the
        // pass is from the mover's own side.
        const engine::SearchResult result = search.run(child.after(engine::kPass), childLimits);
        return {move, result.score, result.exact, lineOf({engine::kPass}, result.pv)};
    }
    const engine::SearchResult result = search.run(child, childLimits);
    return {move, -result.score, result.exact, lineOf({}, result.pv)};
}

std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  const engine::SearchLimits& limits) {
    std::vector<MoveScore> scores;
    for (engine::Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        scores.push_back(scoreMove(search, position, engine::firstSquare(moves), limits));
    }
    std::stable_sort(scores.begin(), scores.end(),
                     [](const MoveScore& a, const MoveScore& b) { return a.score > b.score; });
    return scores;
}

std::vector<MoveScore> scoreMoves(engine::Search& search, const engine::Position& position,
                                  int level) {
    return scoreMoves(search, position, levelLimits(level));
}

}  // namespace orvanta
