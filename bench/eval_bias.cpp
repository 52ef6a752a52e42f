// The search's side-to-move bias: self-play games from fixed openings in which both sides search
// at the same depth, and the mover's own score averaged over a range of plies. Along a game the
// two sides take turns, so the scores of an unbiased search average about zero whoever is ahead;
// a search whose evaluation undervalues having the move believes, at even depths, that the mover
// is behind, and at odd depths that it is ahead.
//
// Usage: eval_bias [--openings FILE] [--games N] [--depths D,D...] [--selectivity P]
//                  [--from PLY] [--to PLY] [--weights FILE --cuts FILE]
// The last N openings of FILE (default bench/openings.txt, 100 games), depths 8 and 9, no forward
// pruning (P = 100; 73, 87, 95, 98 or 99 search selectively), plies 10 to 40 (counting the
// opening's). --weights and --cuts search with those files instead of the built-in ones.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "bench/openings.hpp"
#include "engine/game_state.hpp"
#include "engine/search.hpp"

namespace orvanta::bench {
namespace {

using namespace engine;

struct Options {
    std::string openings = ORVANTA_OPENINGS;
    int games = 100;
    std::vector<int> depths = {8, 9};
    Selectivity selectivity = Selectivity::kNone;
    int from = 10;
    int to = 40;
    std::string weights;
    std::string cuts;
};

std::optional<int> whole(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<Selectivity> selectivityOf(int percent) {
    for (std::size_t i = 0; i < kSelectivityPercent.size(); ++i) {
        if (kSelectivityPercent[i] == percent) {
            return static_cast<Selectivity>(i);
        }
    }
    return std::nullopt;
}

std::optional<Options> parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        const auto number = whole(value);
        if (name == "--openings") {
            o.openings = value;
        } else if (name == "--weights") {
            o.weights = value;
        } else if (name == "--cuts") {
            o.cuts = value;
        } else if (name == "--games" && number && *number > 0) {
            o.games = *number;
        } else if (name == "--from" && number && *number >= 0) {
            o.from = *number;
        } else if (name == "--to" && number && *number >= 0) {
            o.to = *number;
        } else if (name == "--selectivity" && number && selectivityOf(*number)) {
            o.selectivity = *selectivityOf(*number);
        } else if (name == "--depths") {
            o.depths.clear();
            for (std::size_t at = 0; at <= value.size();) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                const auto depth = whole(std::string_view(value).substr(at, comma - at));
                if (!depth || *depth < 1 || *depth > 30) {
                    return std::nullopt;
                }
                o.depths.push_back(*depth);
                at = comma + 1;
            }
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0 || o.from > o.to || o.weights.empty() != o.cuts.empty()) {
        return std::nullopt;
    }
    return o;
}

std::optional<std::vector<unsigned char>> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::vector<unsigned char>{std::istreambuf_iterator<char>(file), {}};
}

struct Tally {
    double sum = 0;
    double squares = 0;
    int count = 0;
    int negative = 0;
    void add(double discs) {
        sum += discs;
        squares += discs * discs;
        ++count;
        negative += discs < 0 ? 1 : 0;
    }
    double mean() const { return count == 0 ? 0 : sum / count; }
    // The standard error of the mean, as if the scores were independent (they are not quite:
    // one game's scores are related).
    double error() const {
        if (count < 2) {
            return 0;
        }
        const double variance = (squares - sum * sum / count) / (count - 1);
        return std::sqrt(variance / count);
    }
};

}  // namespace
}  // namespace orvanta::bench

int main(int argc, char** argv) {
    using namespace orvanta::bench;
    using namespace orvanta::engine;
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s [--openings FILE] [--games N] [--depths D,D...] "
                     "[--selectivity 73|87|95|98|99|100] [--from PLY] [--to PLY] "
                     "[--weights FILE --cuts FILE]\n",
                     argv[0]);
        return 2;
    }
    std::string error;
    const auto openings = readOpenings(options->openings, error);
    if (!openings) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    EvalWeights weights = builtinWeights();
    CutTable cuts = builtinCuts();
    std::vector<unsigned char> weightBytes;
    if (!options->weights.empty()) {
        auto bytes = readBytes(options->weights);
        const auto cutBytes = readBytes(options->cuts);
        const auto table = cutBytes
                               ? CutTable::parse(std::string(cutBytes->begin(), cutBytes->end()))
                               : std::nullopt;
        if (!bytes || bytes->size() != EvalWeights::kBytes || !table) {
            std::fprintf(stderr, "cannot read the weights or cuts given\n");
            return 2;
        }
        weightBytes = std::move(*bytes);
        weights = EvalWeights(weightBytes);
        cuts = *table;
    }
    const std::size_t games = std::min(openings->size(), static_cast<std::size_t>(options->games));
    const std::size_t first = openings->size() - games;
    std::printf(
        "mover's own score over plies %d-%d of %zu self-play games (openings %zu-%zu of "
        "%s), selectivity %d%%\n",
        options->from, options->to, games, first + 1, openings->size(), options->openings.c_str(),
        kSelectivityPercent[static_cast<std::size_t>(options->selectivity)]);
    for (const int depth : options->depths) {
        Tally tally;
        std::uint64_t nodes = 0;
        for (std::size_t g = first; g < openings->size(); ++g) {
            Search search(std::size_t{16} << 20, weights, cuts);
            GameState game;
            for (const int move : (*openings)[g]) {
                game.play(move);
            }
            for (int ply = static_cast<int>((*openings)[g].size());
                 !game.isOver() && ply < options->to; ++ply) {
                if (game.legalMoves() == 0) {
                    game.play(kPass);
                    continue;
                }
                SearchLimits limits;
                limits.depth = depth;
                limits.selectivity = options->selectivity;
                const SearchResult r = search.run(game.position(), limits);
                nodes += r.nodes;
                if (ply >= options->from) {
                    tally.add(static_cast<double>(r.score) / kScoreScale);
                }
                game.play(r.move);
            }
        }
        std::printf(
            "  depth %2d: mean %+.2f discs (standard error %.2f), %d of %d negative, "
            "%.1f M nodes\n",
            depth, tally.mean(), tally.error(), tally.negative, tally.count,
            static_cast<double>(nodes) / 1e6);
        std::fflush(stdout);
    }
    return 0;
}
