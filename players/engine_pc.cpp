#include "players/engine_pc.hpp"

#include <cstdlib>

#include "platform/console.hpp"
#include "platform/random.hpp"
#include "players/levels.hpp"
#include "players/pc.hpp"
#include "players/positions.hpp"

namespace orvanta {

namespace {

using platform::console;

// "+3.25": a score in hundredths of a disc, as discs.
std::string discs(int score) {
    const int whole = std::abs(score);
    std::string text = score < 0 ? "-" : "+";
    text += std::to_string(whole / engine::kScoreScale) + ".";
    text += std::to_string(whole % engine::kScoreScale / 10);
    text += std::to_string(whole % 10);
    return text;
}

}  // namespace

Point EnginePC::select(Board& board, std::int32_t colour) {
    platform::reseed();
    const engine::Position position = positionOf(board, colour);
    const auto fromBook = bookMove(level_, book_, position);
    const engine::SearchResult result =
        fromBook ? *fromBook : chooseMove(level_, search_, position);
    if (console().testMode() && fromBook) {
        console().write(" : \n : -- level ", level_, ", book, score ", discs(result.score),
                        ", move ", engine::squareName(result.move));
        console().endLine(2);
    } else if (console().testMode()) {
        std::string pv;
        for (const int move : result.pv) {
            pv.append(" ").append(engine::squareName(move));
        }
        console().write(" : \n : -- level ", level_, ", depth ", result.depth,
                        result.exact ? " exact" : "", ", score ", discs(result.score), ", nodes ",
                        static_cast<long long>(result.nodes), ", pv", pv);
        console().endLine(2);
    }
    const Point square = pointOf(result.move);
    board.canPlace(square, colour);  // the last test: the flags the game places by
    return square;
}

std::unique_ptr<Turn> makeComputer(int level, engine::Search* search, engine::Book book) {
    if (level == 0) {
        return std::make_unique<PC>();
    }
    return std::make_unique<EnginePC>(level, *search, book);
}

}  // namespace orvanta
