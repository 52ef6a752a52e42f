#include "app/gtp.hpp"

#include "app/exit_status.hpp"
#include "app/options.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "app/numbers.hpp"
#include "platform/console.hpp"
#include "platform/random.hpp"
#include "players/levels.hpp"

namespace orvanta {

namespace {

using Args = std::vector<std::string>;

std::optional<engine::Colour> colourOf(std::string word) {
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    if (word == "b" || word == "black") {
        return engine::Colour::kBlack;
    }
    if (word == "w" || word == "white") {
        return engine::Colour::kWhite;
    }
    return std::nullopt;
}

// "D3", in capitals as GTP engines write vertices; "pass".
std::string vertex(int move) {
    return engine::squareName(move, engine::Letters::kUpper);
}

// A whole number from 0, nothing else.
std::optional<long long> count(const std::string& text) {
    return parseWhole(text, 0, std::numeric_limits<long long>::max());
}

// A number as the controller writes time: digits, perhaps a fraction (not "inf" or "nan").
std::optional<double> seconds(const std::string& text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// The words of a command line: control characters dropped, tabs made blanks, the comment cut.
std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> result;
    std::string word;
    for (const char c : line.substr(0, line.find('#'))) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ' || byte == '\t' || byte == '\n') {
            if (!word.empty()) {
                result.push_back(std::move(word));
                word.clear();
            }
        } else if (byte >= 32 && byte != 127) {
            word += c;
        }
    }
    if (!word.empty()) {
        result.push_back(std::move(word));
    }
    return result;
}

// The answer to a line longer than the console keeps, with the id its kept bytes begin with, so
// that the controller can tell which command failed.
std::string tooLong(std::string_view kept) {
    const auto args = words(kept);
    return "?" + (!args.empty() && count(args[0]) ? args[0] : std::string()) + " line too long\n\n";
}

}  // namespace

// One entry of the command table, which drives the dispatch, `known_command` and
// `list_commands` alike.
struct Gtp::Command {
    const char* name;
    Reply (*run)(Gtp&, const Args&);
};

const std::vector<Gtp::Command>& Gtp::commands() {
    static const std::vector<Command> table = {
        {"protocol_version",
         [](Gtp&, const Args&) {
             return Reply{true, "2"};
         }},
        {"name",
         [](Gtp&, const Args&) {
             return Reply{true, "Orvanta"};
         }},
        {"version",
         [](Gtp&, const Args&) {
             return Reply{true, ORVANTA_VERSION};
         }},
        {"known_command", [](Gtp& g, const Args& a) { return g.knownCommand(a); }},
        {"list_commands", [](Gtp& g, const Args&) { return g.listCommands(); }},
        {"quit",
         [](Gtp& g, const Args&) {
             g.done_ = true;
             return Reply{true, ""};
         }},
        {"boardsize", [](Gtp& g, const Args& a) { return g.boardsize(a); }},
        {"clear_board", [](Gtp& g, const Args&) { return g.clearBoard(); }},
        {"komi",
         [](Gtp&, const Args& a) {
             return a.size() == 1 && seconds(a[0].starts_with("-") ? a[0].substr(1) : a[0])
                        ? Reply{true, ""}
                        : Reply{false, "komi not a float"};
         }},
        {"play", [](Gtp& g, const Args& a) { return g.play(a); }},
        {"genmove", [](Gtp& g, const Args& a) { return g.genmove(a); }},
        {"undo", [](Gtp& g, const Args&) { return g.undo(); }},
        {"showboard", [](Gtp& g, const Args&) { return g.showboard(); }},
        {"final_score", [](Gtp& g, const Args&) { return g.finalScore(); }},
        {"time_settings", [](Gtp& g, const Args& a) { return g.timeSettings(a); }},
        {"time_left", [](Gtp& g, const Args& a) { return g.timeLeft(a); }},
        {"reg_genmove", [](Gtp& g, const Args& a) { return g.regGenmove(a); }},
        // The game this engine plays, for GUIs that serve several (Quarry files an engine that
        // does not answer `list_games` as a Go engine).
        {"list_games",
         [](Gtp&, const Args&) {
             return Reply{true, "Othello"};
         }},
        {"set_game",
         [](Gtp&, const Args& a) {
             return a.size() == 1 && a[0] == "Othello" ? Reply{true, ""}
                                                       : Reply{false, "unsupported game"};
         }},
    };
    return table;
}

Gtp::Gtp(int level, std::size_t hashBytes, std::function<std::chrono::nanoseconds()> clock,
         engine::Book book)
    : level_(level), search_(hashBytes), book_(book), clock_(std::move(clock)) {}

std::string Gtp::answer(std::string_view line) {
    std::vector<std::string> args = words(line);
    if (args.empty()) {
        return "";
    }
    std::string id;
    if (count(args[0])) {
        id = args[0];
        args.erase(args.begin());
    }
    Reply reply{false, "unknown command"};
    if (args.empty()) {
        reply.text = "no command";
    } else if (const auto it = std::find_if(commands().begin(), commands().end(),
                                            [&](const Command& c) { return args[0] == c.name; });
               it != commands().end()) {
        args.erase(args.begin());
        reply = it->run(*this, args);
    }
    std::string text = reply.ok ? "=" : "?";
    text += id;
    if (!reply.text.empty()) {
        text += reply.text.starts_with("\n") ? "" : " ";
        text += reply.text;
    }
    return text + "\n\n";
}

Gtp::Reply Gtp::knownCommand(const Args& args) const {
    if (args.size() != 1) {
        return {false, "known_command takes one command"};
    }
    const bool known = std::any_of(commands().begin(), commands().end(),
                                   [&](const Command& c) { return args[0] == c.name; });
    return {true, known ? "true" : "false"};
}

Gtp::Reply Gtp::listCommands() const {
    std::string names;
    for (const Command& c : commands()) {
        names += names.empty() ? "" : "\n";
        names += c.name;
    }
    return {true, names};
}

Gtp::Reply Gtp::boardsize(const Args& args) {
    if (args.size() != 1 || !count(args[0])) {
        return {false, "boardsize not an integer"};
    }
    if (args[0] != "8") {
        return {false, "unacceptable size"};
    }
    return clearBoard();
}

Gtp::Reply Gtp::clearBoard() {
    game_ = engine::GameState();
    added_.clear();
    search_.clear();
    timeLeft_ = {};
    return {true, ""};
}

bool Gtp::bringTurnTo(engine::Colour colour) {
    if (game_.toMove() != colour && game_.mustPass()) {
        game_.play(engine::kPass);
        return true;
    }
    return game_.toMove() == colour || game_.isOver();
}

Gtp::Reply Gtp::play(const Args& args) {
    const auto colour = args.size() == 2 ? colourOf(args[0]) : std::nullopt;
    const auto move = args.size() == 2 ? engine::parseSquare(args[1]) : std::nullopt;
    if (!colour || !move) {
        return {false, "invalid color or coordinate"};
    }
    const std::size_t before = game_.moves().size();
    if (!bringTurnTo(*colour) || game_.play(*move) != engine::MoveError::kNone) {
        while (game_.moves().size() > before) {
            game_.undo();
        }
        return {false, "illegal move"};
    }
    added_.push_back(static_cast<int>(game_.moves().size() - before));
    return {true, ""};
}

int Gtp::chooseFor(engine::Colour colour, const engine::Position& position) {
    if (position.moves() == 0) {
        return engine::kPass;
    }
    platform::reseed();
    if (const auto fromBook = bookMove(level_, book_, position)) {
        return fromBook->move;
    }
    std::optional<engine::Deadline> deadline;
    const auto side = static_cast<std::size_t>(colour == engine::Colour::kBlack ? 0 : 1);
    if (const auto time = timeControl_
                              ? engine::moveTime(*timeControl_, timeLeft_[side], position.empties())
                              : std::nullopt) {
        deadline = engine::deadline(clock_, *time);
    }
    return chooseMove(level_, search_, position, deadline).move;
}

Gtp::Reply Gtp::genmove(const Args& args) {
    const auto colour = args.size() == 1 ? colourOf(args[0]) : std::nullopt;
    if (!colour) {
        return {false, "invalid color"};
    }
    const std::size_t before = game_.moves().size();
    if (!bringTurnTo(*colour)) {
        return {false, "not this color's turn"};
    }
    const int move = game_.isOver() ? engine::kPass : chooseFor(*colour, game_.position());
    if (!game_.isOver()) {
        game_.play(move);
    }
    if (game_.moves().size() > before) {
        added_.push_back(static_cast<int>(game_.moves().size() - before));
    }
    return {true, vertex(move)};
}

Gtp::Reply Gtp::regGenmove(const Args& args) {
    const auto colour = args.size() == 1 ? colourOf(args[0]) : std::nullopt;
    if (!colour) {
        return {false, "invalid color"};
    }
    engine::Position position = game_.position();
    if (position.mover() != *colour && position.mustPass()) {
        position.pass();
    }
    if (position.mover() != *colour && !position.isOver()) {
        return {false, "not this color's turn"};
    }
    return {true, vertex(position.isOver() ? engine::kPass : chooseFor(*colour, position))};
}

Gtp::Reply Gtp::undo() {
    if (added_.empty()) {
        return {false, "cannot undo"};
    }
    for (int i = 0; i < added_.back(); ++i) {
        game_.undo();
    }
    added_.pop_back();
    return {true, ""};
}

Gtp::Reply Gtp::showboard() const {
    const engine::Position& position = game_.position();
    const engine::Bitboard black = position.discs(engine::Colour::kBlack);
    const engine::Bitboard white = position.discs(engine::Colour::kWhite);
    std::string board = "\n  A B C D E F G H";
    for (int square = 0; square < engine::kSquares; ++square) {
        if (square % 8 == 0) {
            board.append("\n").append(std::to_string(square / 8 + 1));
        }
        board += (black & engine::bit(square)) != 0   ? " X"
                 : (white & engine::bit(square)) != 0 ? " O"
                                                      : " .";
    }
    board.append("\nX black ").append(std::to_string(game_.discs(engine::Colour::kBlack)));
    board.append(", O white ").append(std::to_string(game_.discs(engine::Colour::kWhite)));
    board.append(", ");
    board += game_.isOver()                             ? "game over"
             : game_.toMove() == engine::Colour::kBlack ? "black to move"
                                                        : "white to move";
    return {true, board};
}

Gtp::Reply Gtp::finalScore() const {
    const engine::Position& position = game_.position();
    const int black =
        position.mover() == engine::Colour::kBlack ? position.finalScore() : -position.finalScore();
    return {true, black == 0 ? "0" : (black > 0 ? "B+" : "W+") + std::to_string(std::abs(black))};
}

Gtp::Reply Gtp::timeSettings(const Args& args) {
    std::array<long long, 3> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = args.size() == 3 ? count(args[i]) : std::nullopt;
        if (!value) {
            return {false, "syntax error"};
        }
        values[i] = *value;
    }
    timeControl_ = engine::TimeControl{static_cast<double>(values[0]),
                                       static_cast<double>(values[1]), values[2]};
    timeLeft_ = {};
    return {true, ""};
}

Gtp::Reply Gtp::timeLeft(const Args& args) {
    const auto colour = args.size() == 3 ? colourOf(args[0]) : std::nullopt;
    const auto time = args.size() == 3 ? seconds(args[1]) : std::nullopt;
    const auto stones = args.size() == 3 ? count(args[2]) : std::nullopt;
    if (!colour || !time || !stones) {
        return {false, "syntax error"};
    }
    timeLeft_[*colour == engine::Colour::kBlack ? 0 : 1] = engine::TimeLeft{*time, *stones};
    return {true, ""};
}

int runGtp(int level, int hashMiB, int threads, bool book) {
    auto& console = platform::console();
    Gtp gtp(
        level, tableBytes(hashMiB), [&] { return console.steadyTime(); },
        book ? engine::builtinBook() : engine::Book());
    gtp.setThreads(threads);
    while (!gtp.done()) {
        const auto line = console.readLine();
        if (!line) {
            break;
        }
        console.write(line->truncated ? tooLong(line->bytes) : gtp.answer(line->bytes));
    }
    if (console.inputError() != 0) {
        console.error(std::string("standard input: ") + std::strerror(console.inputError()));
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace orvanta
