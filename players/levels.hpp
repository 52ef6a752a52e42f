#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/book.hpp"
#include "engine/position.hpp"
#include "engine/probcut.hpp"
#include "engine/search.hpp"
#include "engine/time_manager.hpp"

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

// The search limits of a level from 1 on, on `threads` threads: the level's depth, exact empties
// and pruning, and its node budget for each thread (more threads search more in about the same
// time, rather than the same in less). Under a clock (`clocked`) the strongest level has no node
// budget: the clock's time is its budget, which a fast machine would otherwise leave half
// unspent.
engine::SearchLimits levelLimits(int level, int threads = 1, bool clocked = false);

// The engine's choice at a level from 1 on, for a position where the mover has a move; draws
// from the process-wide generator at the gentle levels. The search runs on `search`'s threads
// with levelLimits(level, threads, clock given), kept to the move's `deadline` when given (a
// game's clock, engine/time_manager.hpp).
engine::SearchResult chooseMove(int level, engine::Search& search, const engine::Position& position,
                                const std::optional<engine::Deadline>& deadline = std::nullopt);

// The strong levels play from the book: their own search, at most 9 plies and 1 M nodes at
// level 7, sees less than the book's 14-ply searches at its leaves carried back by negamax, and
// a book move costs no time. The gentle levels keep their own, weaker and varied, play.
inline constexpr int kFirstBookLevel = 7;
// Below the top level, any book move within this many hundredths of a disc of the best may be
// chosen, each as likely, so that games vary; the top level plays the best.
inline constexpr int kBookSpread = 100;

// The book's move at `level` for a position in the book (depth 0, the score the book's, the
// move alone as its line), or nothing: a level below kFirstBookLevel, or a position out of the
// book. Below kMaxLevel it draws from the process-wide generator.
std::optional<engine::SearchResult> bookMove(int level, const engine::Book& book,
                                             const engine::Position& position);

// The level of the engine's advice in player mode (the hint, the review after a game): the
// chosen level, but at least 6, whose advice is sound, and at most 8, which answers within about
// a second on the machines of 2026.
int adviceLevel(int level);

// The computer's name in game records: "orvanta" at level 0, "orvanta-level-N" above.
const char* computerName(int level);
// Whether a record's player is one of the names above.
bool isComputerName(std::string_view name);

}  // namespace orvanta
