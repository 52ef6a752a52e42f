#pragma once

#include "engine/search.hpp"
#include "players/turn.hpp"

namespace orvanta {

// The human's seat: draws the board, prompts and reads one word per prompt. A square such as f5
// is tested and returned when legal; "auto" or "p" hands this one move to the computer of the
// given level; "out", or the end of input, returns the quit point (0, 0).
class Player final : public Turn {
  public:
    explicit Player(int level = 0, engine::Search* search = nullptr)
        : level_(level), search_(search) {}
    Point select(Board& board, std::int32_t colour) override;

  private:
    int level_;
    engine::Search* search_;
};

}  // namespace orvanta
