#include "board/board.hpp"

#include "platform/console.hpp"

namespace orvanta {

namespace {

using platform::console;

// SGR foreground colours of a coloured board (on green): discs, marks and the last move's lines.
constexpr std::string_view kBlackColour = "30";
constexpr std::string_view kWhiteColour = "97";
constexpr std::string_view kLegalColour = "33";
constexpr std::string_view kBestColour = "96";
constexpr std::string_view kPlayedColour = "95";
constexpr std::string_view kLastMoveColour = "91";

// In trace lines a wall cell is written by its coordinates, as in "9,4".
std::string traceName(const Point& cell, std::int32_t value) {
    if (value == kWall) {
        return std::to_string(cell.getX()) + "," + std::to_string(cell.getY());
    }
    return squareName(cell);
}

}  // namespace

std::string squareName(const Point& square) {
    constexpr std::string_view kLetters = "abcdefghi";
    std::string name(1, kLetters[static_cast<std::size_t>(square.getX() - 1)]);
    name += std::to_string(square.getY());
    return name;
}

const std::array<Point, Board::kDirections>& Board::directions() {
    static const std::array<Point, kDirections> steps = {
        Point(0, -1), Point(1, -1), Point(1, 0),  Point(1, 1),
        Point(0, 1),  Point(-1, 1), Point(-1, 0), Point(-1, -1),
    };
    return steps;
}

void Board::reset() {
    cells_.fill(kWall);
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            set(x, y, kEmpty);
        }
    }
    set(4, 5, kBlack);
    set(5, 4, kBlack);
    set(4, 4, kWhite);
    set(5, 5, kWhite);
    flags_.fill(false);
    lastMove_.reset();
}

void Board::scan(std::int32_t x, std::int32_t y, std::int32_t colour) {
    flags_.fill(false);
    if (get(x, y) != kEmpty) {
        return;
    }
    const std::int32_t other = opponent(colour);
    const Point origin(x, y);
    bool any = false;
    for (std::size_t i = 0; i < kDirections; ++i) {
        Point neighbour = origin;
        neighbour += directions()[i];
        flags_[i] = get(neighbour) == other;
        any = any || flags_[i];
    }
    if (!any) {
        return;
    }
    const bool trace = console().testMode();
    for (std::size_t i = 0; i < kDirections; ++i) {
        if (!flags_[i]) {
            continue;
        }
        if (trace) {
            console().write(" : # ", squareName(origin), "[", i, "] -> ");
        }
        Point walk = origin;
        for (;;) {
            walk += directions()[i];
            const std::int32_t value = get(walk);
            if (value == other) {
                if (trace) {
                    console().write(squareName(walk), " -> ");
                }
                continue;
            }
            flags_[i] = value == colour;
            if (trace) {
                console().write(traceName(walk, value), value == colour ? " ･" : " *");
                console().endLine();
            }
            break;
        }
    }
    if (trace) {
        for (std::size_t i = 0; i < kDirections; ++i) {
            if (flags_[i]) {
                console().write(" : ! ", squareName(origin), "[", i, "]");
                console().endLine();
            }
        }
    }
}

bool Board::canPlace(std::int32_t x, std::int32_t y, std::int32_t colour) {
    scan(x, y, colour);
    for (const bool set : flags_) {
        if (set) {
            return true;
        }
    }
    return false;
}

bool Board::hasMove(std::int32_t colour) {
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            if (canPlace(x, y, colour)) {
                return true;
            }
        }
    }
    return false;
}

void Board::place(std::int32_t x, std::int32_t y, std::int32_t colour) {
    const std::int32_t other = opponent(colour);
    set(x, y, colour);
    lastMove_ = Point(x, y);
    for (std::size_t i = 0; i < kDirections; ++i) {
        if (!flags_[i]) {
            continue;
        }
        Point walk(x, y);
        for (walk += directions()[i]; get(walk) == other; walk += directions()[i]) {
            set(walk, colour);
        }
    }
}

int Board::count(std::int32_t value) const {
    int total = 0;
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            total += get(x, y) == value ? 1 : 0;
        }
    }
    return total;
}

Board& Board::copyFrom(const Board& other) {
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            set(x, y, other.get(x, y));
        }
    }
    flags_ = other.flags_;
    lastMove_ = other.lastMove_;
    return *this;
}

void Board::print() const {
    print(Marks{});
}

void Board::print(const Marks& marks) const {
    const auto marked = [](std::uint64_t set, std::int32_t x, std::int32_t y) {
        return (set >> ((y - 1) * 8 + x - 1) & 1) != 0;
    };
    // The last move's square, or one off the board.
    const Point last = marks.lastMove && lastMove_ ? *lastMove_ : Point(-1, -1);
    // In colour: the board green, the discs black and white, each mark its own colour.
    const bool colour = marks.colour && console().colour();
    const auto paint = [colour](std::string_view text, std::string_view sgr) {
        std::string painted;
        if (colour) {
            painted.append("\x1b[").append(sgr).append("m").append(text).append("\x1b[39m");
        } else {
            painted.append(text);
        }
        return painted;
    };
    // A line of the board after its `margin`, green in colour. (Built by appending: g++ 12 at
    // -O2 warns falsely of overlapping copies in `"..." + std::string`.)
    const auto board = [colour](std::string margin, std::string_view text) {
        if (colour) {
            margin.append("\x1b[42m").append(text).append("\x1b[49m");
        } else {
            margin.append(text);
        }
        return margin;
    };
    console().line("    a    b   c   d   e   f   g   h  ");
    console().line(board("  ", "┌─┬─┬─┬─┬─┬─┬─┬─┐"));
    for (std::int32_t y = 1; y <= 8; ++y) {
        // The line left of column x, heavy beside the last move.
        const auto edge = [&](std::int32_t x) {
            const bool beside = last.getY() == y && (last.getX() == x || last.getX() == x - 1);
            return beside ? paint("┃", kLastMoveColour) : std::string("│");
        };
        std::string cells;
        for (std::int32_t x = 1; x <= 8; ++x) {
            cells += edge(x);
            switch (get(x, y)) {
                case kEmpty:
                    cells += marked(marks.best, x, y)     ? paint("◎", kBestColour)
                             : marked(marks.played, x, y) ? paint("＊", kPlayedColour)
                             : marked(marks.legal, x, y)  ? paint("・", kLegalColour)
                                                          : std::string("　");
                    break;
                case kBlack:
                    cells += paint("●", kBlackColour);
                    break;
                case kWhite:
                    cells += paint("○", kWhiteColour);
                    break;
                default:
                    break;
            }
        }
        cells += edge(9);
        std::string number(" ");
        number += std::to_string(y);
        console().line(board(number, cells));
        if (y != 8) {
            console().line(board("  ", "├─┼─┼─┼─┼─┼─┼─┼─┤"));
        }
    }
    console().line(board("  ", "└─┴─┴─┴─┴─┴─┴─┴─┘"));
}

}  // namespace orvanta
