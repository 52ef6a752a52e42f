#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/book.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"

namespace orvanta {

// The NBoard protocol, version 2, as the NBoard GUI and analysis tools drive Othello engines: one
// command a line, answered (when at all) by lines of the engine's own.
//   nboard 2            -> set myname Orvanta, status Orvanta is waiting
//   set depth N         the mid-game search depth, 1 to 60; see kNboardExactEmpties
//   set game GGF        the game: its start position, moves and clock (nboard_ggf.hpp)
//   set contempt N      accepted (whole centi-discs); a draw scores 0 whatever it says
//   move F5[/eval/time] plays a move (PA: a pass) in the game; the time counts on the clock
//   hint N              -> search PV EVAL 0 DEPTH for the best N moves after each round of
//                          the search, a ply deeper each round (nothing when the mover must
//                          pass: there is nothing to choose)
//   go                  -> search lines after each iteration, then === MOVE/EVAL/SECONDS: the
//                          move to play, which is not played (a book move at once from depth
//                          kBookDepth). Under the game's clock the search also stops within
//                          the move's share of the time left (engine/time_manager.hpp).
//   analyze             -> analysis N EVAL for each position of the game, the last first: N
//                          moves from the start, EVAL from black's side (game/review.hpp)
//   ping N              -> pong N, once everything before it is done
//   learn               -> learned (the book is fixed: nothing is learnt)
//   quit                ends the session
// Evals are in discs from the mover's side (2.00); DEPTH is the plies searched, or 100% for a
// score solved exactly to the end. A PV is its moves joined by '-' (F5-D6-C3; PA a pass).
// Searches begin with "status Orvanta is thinking", say now and then how long they have run,
// and end with a nodestats line and "status Orvanta is waiting".
// A line that cannot be carried out changes nothing and is answered "status error: ...".
class Nboard {
  public:
    // `send` writes one line of the engine's (with its line end); `clock` measures searches.
    // `go` plays the best move of `book` while the position is in it and the depth is at least
    // kBookDepth.
    Nboard(std::size_t hashBytes, std::function<std::chrono::nanoseconds()> clock,
           std::function<void(std::string_view)> send, engine::Book book = {});

    // Carries out one line. `interrupted`, when given, is polled during searches: true ends the
    // search at once, and the command answers with what was found so far.
    void run(std::string_view line, const std::function<bool()>& interrupted = {});
    // Whether `quit` has been read.
    bool done() const { return done_; }
    // The threads the engine searches on.
    void setThreads(int threads) { search_.setThreads(threads); }
    const engine::GameState& game() const { return game_; }
    int depth() const { return depth_; }
    int contempt() const { return contempt_; }

  private:
    void hint(std::string_view count, const std::function<bool()>& interrupted);
    void go(const std::function<bool()>& interrupted);
    void analyze(const std::function<bool()>& interrupted);
    void move(std::string_view text);
    void set(std::string_view what, std::string_view value);
    void error(const std::string& message);
    // The limits of a search at the set depth, polling `interrupted` and telling the GUI now
    // and then that the search goes on. Starts the search's time.
    engine::SearchLimits limits(const std::function<bool()>& interrupted);
    // The lines that end a search: its nodes and time, then the status.
    void finish(std::uint64_t nodes);

    engine::Search search_;
    engine::Book book_;
    std::function<std::chrono::nanoseconds()> clock_;
    std::function<void(std::string_view)> send_;
    engine::GameState game_;
    std::optional<double> timeLimit_;   // each side's seconds for the game, when it has a clock
    std::array<double, 2> timeUsed_{};  // black's and white's seconds spent
    int depth_ = kDefaultDepth;
    int contempt_ = 0;
    bool done_ = false;
    std::chrono::nanoseconds searchStart_{};
    std::chrono::nanoseconds lastStatus_{};

  public:
    // The depth before any `set depth`, and the deepest one.
    static constexpr int kDefaultDepth = 8;
    static constexpr int kMaxDepth = 60;
    // The shallowest depth that plays from the book: level 8's, the first with a node budget.
    static constexpr int kBookDepth = 9;
};

// The empty squares from which a search at NBoard depth `depth` solves the position exactly:
// twice the depth and two more, as the levels do at the gentle end, up to 20 (solved within
// seconds at most).
int nboardExactEmpties(int depth);
// How boldly a search of NBoard's depth prunes: at 73%, as the engines of the field do at their
// depths, so that a depth costs about what theirs does.
engine::Selectivity nboardSelectivity(int depth);

// `orvanta --nboard`: speaks the protocol on standard input and output until `quit` or the end
// of the input. One thread reads the lines into a queue while this one carries them out, so that
// a line arriving during a search ends it. Returns 0, or 1 when reading standard input failed.
int runNboard(int hashMiB, int threads, bool book);

}  // namespace orvanta
