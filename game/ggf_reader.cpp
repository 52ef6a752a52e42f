#include "game/ggf_reader.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "engine/game_state.hpp"

namespace orvanta {

namespace {

// Whether two words are the same but for the case of their letters ("othello" is "Othello").
bool sameLetters(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// Longer tag names are taken for garbage rather than skipped.
constexpr std::size_t kMaxTagName = 16;
// Player names are cut to this many characters, values in messages to fewer.
constexpr std::size_t kMaxPlayerName = 40;
constexpr std::size_t kMaxShownValue = 20;

const char* colourName(engine::Colour colour) {
    return colour == engine::Colour::kBlack ? "black" : "white";
}

// A byte as a message shows it: 'x', or \xNN when it is not printable ASCII.
std::string shownByte(char c) {
    if (c > ' ' && c < 127) {
        return std::string("'") + c + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(c));
    return text;
}

// A value without its surrounding blanks.
std::string_view trimmed(std::string_view value) {
    const auto first = value.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
}

// A value as names and messages show it: printable ASCII, neither ']' nor '\' (so that ggfText
// can write it back), at most `limit` characters.
std::string printable(std::string_view value, std::size_t limit) {
    std::string text;
    for (const char c : trimmed(trimmed(value).substr(0, limit))) {
        text += c >= ' ' && c < 127 && c != ']' && c != '\\' ? c : '?';
    }
    return text;
}

// BO[8 <64 squares> <side>]: blanks may stand anywhere after the size.
std::optional<engine::Position> parseBoard(std::string_view value) {
    value = trimmed(value);
    if (!value.starts_with('8') || value.size() < 2 || (value[1] != ' ' && value[1] != '\t')) {
        return std::nullopt;
    }
    engine::Bitboard black = 0;
    engine::Bitboard white = 0;
    int square = 0;
    std::optional<engine::Colour> mover;
    for (const char c : value.substr(1)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            continue;
        }
        if (mover || (c != '*' && c != 'O' && c != '-')) {
            return std::nullopt;
        }
        if (square == engine::kSquares) {
            mover = c == '*' ? engine::Colour::kBlack : engine::Colour::kWhite;
            if (c == '-') {
                return std::nullopt;
            }
            continue;
        }
        black |= c == '*' ? engine::bit(square) : 0;
        white |= c == 'O' ? engine::bit(square) : 0;
        ++square;
    }
    if (!mover) {
        return std::nullopt;
    }
    return *mover == engine::Colour::kBlack ? engine::Position(black, white, *mover)
                                            : engine::Position(white, black, *mover);
}

// A number of seconds as GGF writes them: digits, perhaps with a decimal point; nothing for
// anything else, or for more than a year (which no clock of a game gives).
constexpr double kYear = 365.0 * 24 * 60 * 60;

std::optional<double> seconds(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(),
                                     [](char c) { return (c >= '0' && c <= '9') || c == '.'; })) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
        value > kYear) {
        return std::nullopt;
    }
    return value;
}

// The clock TI[[[h:]m:]s]: the main time of each side, in seconds. An increment or an extension
// after '/' is not kept. Nothing when there is no time to play, or more than a year.
std::optional<double> parseClock(std::string_view value) {
    value = trimmed(value.substr(0, std::min(value.find('/'), value.find(','))));
    double total = 0;
    int fields = 0;
    for (std::size_t from = 0; from <= value.size(); ++fields) {
        const std::size_t end = std::min(value.find(':', from), value.size());
        const auto field = seconds(value.substr(from, end - from));
        if (!field || fields == 3) {
            return std::nullopt;
        }
        total = total * 60 + *field;
        from = end + 1;
    }
    return total > 0 && total <= kYear ? std::optional(total) : std::nullopt;
}

// The time of a move "square/eval/time", in seconds; 0 when it is not given or not a number.
double moveTime(std::string_view value) {
    const std::size_t eval = value.find('/');
    const std::size_t time = eval == std::string_view::npos ? eval : value.find('/', eval + 1);
    if (time == std::string_view::npos) {
        return 0;
    }
    return seconds(trimmed(value.substr(time + 1))).value_or(0);
}

// Seconds written so that reading them gives the same number back.
std::string secondsText(double value) {
    std::array<char, 32> digits{};
    const auto end =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed)
            .ptr;
    return {digits.data(), end};
}

// A move's value: a square or a pass, then perhaps "/eval/time".
std::optional<int> parseMove(std::string_view value) {
    const std::string_view move = trimmed(value.substr(0, value.find('/')));
    if (move.size() == 2 && (move[0] == 'P' || move[0] == 'p') &&
        (move[1] == 'A' || move[1] == 'a')) {
        return engine::kPass;
    }
    return engine::parseSquare(move);
}

// A move as the record gives it.
struct ReadMove {
    engine::Colour colour;
    int move;
    int line;
    double seconds;
};

// Reads the text from the start, one game at a time.
class GgfParser {
  public:
    explicit GgfParser(std::string_view text) : text_(text) {}

    std::variant<std::vector<GgfGame>, GgfError> games() {
        std::vector<GgfGame> games;
        for (skipBlanks(); pos_ < text_.size(); skipBlanks()) {
            if (!text_.substr(pos_).starts_with("(;")) {
                return GgfError{line_,
                                "expected \"(;\" to begin a game, found " + shownByte(text_[pos_])};
            }
            pos_ += 2;
            if (auto error = game(games.emplace_back())) {
                return *error;
            }
        }
        return games;
    }

  private:
    void skipBlanks() {
        for (; pos_ < text_.size(); ++pos_) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                break;
            }
        }
    }

    // The tags of one game up to its ";)", then its moves in turn from its board.
    std::optional<GgfError> game(GgfGame& game) {
        game.line = line_;
        std::optional<engine::Position> start;
        std::vector<ReadMove> moves;
        for (skipBlanks();; skipBlanks()) {
            if (pos_ >= text_.size()) {
                return GgfError{game.line, "the game that begins here has no end \";)\""};
            }
            if (text_.substr(pos_).starts_with(";)")) {
                pos_ += 2;
                break;
            }
            const std::size_t nameStart = pos_;
            while (pos_ < text_.size() && pos_ - nameStart <= kMaxTagName &&
                   ((text_[pos_] >= 'A' && text_[pos_] <= 'Z') ||
                    (text_[pos_] >= 'a' && text_[pos_] <= 'z') ||
                    (text_[pos_] >= '0' && text_[pos_] <= '9'))) {
                ++pos_;
            }
            const std::string_view name = text_.substr(nameStart, pos_ - nameStart);
            if (name.empty()) {
                return GgfError{line_,
                                "expected a tag such as B[f5], found " + shownByte(text_[pos_])};
            }
            if (name.size() > kMaxTagName) {
                return GgfError{
                    line_, "a tag name longer than " + std::to_string(kMaxTagName) + " letters"};
            }
            if (pos_ >= text_.size() || text_[pos_] != '[') {
                return GgfError{line_, "the tag " + std::string(name) + " has no value in [ ]"};
            }
            const int valueLine = line_;
            const auto value = tagValue();
            if (!value) {
                return GgfError{valueLine, "the value of " + std::string(name) + " has no ']'"};
            }
            const std::string shown =
                std::string(name) + "[" + printable(*value, kMaxShownValue) + "]";
            if (name == "GM" && !sameLetters(trimmed(*value), "Othello")) {
                return GgfError{valueLine, "not an Othello game: " + shown};
            }
            if (name == "TY" && trimmed(*value) != "8") {
                return GgfError{valueLine,
                                "only the standard 8x8 game (TY[8]) is read, not " + shown};
            }
            if (name == "BO") {
                if (start) {
                    return GgfError{valueLine, "a second board BO in one game"};
                }
                start = parseBoard(*value);
                if (!start) {
                    return GgfError{valueLine,
                                    "the board is not BO[8 <64 squares of *, O or -> <* or O>]"};
                }
            } else if (name == "TI") {
                game.timeLimit = parseClock(*value);
            } else if (name == "PB" || name == "PW") {
                game.players[name == "PB" ? 0 : 1] = printable(*value, kMaxPlayerName);
            } else if (name == "B" || name == "W") {
                const auto move = parseMove(*value);
                if (!move) {
                    return GgfError{valueLine, "not a move: " + shown};
                }
                moves.push_back({name == "B" ? engine::Colour::kBlack : engine::Colour::kWhite,
                                 *move, valueLine, moveTime(*value)});
            }
        }
        if (!start) {
            return GgfError{game.line, "the game has no board BO[...]"};
        }
        game.start = *start;
        return replay(game, moves);
    }

    // The value after '[' up to the first ']' that no backslash escapes, without the escapes.
    std::optional<std::string> tagValue() {
        std::string value;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            char c = text_[pos_];
            if (c == ']') {
                ++pos_;
                return value;
            }
            if (c == '\\' && pos_ + 1 < text_.size()) {
                c = text_[++pos_];
            }
            line_ += c == '\n' ? 1 : 0;
            value += c;
        }
        return std::nullopt;
    }

    static std::optional<GgfError> replay(GgfGame& game, const std::vector<ReadMove>& moves) {
        engine::GameState state(game.start);
        game.moveSeconds.clear();
        for (const ReadMove& m : moves) {
            const std::string name = engine::squareName(m.move);
            if (state.isOver()) {
                return GgfError{m.line, name + " comes after the end of the game"};
            }
            if (m.colour != state.toMove()) {
                if (!state.mustPass()) {
                    return GgfError{m.line, name + " is given for " + colourName(m.colour) +
                                                ", but " + colourName(state.toMove()) +
                                                " is to move"};
                }
                state.play(engine::kPass);  // the record leaves out a forced pass
                game.moveSeconds.push_back(0);
            }
            const engine::MoveError error = state.play(m.move);
            if (error == engine::MoveError::kMustMove) {
                return GgfError{m.line, std::string(colourName(m.colour)) +
                                            " may not pass: it has a legal move"};
            }
            if (error != engine::MoveError::kNone) {
                return GgfError{m.line, name + " is not legal for " + colourName(m.colour)};
            }
            game.moveSeconds.push_back(m.seconds);
        }
        game.moves = state.moves();
        return std::nullopt;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

std::variant<std::vector<GgfGame>, GgfError> readGgf(std::string_view text) {
    return GgfParser(text).games();
}

std::string describe(std::string_view file, const GgfError& error) {
    return std::string(file) + ":" + std::to_string(error.line) + ": " + error.what;
}

std::string ggfText(const GgfGame& game) {
    std::string text =
        "(;GM[Othello]PB[" + game.players[0] + "]PW[" + game.players[1] + "]TY[8]BO[8 ";
    const engine::Bitboard black = game.start.discs(engine::Colour::kBlack);
    const engine::Bitboard white = game.start.discs(engine::Colour::kWhite);
    for (int square = 0; square < engine::kSquares; ++square) {
        const engine::Bitboard b = engine::bit(square);
        text += (black & b) != 0 ? '*' : (white & b) != 0 ? 'O' : '-';
    }
    text += game.start.mover() == engine::Colour::kBlack ? " *]" : " O]";
    if (game.timeLimit) {
        text.append("TI[").append(secondsText(*game.timeLimit)).append("]");
    }
    engine::Position position = game.start;
    for (std::size_t i = 0; i < game.moves.size(); ++i) {
        const int move = game.moves[i];
        text += position.mover() == engine::Colour::kBlack ? "B[" : "W[";
        text += move == engine::kPass ? "PA" : engine::squareName(move);
        if (i < game.moveSeconds.size() && game.moveSeconds[i] > 0) {
            text.append("//").append(secondsText(game.moveSeconds[i]));
        }
        text += "]";
        position = position.after(move);
    }
    return text + ";)";
}

}  // namespace orvanta
