#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "engine/search.hpp"
#include "game/history.hpp"
#include "game/record.hpp"
#include "platform/append_file.hpp"
#include "players/turn.hpp"

namespace orvanta {

// One board and one record for the whole run, and the two seats of the game being played.
// The board and the record are reset only when the next game starts, so between games they hold
// the last game's final position and moves.
class Game {
  public:
    // Play modes of `seat`.
    static constexpr int kTwoHumans = 0;
    static constexpr int kHumanAgainstComputer = 1;

    // Seats both colours: two humans, a human against the computer (a coin toss decides who
    // plays black), or for any other mode the computer on both sides.
    void seat(int mode);
    // Plays one whole game; returns when it is over or a human quits.
    void play();
    void unseat();
    // Lists the last game's moves and the counts of the position it left.
    void showLast() const;
    // Appends every game that ends, finished or abandoned, to `file` as a GGF record; the
    // screen stays the same.
    void keepRecordsIn(platform::AppendFile& file) { records_ = &file; }
    // The computer's level for the games to come (0 to kMaxLevel), with the size of the engine's
    // table for levels from 1.
    void setLevel(int level, std::size_t hashBytes);

    const Board& board() const { return board_; }
    const History& history() const { return history_; }

  private:
    // Prints the end of the game and the result.
    void finish();
    // Appends the game to the record file, if there is one; `margin` as `ggfRecord` takes it.
    void keepRecord(std::optional<int> margin);

    Board board_;
    History history_;
    std::array<std::unique_ptr<Turn>, 2> seats_;
    std::int32_t side_ = kBlack;
    // For the record file: who plays each colour, and every move and pass of the game.
    std::array<std::string, 2> players_;
    std::vector<RecordedMove> moves_;
    platform::AppendFile* records_ = nullptr;
    int level_ = 0;
    std::unique_ptr<engine::Search> search_;  // from level 1
};

}  // namespace orvanta
