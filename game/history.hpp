#pragma once

#include <array>
#include <cstdint>

#include "board/board.hpp"
#include "board/point.hpp"

namespace orvanta {

// The moves of the current or last game, in order: for each its square and colour. Slots fill
// from 0 upwards and are emptied only all together.
class History {
  public:
    static constexpr std::size_t kSlots = 64;
    // The most moves a game can have: the 60 squares left empty at the start.
    static constexpr std::size_t kMaxMoves = 60;

    History() { clear(); }

    void clear();
    // Records a move in the first free slot; ignored when all slots are used.
    void add(std::int32_t x, std::int32_t y, std::int32_t colour);
    void add(const Point& square, std::int32_t colour) {
        add(square.getX(), square.getY(), colour);
    }

    // Lists the moves, then the stone counts of `board` (the position the game left), then
    // pauses; or says that there is no record.
    void print(const Board& board) const;

    // The number of recorded moves, and the square and colour of move i (from 0).
    std::size_t size() const;
    const Point& point(std::size_t i) const { return points_[i]; }
    std::int32_t colour(std::size_t i) const { return colours_[i]; }

  private:
    std::array<Point, kSlots> points_ = filled();
    std::array<std::int32_t, kSlots> colours_{};

    static std::array<Point, kSlots> filled();
};

}  // namespace orvanta
