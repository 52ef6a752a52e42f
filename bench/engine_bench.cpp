// The engine's figures: perft from the start with the engine's kernels and with the plain
// baseline in the same run; the evaluation's speed; the mid-game search against plain alpha-beta
// at equal depth, then alone deeper (its node counts are a signature: a change that should not
// alter the search must not change them); and the time to solve every FFO position exactly, on
// one thread and then on --threads (default 2), with the ratio of the times (the deeper search
// too).
//   engine_bench [--depth N] [--runs N] [--table-mib N] [--ffo DIR|--no-ffo]
//                [--search-depth N|--no-search] [--selectivity P] [--threads N]
//                [--ffo-search FILE]
// --selectivity searches the deeper run at that confidence (73, 87, 95, 98, 99 or 100 percent:
// none) instead of the search's default. --ffo-search FILE (only that) plays the search as a
// level does on FFO positions solved from the start: without pruning, then at --selectivity,
// which first searches selectively to the end; the times and whether the scores are exact.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench/plain_rules.hpp"
#include "engine/perft.hpp"
#include "engine/search.hpp"
#include "engine/solve.hpp"
#include "tests/support/engine_games.hpp"
#include "tests/support/ffo.hpp"
#include "tests/support/plain_search.hpp"

namespace orvanta::bench {
namespace {

using engine::Isa;
using engine::Position;

struct Options {
    int depth = 11;
    int runs = 3;
    std::size_t tableMiB = 256;
    std::string ffo = ORVANTA_FFO_DIR;
    int searchDepth = 12;  // 0: no search figures
    int threads = 2;       // the FFO positions again on this many threads (1: not again)
    engine::Selectivity selectivity = engine::SearchLimits{}.selectivity;
    std::string ffoSearch;  // an FFO file for benchFfoSearch instead of everything else
};

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of `runs` interleaved runs of each counter; all must agree.
bool benchPerft(const Options& options) {
    struct Counter {
        std::string name;
        std::function<std::uint64_t()> count;
        double best = 0;
        std::uint64_t nodes = 0;
    };
    std::vector<Counter> counters;
    counters.push_back({"plain", [&] { return plainPerft(Position(), options.depth); }});
    for (const Isa isa : {Isa::kPortable, Isa::kAvx2}) {
        if (engine::isaSupported(isa)) {
            counters.push_back({"engine/" + std::string(engine::isaName(isa)), [&options, isa] {
                                    return engine::perft(Position(), options.depth, isa);
                                }});
        }
    }
    for (int run = 0; run < options.runs; ++run) {
        for (Counter& c : counters) {
            const double t = seconds([&] { c.nodes = c.count(); });
            c.best = run == 0 ? t : std::min(c.best, t);
        }
    }
    bool agree = true;
    std::printf("perft depth %d from the start, fastest of %d runs\n", options.depth, options.runs);
    for (const Counter& c : counters) {
        agree = agree && c.nodes == counters.front().nodes;
        std::printf("  %-16s %12llu nodes  %8.3f s  %7.1f M nodes/s  %5.2fx plain\n",
                    c.name.c_str(), static_cast<unsigned long long>(c.nodes), c.best,
                    static_cast<double>(c.nodes) / c.best / 1e6, counters.front().best / c.best);
    }
    return agree;
}

// Every position of one FFO file on `threads` threads, each with a cleared table: exact score
// and a best move. The total time, or nothing if any is wrong.
std::optional<double> benchFfo(const std::string& path, engine::TranspositionTable& table,
                               int threads) {
    const auto positions = testing::readFfo(path);
    // Files are named after their first and last FFO numbers: fforum-20-39.obf.
    const std::size_t dash = path.rfind("fforum-");
    const int first = dash == std::string::npos ? 1 : std::atoi(path.c_str() + dash + 7);
    std::printf("%s: %zu positions, table %zu MiB, %s kernels, %d thread%s\n", path.c_str(),
                positions.size(), table.bytes() >> 20,
                std::string(engine::isaName(engine::bestIsa())).c_str(), threads,
                threads == 1 ? "" : "s");
    engine::SolveBudget budget;
    budget.threads = threads;
    double total = 0;
    std::uint64_t nodes = 0;
    int wrong = positions.empty() ? 1 : 0;
    for (const testing::FfoPosition& p : positions) {
        table.clear();
        engine::SolveResult r;
        const double t = seconds([&] {
            r = engine::solve(p.position, engine::kMinScore, engine::kMaxScore, table, budget);
        });
        const int expected = p.moves.empty() ? 999 : p.moves.front().score;
        int moveScore = 999;
        for (const auto& m : p.moves) {
            moveScore = m.move == r.move ? m.score : moveScore;
        }
        if (moveScore == 999 && r.move != engine::kPass) {  // not listed: solve the child
            moveScore = -engine::solve(p.position.after(r.move), table).score;
        }
        const bool right = r.score == expected && moveScore == expected;
        wrong += right ? 0 : 1;
        total += t;
        nodes += r.nodes;
        std::printf("  #%-3d %2d empties  %+3d %-4s %12llu nodes  %8.3f s  %6.1f M nodes/s%s\n",
                    first + p.line - 1, p.position.empties(), r.score,
                    engine::squareName(r.move).c_str(), static_cast<unsigned long long>(r.nodes), t,
                    static_cast<double>(r.nodes) / t / 1e6, right ? "" : "  WRONG");
    }
    std::printf("  all %s: %.3f s, %llu nodes, %.1f M nodes/s\n",
                wrong == 0 ? "right" : "NOT right", total, static_cast<unsigned long long>(nodes),
                static_cast<double>(nodes) / total / 1e6);
    return wrong == 0 ? std::optional(total) : std::nullopt;
}

// Every position of an FFO file through the search, solved exactly from the start, without
// pruning and then at `selectivity` (a selective search to the end before the solve): the time
// of each and whether every score is the exact one.
bool benchFfoSearch(const std::string& path, engine::Selectivity selectivity) {
    const auto positions = testing::readFfo(path);
    engine::Search search(std::size_t{256} << 20);
    bool right = !positions.empty();
    double times[2] = {};
    std::printf("%s through the search, exact from the start, 256 MiB table cleared each\n",
                path.c_str());
    int column = 0;
    for (const engine::Selectivity cut : {engine::Selectivity::kNone, selectivity}) {
        for (const testing::FfoPosition& p : positions) {
            search.clear();
            engine::SearchLimits limits;
            limits.depth = 60;
            limits.exactEmpties = 60;
            limits.selectivity = cut;
            engine::SearchResult r;
            times[column] += seconds([&] { r = search.run(p.position, limits); });
            const int expected = p.moves.empty() ? 999 : p.moves.front().score;
            right = right && r.score == expected * engine::kScoreScale;
        }
        std::printf("  at %3d%% selectivity: %8.3f s\n",
                    engine::kSelectivityPercent[static_cast<std::size_t>(cut)], times[column]);
        ++column;
    }
    std::printf("  %.2fx the time without pruning, scores %s\n", times[1] / times[0],
                right ? "all exact" : "NOT all exact");
    return right;
}

// Fixed mid-game positions: every 97th position with 30 to 50 empties of seeded random games.
std::vector<Position> midgamePositions() {
    std::vector<Position> chosen;
    int seen = 0;
    for (const Position& p : testing::randomGamePositions(2024, 60)) {
        if (p.moves() != 0 && p.empties() >= 30 && p.empties() <= 50 && ++seen % 97 == 0) {
            chosen.push_back(p);
        }
    }
    return chosen;
}

// Nanoseconds per evaluation over the positions of seeded random games, the pattern evaluation
// against a plain one (mobility and corners, what the first search used).
void benchEvaluation() {
    const auto positions = testing::randomGamePositions(7, 200);
    const engine::EvalWeights weights = engine::builtinWeights();
    const auto plain = [](engine::Bitboard p, engine::Bitboard o) {
        const int mobility =
            engine::popcount(engine::legalMoves(p, o)) - engine::popcount(engine::legalMoves(o, p));
        const int corners =
            engine::popcount(p & engine::kCorners) - engine::popcount(o & engine::kCorners);
        return mobility * 50 + corners * 400;
    };
    constexpr int kRounds = 50;
    long long sink = 0;
    double times[2] = {};
    for (int run = 0; run < 3; ++run) {
        const double pattern = seconds([&] {
            for (int r = 0; r < kRounds; ++r) {
                for (const Position& p : positions) {
                    sink += engine::evaluate(p.player(), p.opponent(), weights);
                }
            }
        });
        const double simple = seconds([&] {
            for (int r = 0; r < kRounds; ++r) {
                for (const Position& p : positions) {
                    sink += plain(p.player(), p.opponent());
                }
            }
        });
        times[0] = run == 0 ? pattern : std::min(times[0], pattern);
        times[1] = run == 0 ? simple : std::min(times[1], simple);
    }
    const double count = static_cast<double>(positions.size()) * kRounds;
    std::printf("evaluation over %zu positions x %d (checksum %lld), fastest of 3 runs\n",
                positions.size(), kRounds, sink % 1000);
    std::printf("  patterns  %6.1f ns/eval  %5.2fx the plain one (%.1f ns)\n",
                times[0] / count * 1e9, times[0] / times[1], times[1] / count * 1e9);
}

// The search against plain alpha-beta (same evaluation, no table, no ordering) at equal depth,
// then the search alone at `depth`: nodes, time and nodes a second over fixed positions, each
// with a cleared 16 MiB table.
void benchSearch(int depth, engine::Selectivity selectivity, int threads) {
    const auto positions = midgamePositions();
    const engine::EvalWeights weights = engine::builtinWeights();
    testing::PlainSearch plain([&weights](engine::Bitboard p, engine::Bitboard o) {
        return engine::evaluate(p, o, weights);
    });
    engine::Search search(std::size_t{16} << 20);
    constexpr int kPlainDepth = 7;
    struct Total {
        std::uint64_t nodes = 0;
        double time = 0;
    };
    const auto runSearch = [&](int d, engine::Selectivity cut) {
        Total total;
        for (const Position& p : positions) {
            search.clear();
            engine::SearchResult r;
            engine::SearchLimits limits;
            limits.depth = d;
            limits.selectivity = cut;
            total.time += seconds([&] { r = search.run(p, limits); });
            total.nodes += r.nodes;
        }
        return total;
    };
    Total base;
    base.time = seconds([&] {
        for (const Position& p : positions) {
            plain.root(p, kPlainDepth);
        }
    });
    base.nodes = plain.nodes();
    std::printf("mid-game search over %zu positions (30-50 empties), cleared 16 MiB table each\n",
                positions.size());
    const auto line = [](const char* name, int d, const Total& t, const Total& b) {
        std::printf("  %-22s depth %2d %12llu nodes  %8.3f s  %5.2f M nodes/s", name, d,
                    static_cast<unsigned long long>(t.nodes), t.time,
                    static_cast<double>(t.nodes) / t.time / 1e6);
        if (b.time > 0) {
            std::printf("  %6.1fx faster, %6.1fx fewer nodes", b.time / t.time,
                        static_cast<double>(b.nodes) / static_cast<double>(t.nodes));
        }
        std::printf("\n");
    };
    line("plain alpha-beta", kPlainDepth, base, {});
    line("search", kPlainDepth, runSearch(kPlainDepth, engine::SearchLimits{}.selectivity), base);
    const Total deep = runSearch(depth, selectivity);
    line("search", depth, deep, {});
    const auto average = [&](const Total& t, int on) {
        std::printf(
            "  at %d%% selectivity on %d thread%s: %.3f s and %.2f M nodes a position on "
            "average\n",
            engine::kSelectivityPercent[static_cast<std::size_t>(selectivity)], on,
            on == 1 ? "" : "s", t.time / static_cast<double>(positions.size()),
            static_cast<double>(t.nodes) / 1e6 / static_cast<double>(positions.size()));
    };
    average(deep, 1);
    if (threads > 1) {
        search.setThreads(threads);
        const Total more = runSearch(depth, selectivity);
        line("search", depth, more, {});
        average(more, threads);
        std::printf("  %d threads: %.2fx the time of one, %.2fx the nodes\n", threads,
                    more.time / deep.time,
                    static_cast<double>(more.nodes) / static_cast<double>(deep.nodes));
        search.setThreads(1);
    }
}

}  // namespace
}  // namespace orvanta::bench

int main(int argc, char** argv) {
    orvanta::bench::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--depth" && hasValue) {
            options.depth = std::atoi(argv[++i]);
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--table-mib" && hasValue) {
            options.tableMiB = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (arg == "--ffo" && hasValue) {
            options.ffo = argv[++i];
        } else if (arg == "--no-ffo") {
            options.ffo.clear();
        } else if (arg == "--search-depth" && hasValue) {
            options.searchDepth = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--selectivity" && hasValue) {
            const int percent = std::atoi(argv[++i]);
            const auto& all = orvanta::engine::kSelectivityPercent;
            const auto* found = std::find(all.begin(), all.end(), percent);
            if (found == all.end()) {
                std::fprintf(stderr, "%s: --selectivity is one of 73 87 95 98 99 100\n", argv[0]);
                return 2;
            }
            options.selectivity = static_cast<orvanta::engine::Selectivity>(found - all.begin());
        } else if (arg == "--ffo-search" && hasValue) {
            options.ffoSearch = argv[++i];
        } else if (arg == "--no-search") {
            options.searchDepth = 0;
        } else if (arg == "--threads" && hasValue) {
            options.threads = std::clamp(std::atoi(argv[++i]), 1, 64);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--depth N] [--runs N] [--table-mib N] [--ffo DIR|--no-ffo] "
                         "[--search-depth N|--no-search] [--selectivity P] [--threads N] "
                         "[--ffo-search FILE]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!options.ffoSearch.empty()) {
        return orvanta::bench::benchFfoSearch(options.ffoSearch, options.selectivity) ? 0 : 1;
    }
    bool ok = options.depth < 0 || orvanta::bench::benchPerft(options);
    if (options.searchDepth > 0) {
        orvanta::bench::benchEvaluation();
        orvanta::bench::benchSearch(options.searchDepth, options.selectivity, options.threads);
    }
    if (!options.ffo.empty()) {
        orvanta::engine::TranspositionTable table(options.tableMiB << 20);
        for (const char* file : {"/fforum-1-19.obf", "/fforum-20-39.obf"}) {
            const auto one = orvanta::bench::benchFfo(options.ffo + file, table, 1);
            ok = one && ok;
            if (options.threads > 1) {
                const auto more =
                    orvanta::bench::benchFfo(options.ffo + file, table, options.threads);
                ok = more && ok;
                if (one && more) {
                    std::printf("  %d threads: %.2fx the time of one\n", options.threads,
                                *more / *one);
                }
            }
        }
    }
    return ok ? 0 : 1;
}
