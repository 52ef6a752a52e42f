#include "tests/support/flip_slow.hpp"

namespace orvanta::engine {

Bitboard slowFlips(Bitboard player, Bitboard opponent, int square) {
    static constexpr int kSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                                         {1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    const auto on = [](int column, int row) {
        return column >= 0 && column < 8 && row >= 0 && row < 8;
    };
    Bitboard captured = 0;
    for (const auto& step : kSteps) {
        Bitboard run = 0;
        int column = square % 8 + step[0];
        int row = square / 8 + step[1];
        while (on(column, row) && (opponent & bit(row * 8 + column)) != 0) {
            run |= bit(row * 8 + column);
            column += step[0];
            row += step[1];
        }
        if (on(column, row) && (player & bit(row * 8 + column)) != 0) {
            captured |= run;
        }
    }
    return captured;
}

Bitboard slowLegalMoves(Bitboard player, Bitboard opponent) {
    Bitboard moves = 0;
    for (int square = 0; square < kSquares; ++square) {
        if (((player | opponent) & bit(square)) == 0 && slowFlips(player, opponent, square) != 0) {
            moves |= bit(square);
        }
    }
    return moves;
}

}  // namespace orvanta::engine
