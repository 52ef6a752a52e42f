#pragma once

#include <random>
#include <vector>

#include "engine/game_state.hpp"

namespace orvanta::testing {

// One of `moves` drawn uniformly, or a pass when there is none.
inline int randomMove(engine::Bitboard moves, std::mt19937& random) {
    if (moves == 0) {
        return engine::kPass;
    }
    for (auto skip = random() % static_cast<unsigned>(engine::popcount(moves)); skip > 0; --skip) {
        moves &= moves - 1;
    }
    return engine::firstSquare(moves);
}

// Every position of `games` games played with uniformly random legal moves (passes when forced),
// the same for the same seed.
inline std::vector<engine::Position> randomGamePositions(unsigned seed, int games) {
    std::mt19937 random(seed);
    std::vector<engine::Position> positions;
    for (int g = 0; g < games; ++g) {
        engine::GameState game;
        positions.push_back(game.position());
        while (!game.isOver()) {
            game.play(randomMove(game.legalMoves(), random));
            positions.push_back(game.position());
        }
    }
    return positions;
}

// Every n-th position of seeded random games that has a move, with its empties in [low, high].
inline std::vector<engine::Position> samplePositions(unsigned seed, int games, int every, int low,
                                                     int high) {
    std::vector<engine::Position> chosen;
    int seen = 0;
    for (const engine::Position& p : randomGamePositions(seed, games)) {
        if (p.moves() != 0 && p.empties() >= low && p.empties() <= high && ++seen % every == 0) {
            chosen.push_back(p);
        }
    }
    return chosen;
}

}  // namespace orvanta::testing
