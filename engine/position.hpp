#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/bitboard.hpp"
#include "engine/rules.hpp"

namespace orvanta::engine {

enum class Colour : std::uint8_t { kBlack, kWhite };

constexpr Colour other(Colour c) {
    return c == Colour::kBlack ? Colour::kWhite : Colour::kBlack;
}

// A position from the side of the player to move: the mover's discs, the opponent's, and the
// mover's colour. It trusts its caller: `play` takes a legal move and `pass` is for a mover
// without one (GameState checks both). A move is a square plus its flips, applied by XOR;
// copying the position (17 bytes) takes a move back.
class Position {
  public:
    // The starting position, black to move.
    constexpr Position() = default;
    constexpr Position(Bitboard player, Bitboard opponent, Colour mover)
        : player_(player), opponent_(opponent), mover_(mover) {
        assert((player & opponent) == 0);
    }

    // Reads "<64 squares a1 b1 ... h8: X black, O white, - empty> <X|O>", the side to move
    // after the blank; trailing blanks are allowed.
    static std::optional<Position> parse(std::string_view text);
    // The same text.
    std::string text() const;

    constexpr Bitboard player() const { return player_; }
    constexpr Bitboard opponent() const { return opponent_; }
    constexpr Colour mover() const { return mover_; }
    constexpr Bitboard discs(Colour c) const { return c == mover_ ? player_ : opponent_; }
    constexpr Bitboard empty() const { return ~(player_ | opponent_); }
    constexpr int empties() const { return popcount(empty()); }

    constexpr Bitboard moves() const { return legalMoves(player_, opponent_); }
    constexpr Bitboard flipsOf(int square) const { return flips(player_, opponent_, square); }
    // The mover has no move but the opponent has one.
    constexpr bool mustPass() const { return moves() == 0 && !isOver(); }
    constexpr bool isOver() const { return moves() == 0 && legalMoves(opponent_, player_) == 0; }
    // The mover's disc difference with the empty squares going to the winner; meaningful as a
    // result once the game is over.
    constexpr int finalScore() const { return engine::finalScore(player_, opponent_); }

    // Plays a legal move, given with its flips.
    constexpr void play(int square, Bitboard flipped) {
        assert(flipped != 0 && flipped == flipsOf(square));
        const Bitboard mine = player_ ^ flipped ^ bit(square);
        player_ = opponent_ ^ flipped;
        opponent_ = mine;
        mover_ = other(mover_);
    }
    constexpr void play(int square) { play(square, flipsOf(square)); }
    constexpr void pass() {
        const Bitboard mine = player_;
        player_ = opponent_;
        opponent_ = mine;
        mover_ = other(mover_);
    }
    // The position after a legal move or kPass.
    constexpr Position after(int move) const {
        Position next = *this;
        if (move == kPass) {
            next.pass();
        } else {
            next.play(move);
        }
        return next;
    }

    friend constexpr bool operator==(const Position&, const Position&) = default;

  private:
    Bitboard player_ = kStartBlack;
    Bitboard opponent_ = kStartWhite;
    Colour mover_ = Colour::kBlack;
};

}  // namespace orvanta::engine
