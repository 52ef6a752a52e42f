#include "engine/bitboard.hpp"

namespace orvanta::engine {

std::string squareName(int move, Letters letters) {
    if (move == kPass) {
        return "pass";
    }
    assert(move >= 0 && move < kSquares);
    const char column = letters == Letters::kUpper ? 'A' : 'a';
    return {static_cast<char>(column + move % 8), static_cast<char>('1' + move / 8)};
}

std::optional<int> parseSquare(std::string_view text) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (text.size() == 4) {
        std::string word;
        for (const char c : text) {
            word += lower(c);
        }
        return word == "pass" ? std::optional<int>(kPass) : std::nullopt;
    }
    if (text.size() != 2) {
        return std::nullopt;
    }
    const char column = lower(text[0]);
    const char row = text[1];
    if (column < 'a' || column > 'h' || row < '1' || row > '8') {
        return std::nullopt;
    }
    return (row - '1') * 8 + (column - 'a');
}

}  // namespace orvanta::engine
