#pragma once

#include <vector>

#include "engine/position.hpp"

namespace orvanta::engine {

// Why a move was refused.
enum class MoveError {
    kNone,
    kGameOver,    // nothing can be played any more
    kNotASquare,  // neither a square index 0..63 nor kPass
    kOccupied,    // the square holds a disc
    kNoCapture,   // the square captures nothing
    kMustMove,    // a pass while the mover has a legal move
};

// A game for front ends: it takes only legal moves and passes, and keeps what was played so
// that moves can be taken back. A pass is legal exactly when the mover has no move and the
// game is not over.
class GameState {
  public:
    GameState() = default;
    explicit GameState(const Position& start) : start_(start), position_(start) {}

    const Position& position() const { return position_; }
    Colour toMove() const { return position_.mover(); }
    bool isOver() const { return position_.isOver(); }
    bool mustPass() const { return position_.mustPass(); }
    Bitboard legalMoves() const { return position_.moves(); }
    // Plays a square or kPass; on an error nothing changes.
    MoveError play(int move);
    // Takes back the last move or pass; false when there is none.
    bool undo();
    // What was played, passes as kPass, from the starting position.
    const std::vector<int>& moves() const { return moves_; }
    const Position& start() const { return start_; }
    int discs(Colour c) const { return popcount(position_.discs(c)); }

  private:
    Position start_;
    Position position_;
    std::vector<int> moves_;
    std::vector<Position> before_;  // the position before each entry of moves_
};

}  // namespace orvanta::engine
