#include "app/nboard_ggf.hpp"

#include <cctype>
#include <optional>
#include <vector>

namespace orvanta {

namespace ggf {

struct Property {
    std::string name;
    std::string value;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result;
}

// The properties between "(;" and ";)" in order, or what is wrong. A value runs to the first
// ']' not escaped by a backslash.
std::variant<std::vector<Property>, std::string> properties(std::string_view text) {
    text = trimmed(text);
    if (!text.starts_with("(;") || !text.ends_with(";)") || text.size() < 4) {
        return std::string("a GGF game starts with (; and ends with ;)");
    }
    text = text.substr(2, text.size() - 4);
    std::vector<Property> result;
    std::size_t at = 0;
    while (true) {
        while (at < text.size() && isBlank(text[at])) {
            ++at;
        }
        if (at == text.size()) {
            return result;
        }
        Property property;
        while (at < text.size() && std::isalnum(static_cast<unsigned char>(text[at])) != 0) {
            property.name += text[at++];
        }
        if (at == text.size()) {
            return property.name + " has no value";
        }
        if (property.name.empty() || text[at] != '[') {
            return "unexpected '" + std::string(1, text[at]) + "' in the game";
        }
        for (++at; at < text.size() && text[at] != ']'; ++at) {
            if (text[at] == '\\' && at + 1 < text.size()) {
                ++at;
            }
            property.value += text[at];
        }
        if (at == text.size()) {
            return property.name + "[ is not closed";
        }
        ++at;
        result.push_back(std::move(property));
    }
}

// The start position of a BO value: "8", the 64 squares, the side to move.
std::optional<engine::Position> board(std::string_view value) {
    value = trimmed(value);
    if (!value.starts_with('8') || value.size() < 2 || !isBlank(value[1])) {
        return std::nullopt;
    }
    value.remove_prefix(2);
    engine::Bitboard black = 0;
    engine::Bitboard white = 0;
    int square = 0;
    std::optional<engine::Colour> mover;
    for (const char c : value) {
        if (isBlank(c)) {
            continue;
        }
        if (square == engine::kSquares) {
            if (mover || (c != '*' && c != 'O')) {
                return std::nullopt;
            }
            mover = c == '*' ? engine::Colour::kBlack : engine::Colour::kWhite;
            continue;
        }
        if (c == '*') {
            black |= engine::bit(square);
        } else if (c == 'O') {
            white |= engine::bit(square);
        } else if (c != '-') {
            return std::nullopt;
        }
        ++square;
    }
    if (!mover) {
        return std::nullopt;
    }
    return *mover == engine::Colour::kBlack ? engine::Position(black, white, *mover)
                                            : engine::Position(white, black, *mover);
}

// The move of a B or W value: a square or PA, perhaps followed by /eval/time.
std::optional<int> move(std::string_view value) {
    const std::string text = upper(trimmed(value.substr(0, value.find('/'))));
    if (text == "PA" || text == "PASS") {
        return engine::kPass;
    }
    const auto square = engine::parseSquare(text);
    return square && *square != engine::kPass ? square : std::nullopt;
}

}  // namespace ggf

std::variant<engine::GameState, std::string> readNboardGame(std::string_view text) {
    auto parsed = ggf::properties(text);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        return *error;
    }
    const auto& properties = std::get<std::vector<ggf::Property>>(parsed);
    std::optional<engine::GameState> game;
    int moveNumber = 0;
    for (const ggf::Property& p : properties) {
        const std::string shown = p.name + "[" + p.value + "]";
        if (p.name == "GM" && ggf::upper(ggf::trimmed(p.value)) != "OTHELLO") {
            return "not a game of Othello: " + shown;
        }
        if (p.name == "TY" && ggf::trimmed(p.value) != "8" && ggf::trimmed(p.value) != "8r") {
            return "only Othello on 8x8 without variants is played: " + shown;
        }
        if (p.name == "BO") {
            if (game) {
                return "a second board: " + shown;
            }
            const auto start = ggf::board(p.value);
            if (!start) {
                return "not a board of 8x8 squares and a side to move: " + shown;
            }
            game.emplace(*start);
        }
        if (p.name != "B" && p.name != "W") {
            continue;
        }
        ++moveNumber;
        const std::string where = "move " + std::to_string(moveNumber) + " " + shown;
        if (!game) {
            return where + " comes before the board (BO)";
        }
        const auto move = ggf::move(p.value);
        if (!move) {
            return where + " is not a square or PA";
        }
        const auto colour = p.name == "B" ? engine::Colour::kBlack : engine::Colour::kWhite;
        if (game->toMove() != colour && game->mustPass()) {
            game->play(engine::kPass);
        }
        if (game->toMove() != colour || game->play(*move) != engine::MoveError::kNone) {
            return where + " is not legal";
        }
    }
    if (!game) {
        return std::string("the game has no board (BO)");
    }
    return *game;
}

}  // namespace orvanta
