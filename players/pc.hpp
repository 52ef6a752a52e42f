#pragma once

#include "players/turn.hpp"

namespace orvanta {

// The computer's seat: a randomised, corner-first search. It tries corners first, keeps away from
// the squares next to an empty corner until it has tried many others, and when it lands on one
// of the eight edge squares beside a corner it simulates all eight and takes the one that gains
// the most stones. The generator is reseeded from the clock at every call, so a choice is
// reproducible from the second it was made in.
class PC final : public Turn {
  public:
    Point select(Board& board, std::int32_t colour) override;
};

}  // namespace orvanta
