#pragma once

#include <memory>

#include "engine/book.hpp"
#include "engine/search.hpp"
#include "players/turn.hpp"

namespace orvanta {

// The computer of levels 1 to 10: the engine's search, bound by the level's limits. At the
// gentle levels it chooses at random among the moves whose scores come close to the best; the
// generator is reseeded for every move, as for the level-0 computer. In test mode it traces
// its search in one line: depth, score, nodes and principal variation. From kFirstBookLevel
// on it plays from `book` while the position is in it (traced as a book move). The level's
// policy is in levels.hpp.
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

}  // namespace orvanta
