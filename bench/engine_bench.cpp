// The engine's figures: perft from the start with the engine's kernels and with the plain
// baseline in the same run, and the time to solve every FFO position of each file exactly.
//   engine_bench [--depth N] [--runs N] [--table-mib N] [--ffo DIR|--no-ffo]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/plain_rules.hpp"
#include "engine/perft.hpp"
#include "engine/solve.hpp"
#include "tests/support/ffo.hpp"

namespace orvanta::bench {
namespace {

using engine::Isa;
using engine::Position;

struct Options {
    int depth = 11;
    int runs = 3;
    std::size_t tableMiB = 256;
    std::string ffo = ORVANTA_FFO_DIR;
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

// Every position of one FFO file, each with a cleared table: exact score and a best move.
bool benchFfo(const std::string& path, engine::TranspositionTable& table) {
    const auto positions = testing::readFfo(path);
    // Files are named after their first and last FFO numbers: fforum-20-39.obf.
    const std::size_t dash = path.rfind("fforum-");
    const int first = dash == std::string::npos ? 1 : std::atoi(path.c_str() + dash + 7);
    std::printf("%s: %zu positions, table %zu MiB, %s kernels\n", path.c_str(), positions.size(),
                table.bytes() >> 20, std::string(engine::isaName(engine::bestIsa())).c_str());
    double total = 0;
    std::uint64_t nodes = 0;
    int wrong = positions.empty() ? 1 : 0;
    for (const testing::FfoPosition& p : positions) {
        table.clear();
        engine::SolveResult r;
        const double t = seconds([&] { r = engine::solve(p.position, table); });
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
    return wrong == 0;
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
        } else {
            std::fprintf(stderr,
                         "usage: %s [--depth N] [--runs N] [--table-mib N] [--ffo DIR|--no-ffo]\n",
                         argv[0]);
            return 2;
        }
    }
    bool ok = options.depth < 0 || orvanta::bench::benchPerft(options);
    if (!options.ffo.empty()) {
        orvanta::engine::TranspositionTable table(options.tableMiB << 20);
        for (const char* file : {"/fforum-1-19.obf", "/fforum-20-39.obf"}) {
            ok = orvanta::bench::benchFfo(options.ffo + file, table) && ok;
        }
    }
    return ok ? 0 : 1;
}
