#pragma once

#include "game/review.hpp"

namespace orvanta {

// A listed move of a review on the board: a heading with the move's line of the review, the
// board before the move with the best moves (all that share the best score) marked ◎ and the
// move played ＊, then the move played and the best move with their scores and the best line.
void showReviewedMove(const ReviewedMove& move);

// Every listed move of `review` so, one after the other (--review --boards).
void showReviewBoards(const Review& review);

// Lets the player walk a review's listed moves at the console: Enter or n the next, p the
// previous, a number the move of that number (any reviewed move), q back. Returns at q or the
// end of input; does nothing when the review lists no move.
void walkReview(const Review& review);

}  // namespace orvanta
