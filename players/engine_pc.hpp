#pragma once

#include <memory>

#include "engine/search.hpp"
#include "players/turn.hpp"

namespace orvanta {

// The computer of levels 1 to 10: the engine's search, bound by the level's limits. At the
// gentle levels it chooses at random among the moves whose scores come close to the best; the
// generator is reseeded for every move, as for the level-0 computer. In test mode it traces
// its search in one line: depth, score, nodes and principal variation.
class EnginePC final : public Turn {
  public:
    EnginePC(int level, engine::Search& search) : level_(level), search_(search) {}
    Point select(Board& board, std::int32_t colour) override;

  private:
    int level_;
    engine::Search& search_;
};

// The computer seat of a level: the level-0 PC, or the engine. `search` is needed from level 1.
std::unique_ptr<Turn> makeComputer(int level, engine::Search* search);

// The engine's choice at a level from 1 on, for a position where the mover has a move; draws
// from the process-wide generator at the gentle levels. `stop` and `softStop`, when given, cut the
// search short (time control: see SearchLimits).
engine::SearchResult chooseMove(int level, engine::Search& search, const engine::Position& position,
                                std::function<bool()> stop = {},
                                std::function<bool()> softStop = {});

}  // namespace orvanta
