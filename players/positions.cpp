#include "players/positions.hpp"

namespace orvanta {

engine::Position positionOf(const Board& board, std::int32_t colour) {
    engine::Bitboard mine = 0;
    engine::Bitboard theirs = 0;
    for (int square = 0; square < engine::kSquares; ++square) {
        const std::int32_t value = board.get(pointOf(square));
        mine |= value == colour ? engine::bit(square) : 0;
        theirs |= value == opponent(colour) ? engine::bit(square) : 0;
    }
    return {mine, theirs, colour == kBlack ? engine::Colour::kBlack : engine::Colour::kWhite};
}

engine::Bitboard legalSquares(const Board& board, std::int32_t colour) {
    return positionOf(board, colour).moves();
}

void setCells(Board& board, const engine::Position& position) {
    const engine::Bitboard black = position.discs(engine::Colour::kBlack);
    const engine::Bitboard white = position.discs(engine::Colour::kWhite);
    for (int square = 0; square < engine::kSquares; ++square) {
        const engine::Bitboard b = engine::bit(square);
        board.set(pointOf(square), (black & b) != 0 ? kBlack : (white & b) != 0 ? kWhite : kEmpty);
    }
}

}  // namespace orvanta
