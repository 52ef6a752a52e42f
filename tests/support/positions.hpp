#pragma once

#include <string>
#include <vector>

#include "board/board.hpp"

namespace orvanta::testing {

// A position as eight row strings, row 1 first: 'B' black, 'W' white, '.' empty.
using Rows = std::vector<std::string>;

inline void setRows(Board& board, const Rows& rows) {
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            const char c = rows[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)];
            board.set(x, y, c == 'B' ? kBlack : c == 'W' ? kWhite : kEmpty);
        }
    }
}

inline Rows rowsOf(const Board& board) {
    Rows rows(8, std::string(8, '.'));
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            rows[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)] =
                "BW."[board.get(x, y) == kWall ? kEmpty : board.get(x, y)];
        }
    }
    return rows;
}

}  // namespace orvanta::testing
