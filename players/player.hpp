#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "engine/book.hpp"
#include "engine/search.hpp"
#include "platform/console.hpp"
#include "players/move_scores.hpp"
#include "players/turn.hpp"

namespace orvanta {

// The human's seat: draws the board, prompts and reads one word per prompt. A square such as f5
// is tested and returned when legal; "auto" or "p" hands this one move to the computer of the
// given level (from its book too); "out", or the end of input, returns the quit point (0, 0).
//
// In player mode (`coach`) the board marks the legal squares and frames the last move, the
// prompt names the colour to move and the disc counts, and three more words are known: "hint"
// marks the best moves on the board and lists every legal move with the engine's score, best
// first; "undo" returns kUndoPoint, for the game to take moves back; "help" explains the words.
// Squares are read in either case; a square refused gets the reason (off the board, taken,
// turns nothing), and any other word one line naming the words.
class Player final : public Turn {
  public:
    // Where a hint's scores come from: every legal move of the position, best first. Without
    // one, the engine searches at the level's advice level (adviceLevel).
    using Analysis = std::function<std::vector<MoveScore>(const engine::Position&)>;

    explicit Player(int level = 0, engine::Search* search = nullptr, bool coach = false,
                    engine::Book book = {})
        : level_(level), search_(search), coach_(coach), book_(book) {}
    Point select(Board& board, std::int32_t colour) override;
    bool handedOver() const override { return handedOver_; }
    void setAnalysis(Analysis analysis) { analysis_ = std::move(analysis); }

  private:
    // The quit point for "out" or the end of input, the computer's move for "auto" and "p";
    // nothing for any other word.
    std::optional<Point> choiceOf(const std::optional<platform::Word>& word, Board& board,
                                  std::int32_t colour);
    Point coachedSelect(Board& board, std::int32_t colour);
    void showHint(const Board& board, std::int32_t colour);

    int level_;
    engine::Search* search_;  // needed from level 1, and for hints
    bool coach_;
    engine::Book book_;
    bool handedOver_ = false;
    Analysis analysis_;
};

}  // namespace orvanta
