#include "players/levels.hpp"

#include <algorithm>
#include <array>

#include "platform/random.hpp"

namespace orvanta {

namespace {

// From gentle to strongest. Level 1 picks among nearly all moves by a one-ply look; the spread
// narrows as the search deepens. The gentle levels search every move (their searches are too
// shallow for forward pruning to matter); from level 6 on the search prunes, and
// level 10 boldly (at 73%, as NBoard's depths), which buys it more depth for its nodes. Level 10
// averages at most half a second a move on a two-core machine of 2026 (see doc/benchmarks.md).
using engine::Selectivity;
constexpr std::array<Level, kMaxLevel> kLevels = {{
    {1, 0, 0, 3000, Selectivity::kNone},
    {1, 4, 0, 800, Selectivity::kNone},
    {2, 6, 0, 400, Selectivity::kNone},
    {3, 8, 0, 200, Selectivity::kNone},
    {4, 10, 0, 100, Selectivity::kNone},
    {5, 12, 0, 0, Selectivity::k15},
    {6, 14, 0, 0, Selectivity::k15},
    {9, 16, 1'000'000, 0, Selectivity::k15},
    {12, 18, 3'000'000, 0, Selectivity::k15},
    {30, 21, 7'000'000, 0, Selectivity::k11},
}};

constexpr std::array<const char*, kMaxLevel + 1> kNames = {
    "orvanta",         "orvanta-level-1", "orvanta-level-2",  "orvanta-level-3",
    "orvanta-level-4", "orvanta-level-5", "orvanta-level-6",  "orvanta-level-7",
    "orvanta-level-8", "orvanta-level-9", "orvanta-level-10",
};

}  // namespace

const Level& levelSettings(int level) {
    return kLevels[static_cast<std::size_t>(level - 1)];
}

engine::SearchLimits levelLimits(int level, int threads, bool clocked) {
    const Level& settings = levelSettings(level);
    engine::SearchLimits limits;
    limits.depth = settings.depth;
    limits.exactEmpties = settings.exactEmpties;
    limits.selectivity = settings.selectivity;
    limits.nodes = clocked && level == kMaxLevel
                       ? 0
                       : settings.nodes * static_cast<std::uint64_t>(std::max(threads, 1));
    return limits;
}

engine::SearchResult chooseMove(int level, engine::Search& search, const engine::Position& position,
                                const std::optional<engine::Deadline>& deadline) {
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
    engine::SearchLimits limits = levelLimits(level, search.threads(), deadline.has_value());
    if (deadline) {
        limits.stop = deadline->stop;
        limits.softStop = deadline->softStop;
    }
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

int adviceLevel(int level) {
    constexpr int kLowest = 6;
    constexpr int kHighest = 8;
    return std::clamp(level, kLowest, kHighest);
}

const char* computerName(int level) {
    return kNames[static_cast<std::size_t>(level)];
}

bool isComputerName(std::string_view name) {
    return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

}  // namespace orvanta
