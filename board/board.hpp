#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "board/point.hpp"

namespace orvanta {

// Cell values; a colour is always kBlack or kWhite.
inline constexpr std::int32_t kBlack = 0;
inline constexpr std::int32_t kWhite = 1;
inline constexpr std::int32_t kEmpty = 2;
inline constexpr std::int32_t kWall = 3;

inline constexpr std::int32_t opponent(std::int32_t colour) {
    return colour == kBlack ? kWhite : kBlack;
}

// "f5": the column letter followed by the row in decimal.
std::string squareName(const Point& square);

// A Reversi position on a 10×10 grid whose outer ring is wall, with the eight direction flags
// left by the last legality scan. Testing and placing are a two-step protocol on one board:
// `place` flips along the flags of the last scan, which must have tested the same square and
// colour. Positions move between boards only through `copyFrom`.
class Board {
  public:
    static constexpr int kDirections = 8;

    Board() { reset(); }
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    void set(std::int32_t x, std::int32_t y, std::int32_t value) { cells_[index(x, y)] = value; }
    void set(const Point& p, std::int32_t value) { set(p.getX(), p.getY(), value); }
    std::int32_t get(std::int32_t x, std::int32_t y) const { return cells_[index(x, y)]; }
    std::int32_t get(const Point& p) const { return get(p.getX(), p.getY()); }

    // The starting position (d4 and e5 white, d5 and e4 black) with every flag clear.
    void reset();
    // Sets the flags for placing `colour` on (x, y); in test mode prints the trace of each walk.
    void scan(std::int32_t x, std::int32_t y, std::int32_t colour);
    bool canPlace(std::int32_t x, std::int32_t y, std::int32_t colour);
    bool canPlace(const Point& p, std::int32_t colour) {
        return canPlace(p.getX(), p.getY(), colour);
    }
    // Tests the squares in the order a1, a2, ... a8, b1, ... h8 and stops at the first legal one,
    // whose flags stay on the board.
    bool hasMove(std::int32_t colour);
    void place(std::int32_t x, std::int32_t y, std::int32_t colour);
    void place(const Point& p, std::int32_t colour) { place(p.getX(), p.getY(), colour); }
    // The number of squares of the playing area that hold `value`.
    int count(std::int32_t value) const;
    // Copies the 64 squares and the flags; the frame is the same on every board.
    Board& copyFrom(const Board& other);

    // The square of the last `place` since `reset`, unless set otherwise (a game taken back).
    std::optional<Point> lastMove() const { return lastMove_; }
    void setLastMove(std::optional<Point> square) { lastMove_ = square; }

    // What a drawing marks: empty squares by their bits (y - 1) * 8 + x - 1, and the last move.
    struct Marks {
        std::uint64_t legal = 0;   // a dot (player mode marks the legal moves so)
        std::uint64_t best = 0;    // a double circle (the hint's best moves), before a dot
        std::uint64_t played = 0;  // a star (the move a review looks at), after the circle
        bool lastMove = false;     // heavy lines left and right of the last move's disc
        bool colour = false;       // in SGR colours, when the console has them
    };
    // Draws the board as 18 lines of text.
    void print(const Marks& marks) const;
    void print() const;

    static const std::array<Point, kDirections>& directions();

  private:
    static std::size_t index(std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(y * 10 + x);
    }

    std::array<std::int32_t, 100> cells_{};
    std::array<bool, kDirections> flags_{};
    std::optional<Point> lastMove_;
};

}  // namespace orvanta
