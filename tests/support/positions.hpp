#pragma once

#include <string>
#include <vector>

#include "board/board.hpp"

namespace orvanta::testing {

// Sets a position from eight row strings, row 1 first: 'B' black, 'W' white, anything else empty.
inline void setRows(Board& board, const std::vector<std::string>& rows) {
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            const char c = rows[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)];
            board.set(x, y, c == 'B' ? kBlack : c == 'W' ? kWhite : kEmpty);
        }
    }
}

// Whether the 64 squares of two boards hold the same stones.
inline bool sameSquares(const Board& a, const Board& b) {
    for (std::int32_t x = 1; x <= 8; ++x) {
        for (std::int32_t y = 1; y <= 8; ++y) {
            if (a.get(x, y) != b.get(x, y)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace orvanta::testing
