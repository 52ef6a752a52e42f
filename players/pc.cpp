#include "players/pc.hpp"

#include <array>
#include <cstddef>
#include <optional>

#include "platform/console.hpp"
#include "platform/random.hpp"

namespace orvanta {

namespace {

using platform::console;

// The order of each list matters: the corner pick indexes the corners, the paired corner of an
// edge neighbour i is corner i / 2 and of a diagonal neighbour i is corner i, and the best-edge
// search walks the edge neighbours in this order, keeping the first of equal gains.
const std::array<Point, 4> kCorners = {Point(1, 1), Point(8, 1), Point(1, 8), Point(8, 8)};
const std::array<Point, 8> kEdgeNeighbours = {Point(1, 2), Point(2, 1), Point(7, 1), Point(8, 2),
                                              Point(1, 7), Point(2, 8), Point(7, 8), Point(8, 7)};
const std::array<Point, 4> kDiagonalNeighbours = {Point(2, 2), Point(7, 2), Point(2, 7),
                                                  Point(7, 7)};

// Below these numbers of counted tries, squares next to an empty corner are passed over.
constexpr int kEdgeFilterTries = 100;
constexpr int kDiagonalFilterTries = 200;
// The first tries draw corners only.
constexpr int kCornerTries = 4;

bool isEdgeNeighbour(const Point& candidate) {
    for (const Point& square : kEdgeNeighbours) {
        if (candidate == square) {
            return true;
        }
    }
    return false;
}

bool isCentre(const Point& square) {
    return (square.getX() == 4 || square.getX() == 5) && (square.getY() == 4 || square.getY() == 5);
}

// Whether the candidate lies next to a corner that is still empty, while the filter applies.
bool nearEmptyCorner(const Board& board, const Point& candidate, int tries) {
    bool reject = false;
    if (tries < kEdgeFilterTries) {
        for (std::size_t i = 0; i < kEdgeNeighbours.size(); ++i) {
            if (candidate == kEdgeNeighbours[i] && board.get(kCorners[i / 2]) == kEmpty) {
                reject = true;
            }
        }
    }
    if (tries < kDiagonalFilterTries) {
        for (std::size_t i = 0; i < kDiagonalNeighbours.size(); ++i) {
            if (candidate == kDiagonalNeighbours[i] && board.get(kCorners[i]) == kEmpty) {
                reject = true;
            }
        }
    }
    return reject;
}

// One call's search state.
class Search {
  public:
    Search(Board& board, std::int32_t colour) : board_(board), colour_(colour) {}

    Point run() {
        auto& draw = platform::generator();
        Point candidate(0, 0);
        for (;;) {
            if (tries_ <= kCornerTries) {
                candidate = kCorners[draw() % 4];
            } else {
                const auto row = static_cast<std::int32_t>(draw() % 8 + 1);
                const auto column = static_cast<std::int32_t>(draw() % 8 + 1);
                candidate.set(column, row);
            }
            if (isCentre(candidate) || nearEmptyCorner(board_, candidate, tries_)) {
                continue;
            }
            ++tries_;
            if (isEdgeNeighbour(candidate) && bestGain_ != -1) {
                const auto best = bestEdge();
                if (!best) {
                    continue;
                }
                candidate = *best;
            }
            ++tests_;
            if (board_.canPlace(candidate, colour_)) {
                if (console().testMode()) {
                    console().write(" : \n : -- tried at ", tests_, " time(s).");
                    console().endLine(2);
                }
                return candidate;
            }
        }
    }

  private:
    // Plays each edge neighbour on a scratch copy of the board, drawing every copy, and returns
    // the one that gains the most stones; nothing when none is legal. Runs once per call.
    std::optional<Point> bestEdge() {
        const bool trace = console().testMode();
        bestGain_ = -1;
        std::size_t bestIndex = 0;
        if (trace) {
            if (tests_ > 0) {
                console().line(" : ");
            }
            console().line(" : -- mode to choose best position!\n : ");
        }
        const int before = board_.count(colour_);
        Board scratch;
        for (std::size_t m = 0; m < kEdgeNeighbours.size(); ++m) {
            const Point& square = kEdgeNeighbours[m];
            scratch.copyFrom(board_);
            if (!scratch.canPlace(square, colour_)) {
                continue;
            }
            scratch.place(square, colour_);
            scratch.print();
            const int gain = scratch.count(colour_) - before;
            if (gain > bestGain_) {
                bestGain_ = gain;
                bestIndex = m;
            }
            if (trace) {
                console().write(" : ", squareName(square), " -- ", gain, " stones\n : ");
                console().endLine();
            }
        }
        std::optional<Point> best;
        if (bestGain_ != -1) {
            best = kEdgeNeighbours[bestIndex];
            if (trace) {
                console().write(" : ! ", squareName(*best), " -- ", bestGain_, " stones\n : ");
                console().endLine();
            }
        }
        if (trace) {
            console().line(" : -- end of mode to choose best position.");
            console().line(" : ");
        }
        return best;
    }

    Board& board_;
    const std::int32_t colour_;
    int tries_ = 0;
    int tests_ = 0;
    int bestGain_ = 0;
};

}  // namespace

Point PC::select(Board& board, std::int32_t colour) {
    platform::reseed();
    return Search(board, colour).run();
}

}  // namespace orvanta
