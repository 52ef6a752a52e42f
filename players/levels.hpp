#pragma once

#include <string_view>

#include <cstdint>

#include "engine/probcut.hpp"

namespace orvanta {

// The computer's levels. Level 0 is the randomised corner-first player (PC); levels 1 to 10 are
// the engine, each bound by limits that do not depend on the machine's speed, so that a game
// is the same on every machine: the depth of the mid-game search, the number of empty squares
// from which it plays the end perfectly, a budget of nodes, how far below the best score a move
// may be and still be chosen at random (0: always the best), and how boldly the search prunes.
struct Level {
    int depth;
    int exactEmpties;
    std::uint64_t nodes;
    int spread;  // in hundredths of a disc
    engine::Selectivity selectivity;
};

inline constexpr int kMaxLevel = 10;

// The settings of levels 1 to kMaxLevel.
const Level& levelSettings(int level);

// The level of the engine's advice in player mode (the hint, the review after a game): the
// chosen level, but at least 6, whose advice is sound, and at most 8, which answers within about
// a second on the machines of 2026.
int adviceLevel(int level);

// The computer's name in game records: "orvanta" at level 0, "orvanta-level-N" above.
const char* computerName(int level);
// Whether a record's player is one of the names above.
bool isComputerName(std::string_view name);

}  // namespace orvanta
