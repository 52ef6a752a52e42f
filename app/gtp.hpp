#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/book.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"
#include "engine/time_manager.hpp"

namespace orvanta {

// The Go Text Protocol, version 2, as Othello engines speak it to GUIs and referees: one command
// a line, answered "= result" or "? message", each answer ended by a blank line. Vertices are
// a1 to h8 with a1 top left, the discs starting as in the game; "pass" is a pass. When the side
// to move has no move, a `play` or `genmove` for the other colour is taken as coming after that
// side's pass, so a referee need not send passes (Quarry never sends them in Reversi).
// `list_games` answers Othello and `set_game` accepts only it, so that GUIs serving several games
// (Quarry) file the engine under Reversi; `reg_genmove` gives the move without playing it.
class Gtp {
  public:
    // `clock` measures the time a move takes, for `time_settings` and `time_left`. The strong
    // levels play from `book` while the position is in it, at once.
    Gtp(int level, std::size_t hashBytes, std::function<std::chrono::nanoseconds()> clock,
        engine::Book book = {});

    // The answer to one line of input, blank line included; "" for a line without a command
    // (empty or a comment).
    std::string answer(std::string_view line);
    // Whether `quit` has been answered.
    bool done() const { return done_; }
    // The threads the engine searches on.
    void setThreads(int threads) { search_.setThreads(threads); }

  private:
    struct Command;
    struct Reply {
        bool ok;
        std::string text;
    };
    static const std::vector<Command>& commands();

    Reply play(const std::vector<std::string>& args);
    Reply genmove(const std::vector<std::string>& args);
    // The move `genmove` would choose, without playing it.
    Reply regGenmove(const std::vector<std::string>& args);
    // The engine's move for `colour` in `position` (its turn), under the time settings; kPass
    // when it has none.
    int chooseFor(engine::Colour colour, const engine::Position& position);
    Reply undo();
    Reply showboard() const;
    Reply finalScore() const;
    Reply timeSettings(const std::vector<std::string>& args);
    Reply timeLeft(const std::vector<std::string>& args);
    Reply knownCommand(const std::vector<std::string>& args) const;
    Reply listCommands() const;
    Reply boardsize(const std::vector<std::string>& args);
    Reply clearBoard();
    // Passes for the side to move when it has no move and `colour` is the other one; returns
    // false when `colour` may not move now.
    bool bringTurnTo(engine::Colour colour);

    int level_;
    engine::Search search_;
    engine::Book book_;
    std::function<std::chrono::nanoseconds()> clock_;
    engine::GameState game_;
    // How many entries of the game each `play` or `genmove` added (a pass put in before it
    // counts), so that `undo` takes back exactly one command.
    std::vector<int> added_;
    // The clock as time_settings gave it, and the time left per colour as time_left last said.
    std::optional<engine::TimeControl> timeControl_;
    std::array<std::optional<engine::TimeLeft>, 2> timeLeft_;
    bool done_ = false;
};

// `orvanta --gtp`: speaks the protocol on standard input and output until `quit` or the end of
// the input. Returns the exit status: 0, or 1 when reading standard input failed.
int runGtp(int level, int hashMiB, int threads, bool book);

}  // namespace orvanta
