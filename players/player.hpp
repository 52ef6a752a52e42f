#pragma once

#include "players/turn.hpp"

namespace orvanta {

// The human's seat: draws the board, prompts and reads one word per prompt. A square such as f5
// is tested and returned when legal; "auto" or "p" hands this one move to the computer; "out",
// or the end of input, returns the quit point (0, 0).
class Player final : public Turn {
  public:
    Point select(Board& board, std::int32_t colour) override;
};

}  // namespace orvanta
