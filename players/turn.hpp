#pragma once

#include <cstdint>

#include "board/board.hpp"
#include "board/point.hpp"

namespace orvanta {

// A seat: whatever chooses the moves of one colour.
//
// `select` is called only when `colour` has a legal square on `board`. It returns a legal square
// after having run `Board::canPlace` on exactly that square and colour on `board` as its last
// legality test, so that the board's direction flags describe it and the caller can place it at
// once; or, from a human seat only, the quit point (0, 0), or in player mode kUndoPoint. It never
// changes a cell of `board`.
class Turn {
  public:
    virtual ~Turn() = default;
    virtual Point select(Board& board, std::int32_t colour) = 0;
    // Whether the last move `select` returned was the computer's, chosen for a human who handed
    // it over ("auto"): not the human's own move.
    virtual bool handedOver() const { return false; }
};

// What a human seat in player mode answers to ask the game to take moves back.
inline const Point kUndoPoint(-1, -1);

}  // namespace orvanta
