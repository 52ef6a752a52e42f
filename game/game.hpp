#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "engine/book.hpp"
#include "engine/search.hpp"
#include "game/background_review.hpp"
#include "game/history.hpp"
#include "game/record.hpp"
#include "platform/append_file.hpp"
#include "players/turn.hpp"

namespace orvanta {

// Who plays a game: two humans at one keyboard, a human against the computer, or the computer
// on both sides.
enum class PlayMode { kTwoHumans, kHumanAgainstComputer, kComputers };

// One board and one record for the whole run, and the two seats of the game being played.
// The board and the record are reset only when the next game starts, so between games they hold
// the last game's final position and moves.
class Game {
  public:
    // Seats both colours for the mode; against the computer a coin toss decides who plays
    // black, unless `humanColour` is given.
    void seat(PlayMode mode, std::optional<std::int32_t> humanColour = std::nullopt);
    // Plays one whole game; returns when it is over or a human quits.
    void play();
    void unseat();
    // Lists the last game's moves and the counts of the position it left.
    void showLast() const;
    // Appends every game that ends, finished or abandoned, to `file` as a GGF record; the
    // screen stays the same.
    void keepRecordsIn(platform::AppendFile& file) { records_ = &file; }
    // The computer's level for the games to come (0 to kMaxLevel), with the size of the engine's
    // table for levels from 1 (and for player mode).
    void setLevel(int level, std::size_t hashBytes);
    void setLevel(int level) { setLevel(level, hashBytes_); }
    int level() const { return level_; }
    // The threads the engine searches on (see engine::Search::setThreads), the hint's search
    // too, and the threads that share the review's positions after a game (reviewGame).
    void setThreads(int threads, int reviewThreads = kDefaultReviewThreads);
    // Player mode for the games to come: the human seats mark legal moves and know hint, undo
    // and help; "undo" takes moves back; a finished game is reviewed.
    void setCoach(bool on);
    // The level of player mode's review (kDefaultReviewLevel unless told). The review searches
    // while the game is played, so that it is ready when the game ends.
    void setReviewLevel(int level) { reviewLevel_ = level; }
    // Whether the player may walk the review's moves on the board after it (on a terminal).
    void setWalkReviews(bool on) { walkReviews_ = on; }
    // Whether the computer's strong levels play from the built-in opening book (on unless told).
    void setBook(bool on) { book_ = on ? engine::builtinBook() : engine::Book(); }

    const Board& board() const { return board_; }
    const History& history() const { return history_; }

  private:
    // Prints the end of the game and the result.
    void finish();
    // Appends the game to the record file, if there is one; `margin` as `ggfRecord` takes it.
    void keepRecord(std::optional<int> margin);
    // Takes back the moves after the last move of a human seat, and that move; false, and
    // nothing changed, when there is none.
    bool takeBack();
    // The board set to the position after the moves kept.
    void replay();
    // The moves kept, as the engine numbers squares (kPass for a pass).
    std::vector<int> engineMoves() const;
    // Hands the background review the position before a move: all of its moves where a human
    // moves, else the move played (kPass: not yet known).
    void reviewLater(std::int32_t colour, int move);
    // A position's review, as the hint gives it: the background's when it has it, else searched
    // now (and kept for the review). Either way the same scores: the hint agrees with the
    // review after the game.
    std::vector<MoveScore> analysis(const engine::Position& position);

    Board board_;
    History history_;
    std::array<std::unique_ptr<Turn>, 2> seats_;
    std::int32_t side_ = kBlack;
    // For the record file: who plays each colour, and every move and pass of the game.
    std::array<std::string, 2> players_;
    std::vector<RecordedMove> moves_;
    platform::AppendFile* records_ = nullptr;
    // Which colours a human plays in the game being played.
    std::array<bool, 2> humans_{};
    int level_ = 0;
    std::size_t hashBytes_ = 0;
    int threads_ = 1;
    int reviewThreads_ = kDefaultReviewThreads;
    bool coach_ = false;
    int reviewLevel_ = kDefaultReviewLevel;
    bool walkReviews_ = false;
    // In player mode, while a game is played: its review under way.
    std::unique_ptr<BackgroundReview> background_;
    std::unique_ptr<engine::Search> search_;  // from level 1, and in player mode
    engine::Book book_ = engine::builtinBook();
};

}  // namespace orvanta
