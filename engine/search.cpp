#include "engine/search.hpp"

#include <algorithm>
#include <utility>

#include "engine/midgame.hpp"

// The root driver: iterative deepening with aspiration windows over the mid-game search, the
// exact solve near the end, and the principal variation.
namespace orvanta::engine {

namespace {

using detail::Line;
using detail::Midgame;
using detail::Stopped;

// The line after `pv` continued with the table's moves while they are legal, up to `length`.
std::vector<int> extendedLine(const Position& position, const Line& pv,
                              const TranspositionTable& table, int length) {
    std::vector<int> line;
    Position p = position;
    for (int i = 0; i < length && !p.isOver(); ++i) {
        int move = kPass;
        if (i < pv.size) {
            move = pv.moves[static_cast<std::size_t>(i)];
        } else if (p.mustPass()) {
            move = kPass;
        } else if (const auto known = table.probe(p.player(), p.opponent());
                   known && known->move != kPass && (p.moves() & bit(known->move)) != 0) {
            move = known->move;
        } else {
            break;
        }
        if (move == kPass ? !p.mustPass() : (p.moves() & bit(move)) == 0) {
            break;
        }
        line.push_back(move);
        p = p.after(move);
    }
    return line;
}

}  // namespace

int evaluate(const Position& position) {
    return evaluate(position.player(), position.opponent(), builtinWeights());
}

std::vector<std::pair<int, int>> Search::rootScores(const Position& position, int depth) {
    table_.newSearch();
    std::vector<std::pair<int, int>> scores;
    const SearchLimits limits;
    Midgame search(table_, weights_, isa_, limits);
    Line line;
    for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        const Position child = position.after(firstSquare(moves));
        const int score = -search.pvs(child.player(), child.opponent(), std::max(depth, 1) - 1,
                                      -kInfinity, kInfinity, line);
        scores.emplace_back(firstSquare(moves), score);
    }
    lastNodes_ = search.nodes();
    std::stable_sort(scores.begin(), scores.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return scores;
}

SearchResult Search::run(const Position& position, const SearchLimits& limits) {
    table_.newSearch();
    SearchResult result;
    if (position.moves() == 0) {
        result.exact = position.isOver();
        result.score = position.isOver() ? position.finalScore() * kScoreScale : 0;
        if (position.mustPass()) {
            result.pv = {kPass};
        }
        lastNodes_ = 0;
        return result;
    }
    const int empties = position.empties();
    Midgame search(table_, weights_, isa_, limits);
    // Iterative deepening with aspiration windows around the last score; the first iteration
    // always finishes, so there is always a move. Close enough to the end, the solver takes
    // over as one last iteration of the whole remaining depth, after mid-game iterations to half
    // of it: they leave the solver good first moves in the table, and a sound move should the
    // budget run out before the end is solved.
    constexpr int kAspiration = 2 * kScoreScale;
    const bool exact = empties <= limits.exactEmpties;
    const int lastDepth = exact ? empties : std::clamp(limits.depth, 1, empties);
    const int warmUp = std::clamp(empties / 2, 2, std::max(2, limits.depth));
    try {
        for (int depth = 1; depth <= lastDepth; ++depth) {
            if (exact && depth > warmUp) {
                depth = empties;
            }
            if (depth >= empties) {
                const SolveResult solved = search.solveRoot(position.player(), position.opponent());
                result = {solved.move, solved.score * kScoreScale,
                          empties,     true,
                          0,           extendedLine(position, Line{}, table_, empties)};
                if (result.pv.empty() || result.pv.front() != result.move) {
                    result.pv = {result.move};
                }
                break;
            }
            int window = kAspiration;
            int alpha = depth <= 2 ? -kInfinity : std::max(result.score - window, -kInfinity);
            int beta = depth <= 2 ? kInfinity : std::min(result.score + window, kInfinity);
            Line pv;
            int score = 0;
            for (;;) {
                search.enterRoot();
                score = search.pvs(position.player(), position.opponent(), depth, alpha, beta, pv);
                if (score <= alpha && alpha > -kInfinity) {
                    window *= 2;
                    alpha = std::max(score - window, -kInfinity);
                } else if (score >= beta && beta < kInfinity) {
                    window *= 2;
                    beta = std::min(score + window, kInfinity);
                } else {
                    break;
                }
            }
            result.move = pv.size > 0 ? pv.moves[0] : firstSquare(position.moves());
            result.score = score;
            result.depth = depth;
            result.pv = extendedLine(position, pv, table_, depth);
            if (result.pv.empty()) {
                result.pv = {result.move};
            }
            search.arm();
            if (limits.softStop && limits.softStop()) {
                break;
            }
        }
    } catch (const Stopped&) {
        // the last finished iteration stands
    }
    result.nodes = lastNodes_ = search.nodes();
    return result;
}

}  // namespace orvanta::engine
