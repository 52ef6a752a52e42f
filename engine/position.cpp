#include "engine/position.hpp"

namespace orvanta::engine {

namespace {

constexpr char kBlackText = 'X';
constexpr char kWhiteText = 'O';
constexpr char kEmptyText = '-';

}  // namespace

std::optional<Position> Position::parse(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    if (end == std::string_view::npos || end != kSquares + 1 || text[kSquares] != ' ') {
        return std::nullopt;
    }
    Bitboard black = 0;
    Bitboard white = 0;
    for (int square = 0; square < kSquares; ++square) {
        switch (text[static_cast<std::size_t>(square)]) {
            case kBlackText:
                black |= bit(square);
                break;
            case kWhiteText:
                white |= bit(square);
                break;
            case kEmptyText:
                break;
            default:
                return std::nullopt;
        }
    }
    switch (text[end]) {
        case kBlackText:
            return Position(black, white, Colour::kBlack);
        case kWhiteText:
            return Position(white, black, Colour::kWhite);
        default:
            return std::nullopt;
    }
}

std::string Position::text() const {
    std::string out(kSquares, kEmptyText);
    const Bitboard black = discs(Colour::kBlack);
    const Bitboard white = discs(Colour::kWhite);
    for (int square = 0; square < kSquares; ++square) {
        if ((black & bit(square)) != 0) {
            out[static_cast<std::size_t>(square)] = kBlackText;
        } else if ((white & bit(square)) != 0) {
            out[static_cast<std::size_t>(square)] = kWhiteText;
        }
    }
    out += ' ';
    out += mover_ == Colour::kBlack ? kBlackText : kWhiteText;
    return out;
}

}  // namespace orvanta::engine
