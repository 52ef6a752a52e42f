// What forward pruning costs each level in accuracy: on positions the engine was not trained on,
// the level's search at its selectivity against the same search without pruning, at the same
// depth: how often the best move differs, how often and by how much the score differs, and the
// share of the time the pruned search takes; and the mean depth a level with a node budget
// reaches within it in the mid-game.
//
// Usage: selectivity [--openings FILE] [--first N] [--games N] [--most-depth D]
// Positions: the openings FILE's (default bench/openings.txt) from the N-th (default 601), 20
// games, each continued by a 4-ply search to plies 10, 20, 30 and 40. Each pruning level searches
// to its own depth, at most D plies (default 14: an unpruned search deeper than that takes too long
// to compare with); no exact endgame, no node budget.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/openings.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"
#include "players/levels.hpp"

namespace orvanta::bench {
namespace {

using engine::Position;

// Plies 10, 20, 30 and 40 of each game: the opening, then a 4-ply search for both sides.
std::vector<Position> heldOutPositions(const std::vector<std::vector<int>>& openings) {
    engine::Search search(std::size_t{16} << 20);
    std::vector<Position> positions;
    for (const auto& opening : openings) {
        engine::GameState game;
        for (const int move : opening) {
            game.play(move);
        }
        for (int ply = static_cast<int>(opening.size()); ply < 40 && !game.isOver(); ++ply) {
            engine::SearchLimits limits;
            limits.depth = 4;
            limits.selectivity = engine::Selectivity::kNone;
            game.play(search.run(game.position(), limits).move);
            if ((ply + 1) % 10 == 0 && game.position().moves() != 0) {
                positions.push_back(game.position());
            }
        }
    }
    return positions;
}

struct Tally {
    int positions = 0;
    int moveDiffers = 0;
    int scoreDiffers = 0;
    double scoreError = 0;  // sum of |difference|, in discs
    double pruned = 0;      // seconds
    double full = 0;
};

int run(int argc, char** argv) {
    std::string path = ORVANTA_OPENINGS;
    int first = 601;
    int games = 20;
    int mostDepth = 14;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && (arg == "--openings" || arg == "--first" || arg == "--games" ||
                             arg == "--most-depth")) {
            const std::string value = argv[++i];
            if (arg == "--openings") {
                path = value;
            } else {
                const int n = std::atoi(value.c_str());
                if (n < 1) {
                    std::fprintf(stderr, "%s: %s wants a whole number from 1\n", argv[0],
                                 arg.c_str());
                    return 2;
                }
                (arg == "--first" ? first : arg == "--games" ? games : mostDepth) = n;
            }
        } else {
            std::fprintf(stderr,
                         "usage: %s [--openings FILE] [--first N] [--games N] [--most-depth D]\n",
                         argv[0]);
            return 2;
        }
    }
    std::string error;
    const auto openings = readOpenings(path, error);
    if (!openings) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 2;
    }
    if (first + games - 1 > static_cast<int>(openings->size())) {
        std::fprintf(stderr, "%s: %s has %zu openings\n", argv[0], path.c_str(), openings->size());
        return 2;
    }
    const std::vector<std::vector<int>> chosen(openings->begin() + (first - 1),
                                               openings->begin() + (first - 1 + games));
    const std::vector<Position> positions = heldOutPositions(chosen);
    std::printf(
        "%zu positions (plies 10, 20, 30, 40 of openings %d-%d of %s), each search from a "
        "cleared 64 MiB table\n",
        positions.size(), first, first + games - 1, path.c_str());
    std::printf(
        "level  depth  selectivity  best move differs  score differs  mean |error|  "
        "time pruned/full  depth in its budget\n");
    engine::Search search(std::size_t{64} << 20);
    const auto timed = [&](const Position& p, int depth, engine::Selectivity selectivity,
                           double& seconds) {
        search.clear();
        engine::SearchLimits limits;
        limits.depth = depth;
        limits.selectivity = selectivity;
        const auto start = std::chrono::steady_clock::now();
        engine::SearchResult r = search.run(p, limits);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return r;
    };
    for (int level = 1; level <= kMaxLevel; ++level) {
        const Level& settings = levelSettings(level);
        if (settings.selectivity == engine::Selectivity::kNone) {
            continue;
        }
        const int depth = std::min(settings.depth, mostDepth);
        Tally t;
        for (const Position& p : positions) {
            const auto pruned = timed(p, depth, settings.selectivity, t.pruned);
            const auto full = timed(p, depth, engine::Selectivity::kNone, t.full);
            ++t.positions;
            t.moveDiffers += pruned.move != full.move ? 1 : 0;
            t.scoreDiffers += pruned.score != full.score ? 1 : 0;
            t.scoreError += std::abs(pruned.score - full.score) / double{engine::kScoreScale};
        }
        // The depth the level itself reaches within its node budget, where it has one: the
        // mean over the mid-game positions (30 empties or more; no exact endgame).
        double reached = 0;
        int midgame = 0;
        if (settings.nodes != 0) {
            for (const Position& p : positions) {
                if (p.empties() < 30) {
                    continue;
                }
                ++midgame;
                search.clear();
                engine::SearchLimits limits;
                limits.depth = settings.depth;
                limits.nodes = settings.nodes;
                limits.selectivity = settings.selectivity;
                reached += search.run(p, limits).depth;
            }
        }
        const double n = t.positions;
        std::printf("%5d  %5d  %10d%%  %16.1f%%  %12.1f%%  %8.2f discs  %15.2f", level, depth,
                    engine::kSelectivityPercent[static_cast<std::size_t>(settings.selectivity)],
                    100.0 * t.moveDiffers / n, 100.0 * t.scoreDiffers / n, t.scoreError / n,
                    t.pruned / t.full);
        if (settings.nodes != 0) {
            std::printf("  %19.1f", reached / std::max(midgame, 1));
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace
}  // namespace orvanta::bench

int main(int argc, char** argv) {
    return orvanta::bench::run(argc, argv);
}
