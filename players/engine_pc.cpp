#include "players/engine_pc.hpp"

#include <algorithm>
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

engine::SearchLimits levelLimits(int level, int threads, bool clocked) {
    const Level& settings = levelSettings(level);
    engine::SearchLimits limits;
    limits.depth = settings.depth;
    limits.exactEmpties = settings.exactEmpties;
    limits.selectivity = settings.selectivity;
    // A level's budget is for each thread: more threads search more in about the same time,
    // rather than the same in less.
    limits.nodes = clocked && level == kMaxLevel
                       ? 0
                       : settings.nodes * static_cast<std::uint64_t>(std::max(threads, 1));
    return limits;
}

engine::SearchResult chooseMove(int level, engine::Search& search, const engine::Position& position,
                                std::function<bool()> stop, std::function<bool()> softStop) {
    const Level& settings = levelSettings(level);
    if (settings.spread > 0 && position.empties() > settings.exactEmpties) {
        // Any move within the spread of the best may be chosen, each as likely.
        const auto scores = search.rootScores(position, settings.depth, settings.selectivity);
        std::size_t close = 0;
        while (close < scores.size() &&
               scores[close].second >= scores[0].second - settings.spread) {
            ++close;
        }
        const auto& [move, score] = scores[platform::generator()() % close];
        return {move, score, settings.depth, false, search.lastNodes(), {move}};
    }
    engine::SearchLimits limits = levelLimits(level, search.threads(), static_cast<bool>(stop));
    limits.stop = std::move(stop);
    limits.softStop = std::move(softStop);
    return search.run(position, limits);
}

std::optional<engine::SearchResult> bookMove(int level, const engine::Book& book,
                                             const engine::Position& position) {
    if (level < kFirstBookLevel) {
        return std::nullopt;
    }
    const auto moves = book.moves(position);
    if (moves.empty()) {
        return std::nullopt;
    }
    std::size_t choices = 1;
    if (level < kMaxLevel) {
        while (choices < moves.size() && moves[choices].score >= moves[0].score - kBookSpread) {
            ++choices;
        }
    }
    const engine::BookMove& chosen = moves[choices == 1 ? 0 : platform::generator()() % choices];
    return engine::SearchResult{chosen.move, chosen.score, 0, false, 0, {chosen.move}};
}

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
