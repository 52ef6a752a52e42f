#include "players/player.hpp"

#include "platform/console.hpp"
#include "players/engine_pc.hpp"

namespace orvanta {

Point Player::select(Board& board, std::int32_t colour) {
    auto& console = platform::console();
    Point answer(0, 0);
    for (;;) {
        board.print();
        console.endLine();
        console.write(" どこに置きますか？(例:f5 / out-終了 / auto-自動) -> ");
        const auto word = console.readWord();
        console.endLine();
        // Without input there is nobody left to play: leave the game as "out" would.
        if (!word || word->is("out")) {
            answer.set(0, 0);
            return answer;
        }
        if (word->is("auto") || word->is("p")) {
            return makeComputer(level_, search_)->select(board, colour);
        }
        if (!answer.parse(word->bytes)) {
            continue;
        }
        if (board.canPlace(answer, colour)) {
            return answer;
        }
        console.write(" そこには置けません");
        console.endLine(2);
    }
}

}  // namespace orvanta
