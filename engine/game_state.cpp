#include "engine/game_state.hpp"

namespace orvanta::engine {

MoveError GameState::play(int move) {
    if (move < 0 || move > kPass) {
        return MoveError::kNotASquare;
    }
    if (position_.isOver()) {
        return MoveError::kGameOver;
    }
    if (move == kPass) {
        if (position_.moves() != 0) {
            return MoveError::kMustMove;
        }
    } else if ((position_.empty() & bit(move)) == 0) {
        return MoveError::kOccupied;
    } else if (position_.flipsOf(move) == 0) {
        return MoveError::kNoCapture;
    }
    before_.push_back(position_);
    moves_.push_back(move);
    position_ = position_.after(move);
    return MoveError::kNone;
}

bool GameState::undo() {
    if (moves_.empty()) {
        return false;
    }
    position_ = before_.back();
    before_.pop_back();
    moves_.pop_back();
    return true;
}

}  // namespace orvanta::engine
