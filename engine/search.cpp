#include "engine/search.hpp"

#include <algorithm>

#include "engine/solve.hpp"

namespace orvanta::engine {

namespace {

constexpr int kInfinity = 1 << 20;

// Thrown through the search when `stop` says so.
struct Stopped {};

class Negamax {
  public:
    explicit Negamax(const SearchLimits& limits) : limits_(limits) {}

    int search(Bitboard player, Bitboard opponent, int depth, int alpha, int beta) {
        if ((++nodes_ & 1023) == 0 && limits_.stop && limits_.stop()) {
            throw Stopped{};
        }
        Bitboard moves = legalMoves(player, opponent);
        if (moves == 0) {
            if (legalMoves(opponent, player) == 0) {
                return finalScore(player, opponent) * kScoreScale;
            }
            return -search(opponent, player, depth, -beta, -alpha);
        }
        if (depth == 0) {
            return evaluate(Position(player, opponent, Colour::kBlack));
        }
        int best = -kInfinity;
        for (; moves != 0; moves &= moves - 1) {
            const int square = firstSquare(moves);
            const Bitboard flipped = flips(player, opponent, square);
            const int score = -search(opponent ^ flipped, player ^ flipped ^ bit(square), depth - 1,
                                      -beta, -std::max(alpha, best));
            best = std::max(best, score);
            if (best >= beta) {
                break;
            }
        }
        return best;
    }

    std::uint64_t nodes() const { return nodes_; }

  private:
    const SearchLimits& limits_;
    std::uint64_t nodes_ = 0;
};

}  // namespace

int evaluate(const Position& position) {
    const Bitboard p = position.player();
    const Bitboard o = position.opponent();
    const int mobility = popcount(legalMoves(p, o)) - popcount(legalMoves(o, p));
    const int corners = popcount(p & kCorners) - popcount(o & kCorners);
    return mobility * kScoreScale / 2 + corners * 4 * kScoreScale;
}

std::vector<std::pair<int, int>> Search::rootScores(const Position& position, int depth) {
    std::vector<std::pair<int, int>> scores;
    SearchLimits limits;
    limits.depth = depth;
    Negamax negamax(limits);
    for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
        const Position child = position.after(firstSquare(moves));
        scores.emplace_back(firstSquare(moves), -negamax.search(child.player(), child.opponent(),
                                                                depth - 1, -kInfinity, kInfinity));
    }
    lastNodes_ = negamax.nodes();
    std::stable_sort(scores.begin(), scores.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return scores;
}

SearchResult Search::run(const Position& position, const SearchLimits& limits) {
    SearchResult result;
    if (position.moves() == 0) {
        result.exact = position.isOver();
        result.score = position.isOver() ? position.finalScore() * kScoreScale : 0;
        return result;
    }
    if (position.empties() <= limits.exactEmpties) {
        const SolveResult solved = solve(position, table_);
        lastNodes_ = solved.nodes;
        return {solved.move,  solved.score * kScoreScale, position.empties(), true, solved.nodes,
                {solved.move}};
    }
    Negamax negamax(limits);
    try {
        for (int depth = 1; depth <= limits.depth; ++depth) {
            if (limits.nodes != 0 && negamax.nodes() >= limits.nodes) {
                break;
            }
            int best = -kInfinity;
            int bestMove = kPass;
            for (Bitboard moves = position.moves(); moves != 0; moves &= moves - 1) {
                const int square = firstSquare(moves);
                const Position child = position.after(square);
                const int score =
                    -negamax.search(child.player(), child.opponent(), depth - 1, -kInfinity, -best);
                if (score > best) {
                    best = score;
                    bestMove = square;
                }
            }
            result.move = bestMove;
            result.score = best;
            result.depth = depth;
            result.pv = {bestMove};
        }
    } catch (const Stopped&) {
        if (result.move == kPass) {
            result.move = firstSquare(position.moves());
            result.pv = {result.move};
        }
    }
    result.nodes = lastNodes_ = negamax.nodes();
    return result;
}

}  // namespace orvanta::engine
