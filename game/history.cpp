#include "game/history.hpp"

#include <chrono>

#include "platform/console.hpp"
#include "platform/language.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

using platform::console;

std::array<Point, History::kSlots> History::filled() {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Point, kSlots>{((void)I, Point(0, 0))...};
    }
    (std::make_index_sequence<kSlots>());
}

void History::clear() {
    colours_.fill(kEmpty);
    for (Point& point : points_) {
        point.set(0, 0);
    }
}

void History::add(std::int32_t x, std::int32_t y, std::int32_t colour) {
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (colours_[i] == kEmpty) {
            points_[i].set(x, y);
            colours_[i] = colour;
            return;
        }
    }
}

std::size_t History::size() const {
    std::size_t used = 0;
    while (used < kSlots && colours_[used] != kEmpty) {
        ++used;
    }
    return used;
}

void History::print(const Board& board) const {
    if (colours_[0] == kEmpty) {
        console().line(tr("　データがありません"), 2);
        return;
    }
    for (std::size_t i = 0; i < kMaxMoves && colours_[i] != kEmpty; ++i) {
        // The move number is right-aligned in two columns.
        console().write(i + 1 < 10 ? "  " : " ", i + 1, " [",
                        colours_[i] == kBlack ? "BLACK" : "WHITE", "] : ", squareName(points_[i]));
        console().endLine();
    }
    console().write("   BLACK : ");
    console().write(board.count(kBlack));
    console().endLine();
    console().write("   WHITE : ");
    console().write(board.count(kWhite));
    console().endLine();
    console().pause(std::chrono::milliseconds(2000));
    console().endLine();
}

}  // namespace orvanta
