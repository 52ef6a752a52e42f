#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/null_host.hpp"
#include "board/board.hpp"
#include "platform/console.hpp"
#include "players/pc.hpp"

namespace orvanta::bench {
namespace {

void setRows(Board& board, const std::vector<std::string>& rows) {
    for (std::int32_t y = 1; y <= 8; ++y) {
        for (std::int32_t x = 1; x <= 8; ++x) {
            const char c = rows[static_cast<std::size_t>(y - 1)][static_cast<std::size_t>(x - 1)];
            board.set(x, y, c == 'B' ? kBlack : c == 'W' ? kWhite : kEmpty);
        }
    }
}

// A crowded middle game, 46 stones, black to move with few legal squares.
const std::vector<std::string> kMidGame = {"..WWWW..", "B.WWWB..", "BBWBWWWW", "BBWWBWWW",
                                           "BBBWWBWW", "BBWBWWWW", "B.WWWW..", "..WWW..."};
// The only legal square lies next to an empty corner: the longest ordinary search.
const std::vector<std::string> kNextToCorner = {"........", "........", "..W.....", "...B....",
                                                "........", "........", "........", "........"};
// Two legal edge squares beside an empty corner: the best-edge search draws two boards.
const std::vector<std::string> kBestEdge = {"..WB...W", "........", "W.......", "B.......",
                                            "........", "........", "........", "........"};

void prepare(Board& board, const std::vector<std::string>* rows) {
    if (rows != nullptr) {
        setRows(board, *rows);
    }
}

void BM_HasMove(benchmark::State& state, const std::vector<std::string>* rows) {
    NullHost host;
    platform::HostScope scope(host);
    Board board;
    prepare(board, rows);
    for (auto _ : state) {
        benchmark::DoNotOptimize(board.hasMove(kBlack));
    }
}

void BM_PCSelect(benchmark::State& state, const std::vector<std::string>* rows) {
    NullHost host;
    platform::HostScope scope(host);
    Board board;
    prepare(board, rows);
    PC pc;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pc.select(board, kBlack));
    }
}

BENCHMARK_CAPTURE(BM_HasMove, start, nullptr);
BENCHMARK_CAPTURE(BM_HasMove, midgame, &kMidGame);
BENCHMARK_CAPTURE(BM_PCSelect, start, nullptr);
BENCHMARK_CAPTURE(BM_PCSelect, midgame, &kMidGame);
BENCHMARK_CAPTURE(BM_PCSelect, next_to_corner, &kNextToCorner);
BENCHMARK_CAPTURE(BM_PCSelect, best_edge, &kBestEdge);

}  // namespace
}  // namespace orvanta::bench

BENCHMARK_MAIN();
