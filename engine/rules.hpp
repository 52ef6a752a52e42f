#pragma once

// The rules on raw bitboards, from the side of the player to move: `player` holds the mover's
// discs, `opponent` the other side's. These portable versions run on any machine; the search
// kernels (kernels.hpp) may swap in wider instructions for `legalMoves`.

#include <array>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

namespace detail {

// The squares just beyond the runs of `opponent` that start next to a `player` disc and go
// towards higher indices by `step` (1, 7, 8 or 9). A run is extended by one square, one more,
// then twice by two with the help of `pairs` (opponent discs whose predecessor is one too):
// six squares, the longest run. For steps that move along a row, `opponent` must come masked
// to the inner columns so that no run wraps.
constexpr Bitboard beyondRunsUp(Bitboard player, Bitboard opponent, int step) {
    Bitboard run = opponent & (player << step);
    run |= opponent & (run << step);
    const Bitboard pairs = opponent & (opponent << step);
    run |= pairs & (run << 2 * step);
    run |= pairs & (run << 2 * step);
    return run << step;
}

// The same towards lower indices.
constexpr Bitboard beyondRunsDown(Bitboard player, Bitboard opponent, int step) {
    Bitboard run = opponent & (player >> step);
    run |= opponent & (run >> step);
    const Bitboard pairs = opponent & (opponent >> step);
    run |= pairs & (run >> 2 * step);
    run |= pairs & (run >> 2 * step);
    return run >> step;
}

// For every square and direction, the squares from the next one up to the edge.
using Rays = std::array<std::array<Bitboard, 8>, kSquares>;

constexpr Rays makeRays() {
    Rays rays{};
    for (int square = 0; square < kSquares; ++square) {
        for (std::size_t d = 0; d < kDirections.size(); ++d) {
            for (Bitboard b = shift(bit(square), kDirections[d]); b != 0;
                 b = shift(b, kDirections[d])) {
                rays[static_cast<std::size_t>(square)][d] |= b;
            }
        }
    }
    return rays;
}

inline constexpr Rays kRays = makeRays();

static_assert(kRays[0][static_cast<std::size_t>(Direction::kDownRight)] == 0x8040201008040200);
static_assert(kRays[63][static_cast<std::size_t>(Direction::kLeft)] == 0x7f00000000000000);

// Along a ray towards higher indices the first square that is not the opponent's is the lowest
// set bit of ray & ~opponent; if the player holds it, the ray's squares below it flip.
constexpr Bitboard flipsUp(Bitboard player, Bitboard opponent, Bitboard ray) {
    const Bitboard blockers = ray & ~opponent;
    const Bitboard end = blockers & (0 - blockers) & player;
    return (end - (end != 0 ? 1 : 0)) & ray;
}

// Towards lower indices it is the highest set bit; the ray's squares above it flip. (The | 1
// keeps the count of leading zeros defined; the & ray then drops that stand-in square.)
constexpr Bitboard flipsDown(Bitboard player, Bitboard opponent, Bitboard ray) {
    const Bitboard blockers = ray & ~opponent;
    const Bitboard end = (Bitboard{1} << (63 - std::countl_zero(blockers | 1))) & player & ray;
    return ray & (0 - (end << 1));
}

}  // namespace detail

// The empty squares where the player captures at least one disc.
constexpr Bitboard legalMoves(Bitboard player, Bitboard opponent) {
    using detail::beyondRunsDown;
    using detail::beyondRunsUp;
    const Bitboard inner = opponent & kInnerColumns;
    const Bitboard moves = beyondRunsUp(player, inner, 1) | beyondRunsDown(player, inner, 1) |
                           beyondRunsUp(player, opponent, 8) | beyondRunsDown(player, opponent, 8) |
                           beyondRunsUp(player, inner, 7) | beyondRunsDown(player, inner, 7) |
                           beyondRunsUp(player, inner, 9) | beyondRunsDown(player, inner, 9);
    return moves & ~(player | opponent);
}

// The discs a player's disc on `square` captures (empty when the move is not legal). The
// square must be empty.
constexpr Bitboard flips(Bitboard player, Bitboard opponent, int square) {
    const auto& rays = detail::kRays[static_cast<std::size_t>(square)];
    constexpr auto at = [](Direction d) { return static_cast<std::size_t>(d); };
    using detail::flipsDown;
    using detail::flipsUp;
    return flipsUp(player, opponent, rays[at(Direction::kRight)]) |
           flipsUp(player, opponent, rays[at(Direction::kDown)]) |
           flipsUp(player, opponent, rays[at(Direction::kDownRight)]) |
           flipsUp(player, opponent, rays[at(Direction::kDownLeft)]) |
           flipsDown(player, opponent, rays[at(Direction::kLeft)]) |
           flipsDown(player, opponent, rays[at(Direction::kUp)]) |
           flipsDown(player, opponent, rays[at(Direction::kUpRight)]) |
           flipsDown(player, opponent, rays[at(Direction::kUpLeft)]);
}

// The score of a finished game for `player`: the disc difference, the empty squares going to
// the side with more discs (none to either on a draw).
constexpr int finalScore(Bitboard player, Bitboard opponent) {
    const int mine = popcount(player);
    const int theirs = popcount(opponent);
    const int empty = kSquares - mine - theirs;
    const int difference = mine - theirs;
    return difference > 0 ? difference + empty : difference < 0 ? difference - empty : 0;
}

// Room for the legal moves of any position (33 at most) in the move lists of the searches.
inline constexpr int kMaxMoves = 40;

// The starting position: black on d5 and e4, white on d4 and e5; black moves first.
inline constexpr Bitboard kStartBlack = bit(35) | bit(28);
inline constexpr Bitboard kStartWhite = bit(27) | bit(36);

static_assert(legalMoves(kStartBlack, kStartWhite) == (bit(19) | bit(26) | bit(37) | bit(44)),
              "black starts with d3, c4, f5, e6");
static_assert(flips(kStartBlack, kStartWhite, 37) == bit(36), "f5 flips e5");

}  // namespace orvanta::engine
