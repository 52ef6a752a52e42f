#pragma once

#include <cstdint>
#include <string_view>

namespace orvanta {

// A square of the board (x = column 1..8 for a..h, y = row 1..8 from the top), a step between
// squares (each coordinate -1, 0 or 1), or the quit point (0, 0). Columns and rows 0 and 9 are
// the frame around the playing area.
class Point {
  public:
    Point(std::int32_t x, std::int32_t y) { set(x, y); }

    void set(std::int32_t x, std::int32_t y) {
        x_ = x;
        y_ = y;
    }
    std::int32_t getX() const { return x_; }
    std::int32_t getY() const { return y_; }
    void setX(std::int32_t v) { set(v, y_); }
    void setY(std::int32_t v) { set(x_, v); }

    Point& operator+=(const Point& other) {
        setX(x_ + other.x_);
        setY(y_ + other.y_);
        return *this;
    }
    bool operator==(const Point& other) const = default;

    // Reads move text such as "f5": the first byte a letter a..h, the second a digit 1..8; the
    // rest is ignored. Starts from (0, 0) and keeps whichever coordinate matched, so "f9" leaves
    // (6, 0) and "z5" leaves (0, 5). True when both matched. Never looks past the text's end.
    bool parse(std::string_view text);

  private:
    std::int32_t x_;
    std::int32_t y_;
};

}  // namespace orvanta
