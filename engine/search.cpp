#include "engine/search.hpp"

#include <algorithm>

#include "engine/kernels.hpp"

// The search's entry points; the search itself (root.hpp, midgame.hpp) is built once per kernel.
namespace orvanta::engine {

int evaluate(const Position& position) {
    return evaluate(position.player(), position.opponent(), builtinWeights());
}

std::vector<std::pair<int, int>> Search::rootScores(const Position& position, int depth,
                                                    Selectivity selectivity) {
    table_.newSearch();
    std::vector<std::pair<int, int>> scores;
    kernels(isa_).rootScores(position, depth, selectivity, table_, weights_, cuts_, scores,
                             lastNodes_);
    std::stable_sort(scores.begin(), scores.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return scores;
}

void Search::setThreads(int threads) {
    threads_ = std::max(threads, 1);
    if (threads_ == 1) {
        pool_.reset();
    } else if (!pool_ || pool_->workers() != threads_ - 1) {
        pool_.reset();
        pool_ = std::make_unique<ThreadPool>(threads_ - 1);
    }
}

SearchResult Search::run(const Position& position, const SearchLimits& limits) {
    table_.newSearch();
    if (position.moves() == 0) {
        SearchResult result;
        result.exact = position.isOver();
        result.score = position.isOver() ? position.finalScore() * kScoreScale : 0;
        if (position.mustPass()) {
            result.pv = {kPass};
        }
        lastNodes_ = 0;
        return result;
    }
    SearchResult result =
        kernels(isa_).search(position, limits, table_, weights_, cuts_, threads_, pool_.get());
    lastNodes_ = result.nodes;
    return result;
}

}  // namespace orvanta::engine
