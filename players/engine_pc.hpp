#pragma once

#include <memory>
#include <optional>

#include "engine/book.hpp"
#include "engine/search.hpp"
#include "players/turn.hpp"

namespace orvanta {

// The computer of levels 1 to 10: the engine's search, bound by the level's limits. At the
// gentle levels it chooses at random among the moves whose scores come close to the best; the
// generator is reseeded for every move, as for the level-0 computer. In test mode it traces
// its search in one line: depth, score, nodes and principal variation. From kFirstBookLevel
// on it plays from `book` while the position is in it (traced as a book move).
class EnginePC final : public Turn {
  public:
    EnginePC(int level, engine::Search& search, engine::Book book = {})
        : level_(level), search_(search), book_(book) {}
    Point select(Board& board, std::int32_t colour) override;

  private:
    int level_;
    engine::Search& search_;
    engine::Book book_;
};

// The computer seat of a level: the level-0 PC, or the engine. `search` is needed from level 1.
std::unique_ptr<Turn> makeComputer(int level, engine::Search* search, engine::Book book = {});

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

// The search limits of a level from 1 on, on `threads` threads: the level's depth and exact
// empties, and its node budget for each thread. Under a clock (`clocked`) the strongest level
// has no node budget: the clock's time is its budget, which a fast machine would otherwise
// leave half unspent.
engine::SearchLimits levelLimits(int level, int threads, bool clocked = false);

// The engine's choice at a level from 1 on, for a position where the mover has a move; draws
// from the process-wide generator at the gentle levels. The search runs on `search`'s threads.
// `stop` and `softStop`, when given, are a clock that cuts the search short (time control: see
// SearchLimits), with the limits of `levelLimits(level, threads, true)`.
engine::SearchResult chooseMove(int level, engine::Search& search, const engine::Position& position,
                                std::function<bool()> stop = {},
                                std::function<bool()> softStop = {});

}  // namespace orvanta
