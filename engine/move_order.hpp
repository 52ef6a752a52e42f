#pragma once

// The order in which a search tries a node's moves, shared by the mid-game search and the
// endgame solver. The table's move goes first, before any other move is valued: it often settles
// the node alone, and then valuing the others would be wasted. The rest go best first by a value
// that each search gives in its own way (a shallow search, or cheap counts near the leaves);
// only the next best is picked when it is needed, since a cut-off usually comes after one or two.
//
// Templates and constants only, like the searches that use it: kernels_avx2.cpp includes it
// inside its target region, so that the picker is built for AVX2 there.

#include <array>
#include <cstddef>
#include <optional>
#include <utility>

#include "engine/best_first.hpp"
#include "engine/bitboard.hpp"
#include "engine/rules.hpp"
#include "engine/search_detail.hpp"
#include "engine/transposition.hpp"

namespace orvanta::engine::detail {

// The moves of one node. `Candidate` has `int square` and `int value` (and whatever its search
// needs to play the move).
template <class Candidate>
class MovePicker {
  public:
    // Lists the squares of `moves` in square order, each candidate filled by `fill(candidate)`
    // once its square is set. `hashMove`, when one of them, is taken first.
    template <class Fill>
    MovePicker(Bitboard moves, int hashMove, Fill fill) {
        for (; moves != 0; moves &= moves - 1) {
            Candidate& c = items_[size_];
            c.square = firstSquare(moves);
            c.value = 0;
            fill(c);
            if (c.square == hashMove) {
                hash_ = size_;
            }
            ++size_;
        }
    }

    // Values every move not yet taken but the table's with `valuation(candidate)`, which sets
    // its `value`; once only (later calls do nothing).
    template <class Valuation>
    void value(const Valuation& valuation) {
        if (valued_) {
            return;
        }
        valued_ = true;
        for (std::size_t i = taken_; i < size_; ++i) {
            if (i != hash_ || taken_ > 0) {
                valuation(items_[i]);
            }
        }
    }

    // The next move: the table's first, then the best valued of the rest (value() first; of
    // equal values, the first in the list as taking has left it), or nullptr when all are taken.
    const Candidate* next() {
        if (taken_ == 0 && hash_ < size_) {
            std::swap(items_[0], items_[hash_]);
            return &items_[taken_++];
        }
        return takeBest(items_, size_, taken_);
    }
    // The same, valuing the moves first with `valuation` when it picks by value (not when the
    // table's move comes next).
    template <class Valuation>
    const Candidate* next(const Valuation& valuation) {
        if (taken_ > 0 || hash_ == kNone) {
            value(valuation);
        }
        return next();
    }
    bool empty() const { return taken_ == size_; }

    // Every move, taken or not, in the picker's order.
    const Candidate* begin() const { return items_.data(); }
    const Candidate* end() const { return items_.data() + size_; }

  private:
    static constexpr std::size_t kNone = kMaxMoves;
    std::array<Candidate, kMaxMoves> items_;
    std::size_t size_ = 0;
    std::size_t taken_ = 0;
    std::size_t hash_ = kNone;
    bool valued_ = false;
};

// Enhanced transposition cut-off: a child of `list` (the moves of `player` against `opponent`,
// each with its `flipped` discs) whose score the table bounds at most -alpha proves, without a
// search, that the node beats alpha: its score is then at least minus that bound. `upper(entry)`
// reads a child's entry as an upper bound in the search's units, or nothing when it cannot be
// used (too shallow). Children are looked at in the list's order, before any is taken.
template <class Candidate, class Upper>
std::optional<int> transposedCut(const MovePicker<Candidate>& list, const TranspositionTable& table,
                                 Bitboard player, Bitboard opponent, int alpha, Upper upper) {
    for (const Candidate& c : list) {
        const auto known = table.probe(opponent ^ c.flipped, player ^ c.flipped ^ bit(c.square));
        if (!known) {
            continue;
        }
        if (const std::optional<int> bound = upper(*known); bound && -*bound > alpha) {
            return -*bound;
        }
    }
    return std::nullopt;
}

// Cheap values, for nodes too close to the leaves to order by a search. Both count the replies
// a move leaves the opponent (a corner twice, replyCount), but weigh them differently on
// purpose:
//  - the mid-game adds the square's static value (corners first, the squares next to an empty
//    corner last) to kMidgameReplyWeight per reply;
//  - the solver, where the fewest replies lead to the smallest trees (fastest first), weighs
//    each reply kEndgameReplyWeight, the empty squares next to the mover's discs (where replies
//    come from later) kFrontierWeight, and a move into an odd quadrant kParityBonus.
inline constexpr int kMidgameReplyWeight = 8;
inline constexpr int kEndgameReplyWeight = 16;
inline constexpr int kFrontierWeight = 4;
inline constexpr int kParityBonus = 8;

template <class Bits>
constexpr int replyCount(Bits replies) {
    return popcount(replies) + popcount(replies & kCorners);
}

}  // namespace orvanta::engine::detail
