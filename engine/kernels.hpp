#pragma once

// The hot loops (perft, the mid-game search and the endgame solver) are compiled once per
// instruction set; the best one this processor runs is picked at run time from a constant table of
// entry points. Nothing here is mutable: callers pass the Isa, by default bestIsa().

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/bitboard.hpp"

namespace orvanta::engine {

class TranspositionTable;
struct SolveResult;
struct SolveBudget;
class Position;
class EvalWeights;
class CutTable;
class ThreadPool;
enum class Selectivity : std::uint8_t;
struct SearchLimits;
struct SearchResult;

enum class Isa {
    kPortable,  // any processor: plain 64-bit integer code
    kAvx2,      // x86-64 with AVX2, BMI1/2, POPCNT and LZCNT (built with GCC only)
};

std::string_view isaName(Isa isa);
// Whether this build has the variant and this processor can run it.
bool isaSupported(Isa isa);
// The widest supported variant.
Isa bestIsa();

// The entry points of one variant.
struct Kernels {
    Isa isa;
    Bitboard (*legalMoves)(Bitboard player, Bitboard opponent);
    Bitboard (*flips)(Bitboard player, Bitboard opponent, int square);
    std::uint64_t (*perft)(Bitboard player, Bitboard opponent, int depth);
    SolveResult (*solve)(Bitboard player, Bitboard opponent, int alpha, int beta,
                         TranspositionTable& table, const SolveBudget& budget);
    // The mid-game search (Search::run) for a position with a legal move, on `threads` threads
    // (the calling one and workers of `pool`).
    SearchResult (*search)(const Position& position, const SearchLimits& limits,
                           TranspositionTable& table, const EvalWeights& weights,
                           const CutTable& cuts, int threads, ThreadPool* pool);
    // Search::rootScores, unsorted, and the nodes it searched.
    void (*rootScores)(const Position& position, int depth, Selectivity selectivity,
                       TranspositionTable& table, const EvalWeights& weights, const CutTable& cuts,
                       std::vector<std::pair<int, int>>& scores, std::uint64_t& nodes);
};

// `isa` must be supported.
const Kernels& kernels(Isa isa);

}  // namespace orvanta::engine
