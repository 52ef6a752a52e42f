// Two settings of the engine against each other, in this process (no GTP, no book): for tuning
// the search's limits before a real self-play test. Pairs of games from fixed openings, each
// side with both colours; the Elo difference with its 95% interval and the log-likelihood
// ratio of H1 +10 against H0 0 as the games come in.
//
// Usage: engine_match --a SETTINGS --b SETTINGS [--pairs N] [--concurrency N] [--openings FILE]
//                     [--first N]
// A SETTINGS is comma-separated settings: depth=D, exact=E (empties solved exactly), nodes=N,
// sel=P (selectivity 73, 87, 95, 98, 99 or 100), ms=T (a clock of T milliseconds a move: no
// iteration begins after half of it, none goes on past it), threads=T. Openings FILE (default
// bench/openings.txt) from its N-th (default 1). weights=FILE and cuts=FILE in a SETTINGS search
// with those files instead of the built-in ones (both together).
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/openings.hpp"
#include "bench/sprt_stats.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"

namespace orvanta::bench {
namespace {

using namespace engine;
using Clock = std::chrono::steady_clock;

struct Side {
    SearchLimits limits;
    int ms = 0;
    int threads = 1;
    std::string text;
    std::string weightsPath;
    std::string cutsPath;
    std::vector<unsigned char> weightBytes;
    std::optional<CutTable> cuts;
};

std::optional<std::vector<unsigned char>> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::vector<unsigned char>{std::istreambuf_iterator<char>(file), {}};
}

std::optional<Side> parseSide(const std::string& settings) {
    Side side;
    side.text = settings;
    side.limits.depth = 60;
    std::istringstream in(settings);
    for (std::string item; std::getline(in, item, ',');) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) {
            return std::nullopt;
        }
        const std::string key = item.substr(0, equals);
        const long long value = std::atoll(item.c_str() + equals + 1);
        if (key == "weights") {
            side.weightsPath = item.substr(equals + 1);
        } else if (key == "cuts") {
            side.cutsPath = item.substr(equals + 1);
        } else if (key == "depth") {
            side.limits.depth = static_cast<int>(value);
        } else if (key == "exact") {
            side.limits.exactEmpties = static_cast<int>(value);
        } else if (key == "nodes") {
            side.limits.nodes = static_cast<std::uint64_t>(value);
        } else if (key == "ms") {
            side.ms = static_cast<int>(value);
        } else if (key == "threads") {
            side.threads = static_cast<int>(value);
        } else if (key == "sel") {
            bool found = false;
            for (std::size_t i = 0; i < kSelectivityPercent.size(); ++i) {
                if (kSelectivityPercent[i] == value) {
                    side.limits.selectivity = static_cast<Selectivity>(i);
                    found = true;
                }
            }
            if (!found) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (side.weightsPath.empty() != side.cutsPath.empty()) {
        return std::nullopt;
    }
    if (!side.weightsPath.empty()) {
        auto bytes = readBytes(side.weightsPath);
        const auto text = readBytes(side.cutsPath);
        if (!bytes || bytes->size() != EvalWeights::kBytes || !text) {
            return std::nullopt;
        }
        side.weightBytes = std::move(*bytes);
        side.cuts = CutTable::parse(std::string(text->begin(), text->end()));
        if (!side.cuts) {
            return std::nullopt;
        }
    }
    return side;
}

struct Tally {
    double seconds = 0;
    int moves = 0;
};

// One game from `opening`; the final disc difference for side a.
int playGame(const std::vector<int>& opening, const Side* sides[2], bool aIsBlack,
             Tally tallies[2]) {
    std::optional<Search> searches[2];
    for (int i = 0; i < 2; ++i) {
        if (sides[i]->cuts) {
            searches[i].emplace(std::size_t{16} << 20, EvalWeights(sides[i]->weightBytes),
                                *sides[i]->cuts);
        } else {
            searches[i].emplace(std::size_t{16} << 20);
        }
        searches[i]->setThreads(sides[i]->threads);
    }
    GameState game;
    for (const int move : opening) {
        game.play(move);
    }
    while (!game.isOver()) {
        if (game.legalMoves() == 0) {
            game.play(kPass);
            continue;
        }
        const bool blackToMove = game.position().mover() == Colour::kBlack;
        const int i = blackToMove == aIsBlack ? 0 : 1;
        SearchLimits limits = sides[i]->limits;
        const auto start = Clock::now();
        if (sides[i]->ms > 0) {
            const auto hard = start + std::chrono::milliseconds(sides[i]->ms);
            const auto soft = start + std::chrono::milliseconds(sides[i]->ms / 2);
            limits.stop = [hard] { return Clock::now() >= hard; };
            limits.softStop = [soft] { return Clock::now() >= soft; };
        }
        const SearchResult r = searches[i]->run(game.position(), limits);
        tallies[i].seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++tallies[i].moves;
        game.play(r.move);
    }
    const int score = game.position().finalScore();
    const bool blackMoves = game.position().mover() == Colour::kBlack;
    const int black = blackMoves ? score : -score;
    return aIsBlack ? black : -black;
}

}  // namespace
}  // namespace orvanta::bench

int main(int argc, char** argv) {
    using namespace orvanta::bench;
    std::optional<Side> a;
    std::optional<Side> b;
    int pairs = 100;
    int concurrency = 2;
    int first = 1;
    std::string openingsPath = ORVANTA_OPENINGS;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--a") {
            a = parseSide(value);
        } else if (name == "--b") {
            b = parseSide(value);
        } else if (name == "--pairs") {
            pairs = std::atoi(value.c_str());
        } else if (name == "--concurrency") {
            concurrency = std::atoi(value.c_str());
        } else if (name == "--first") {
            first = std::atoi(value.c_str());
        } else if (name == "--openings") {
            openingsPath = value;
        } else {
            a.reset();
        }
    }
    std::string error;
    const auto openings = readOpenings(openingsPath, error);
    if (!a || !b || argc % 2 == 0 || pairs < 1 || concurrency < 1 || first < 1 || !openings ||
        static_cast<std::size_t>(first) - 1 + static_cast<std::size_t>(pairs) > openings->size()) {
        std::fprintf(stderr,
                     "usage: %s --a SETTINGS --b SETTINGS [--pairs N] [--concurrency N] "
                     "[--openings FILE] [--first N] %s\n",
                     argv[0], error.c_str());
        return 2;
    }
    std::printf("a: %s\nb: %s\n", a->text.c_str(), b->text.c_str());
    std::mutex mutex;
    Pentanomial counts{};
    Tally tallies[2];
    double discs = 0;
    int done = 0;
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int p = next++; p < pairs; p = next++) {
            const auto& opening =
                (*openings)[static_cast<std::size_t>(first) - 1 + static_cast<std::size_t>(p)];
            const Side* sides[2] = {&*a, &*b};
            Tally local[2];
            const int g1 = playGame(opening, sides, true, local);
            const int g2 = playGame(opening, sides, false, local);
            const auto points = [](int d) { return d > 0 ? 2 : d == 0 ? 1 : 0; };
            const std::lock_guard lock(mutex);
            ++counts[static_cast<std::size_t>(points(g1)) + static_cast<std::size_t>(points(g2))];
            discs += g1 + g2;
            for (int i = 0; i < 2; ++i) {
                tallies[i].seconds += local[i].seconds;
                tallies[i].moves += local[i].moves;
            }
            ++done;
            const EloEstimate e = eloEstimate(counts);
            std::printf(
                "%4d pairs: %+6.1f Elo (%+.1f, %+.1f), LLR %+.2f, %+.2f discs, "
                "%.3f / %.3f s a move\n",
                done, e.elo, e.low, e.high, logLikelihoodRatio(counts, 0, 10), discs / (2.0 * done),
                tallies[0].seconds / tallies[0].moves, tallies[1].seconds / tallies[1].moves);
            std::fflush(stdout);
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(concurrency));
    for (int t = 0; t < concurrency; ++t) {
        threads.emplace_back(work);
    }
    for (auto& t : threads) {
        t.join();
    }
    std::printf("pairs (0 to 4 half-points of a): %d %d %d %d %d\n", counts[0], counts[1],
                counts[2], counts[3], counts[4]);
    return 0;
}
