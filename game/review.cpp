#include "game/review.hpp"
#include "platform/language.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/threads.hpp"
#include "platform/console.hpp"
#include "players/levels.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

// The chart has this many rows above its zero line and as many below.
constexpr int kChartHalfRows = 5;
// Discs per row of the chart: the smallest that shows the largest score of the game (clipped to
// the last one).
constexpr std::array<int, 8> kChartSteps = {1, 2, 4, 6, 8, 10, 12, 14};
// The labels of the chart's rows take this many columns, the line's first blank included.
constexpr std::size_t kChartLabel = 7;
// The review marks this many of the worst moves.
constexpr std::size_t kMarkedMoves = 3;

struct ReviewResult {
    MoveScore played;
    MoveScore best;
};

ReviewResult resultOf(const ReviewJob& job, const std::vector<MoveScore>& scores) {
    const auto played = std::find_if(scores.begin(), scores.end(),
                                     [&](const MoveScore& s) { return s.move == job.move; });
    return {*played, scores.front()};
}

// Divides rounding half away from zero.
int roundedDivision(int value, int divisor) {
    return value >= 0 ? (value + divisor / 2) / divisor : -((-value + divisor / 2) / divisor);
}

// "+6", "-2", "0".
std::string signedDiscs(int discs) {
    std::string text = discs > 0 ? "+" : "";
    return text.append(std::to_string(discs));
}

std::string reviewColourName(engine::Colour colour) {
    return std::string(colour == engine::Colour::kBlack ? tr("黒") : tr("白"));
}

void trimRight(std::string& text) {
    text.erase(text.find_last_not_of(' ') + 1);
}

// The chart of the score through the game, one column a move, rows of `step` discs.
std::vector<std::string> chartLines(const std::vector<int>& chart) {
    int largest = 0;
    for (const int score : chart) {
        largest = std::max(largest, std::abs(wholeDiscs(score)));
    }
    int step = kChartSteps.back();
    for (const int s : kChartSteps) {
        if (s * kChartHalfRows >= largest) {
            step = s;
            break;
        }
    }
    std::vector<std::string> lines = {std::string(tr(" 評価の推移（黒から見た石差）"))};
    for (int row = kChartHalfRows; row >= -kChartHalfRows; --row) {
        char label[16];
        std::snprintf(label, sizeof label, row == 0 ? " %4d +" : " %+4d |", row * step);
        std::string text = label;
        for (const int score : chart) {
            const int level = std::clamp(roundedDivision(score, step * engine::kScoreScale),
                                         -kChartHalfRows, kChartHalfRows);
            text += level == row ? '*' : row == 0 ? '-' : ' ';
        }
        trimRight(text);
        lines.push_back(text);
    }
    // Move numbers under their columns: 1, then every tenth.
    std::string numbers(kChartLabel + chart.size() + 2, ' ');
    for (std::size_t n = 1; n <= chart.size(); n = n == 1 ? 10 : n + 10) {
        const std::string digits = std::to_string(n);
        numbers.replace(kChartLabel + n - 1, digits.size(), digits);
    }
    trimRight(numbers);
    lines.push_back(numbers);
    return lines;
}

}  // namespace

int wholeDiscs(int score) {
    return roundedDivision(score, engine::kScoreScale);
}

std::size_t reviewTableBytes(std::size_t hashBytes) {
    // The same size however many threads share the review, so that its result does not change
    // with them.
    return hashBytes / kDefaultReviewThreads;
}

engine::SearchLimits reviewLimits(int level, int threads) {
    engine::SearchLimits limits = levelLimits(level, threads);
    if (level >= kDeepReviewLevel) {
        limits.exactEmpties = std::max(limits.exactEmpties, kReviewExactEmpties);
    }
    return limits;
}

ReviewCache::Key ReviewCache::keyOf(const ReviewJob& job) {
    return {job.position.player(), job.position.opponent(), static_cast<int>(job.position.mover()),
            job.allMoves ? -1 : job.move};
}

std::optional<std::vector<MoveScore>> ReviewCache::find(const ReviewJob& job) const {
    const std::lock_guard lock(mutex_);
    const auto found = scores_.find(keyOf(job));
    return found == scores_.end() ? std::nullopt : std::optional(found->second);
}

void ReviewCache::keep(const ReviewJob& job, std::vector<MoveScore> scores) {
    const std::lock_guard lock(mutex_);
    scores_.insert_or_assign(keyOf(job), std::move(scores));
}

std::vector<MoveScore> reviewPosition(engine::Search& search, const ReviewJob& job,
                                      const engine::SearchLimits& limits) {
    search.clear();
    // White's positions are searched one ply less deep, so that every search of the game stops
    // with the same colour to move: the evaluation's swing between odd and even depths does not
    // zigzag through the chart.
    engine::SearchLimits own = limits;
    own.depth -= job.position.mover() == engine::Colour::kWhite ? 1 : 0;
    if (!job.allMoves) {
        return {scoreMove(search, job.position, job.move, own)};
    }
    return scoreMoves(search, job.position, own);
}

void analyseBackwards(engine::Search& search, const engine::Position& start,
                      const std::vector<int>& moves, const engine::SearchLimits& limits,
                      const std::function<bool(std::size_t, int)>& found) {
    std::vector<engine::Position> positions = {start};
    for (const int move : moves) {
        positions.push_back(positions.back().after(move));
    }
    const auto fromBlack = [](const engine::Position& position, int score) {
        return position.mover() == engine::Colour::kBlack ? score : -score;
    };
    for (std::size_t n = moves.size(); n > 0; --n) {
        const engine::Position& before = positions[n - 1];
        const int score =
            reviewPosition(search, {before, moves[n - 1], false}, limits).front().score;
        if (!found(n, fromBlack(before, score))) {
            return;
        }
    }
    int score = start.finalScore() * engine::kScoreScale;
    if (!start.isOver()) {
        const ReviewJob job{start, engine::kPass, !start.mustPass()};
        score = reviewPosition(search, job, limits).front().score;
    }
    found(0, fromBlack(start, score));
}

Review reviewGame(const engine::Position& start, const std::vector<int>& moves,
                  std::array<bool, 2> reviewed, int level, std::size_t hashBytes,
                  const ReviewCache* cache, const std::vector<bool>& handedOver, int threads) {
    std::vector<ReviewJob> jobs;
    std::vector<bool> jobHandedOver;
    engine::Position position = start;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const int move = moves[i];
        const bool legal = move == engine::kPass ? position.mustPass()
                                                 : move >= 0 && move < engine::kSquares &&
                                                       (position.moves() & engine::bit(move)) != 0;
        if (!legal) {
            break;  // the moves before it are reviewed
        }
        if (move != engine::kPass) {
            jobs.push_back({position, move, reviewed[static_cast<std::size_t>(position.mover())]});
            jobHandedOver.push_back(i < handedOver.size() && handedOver[i]);
        }
        position = position.after(move);
    }

    // Each position is scored from a cleared table, so the order in which the threads take them
    // changes nothing; those in the cache are not searched again.
    std::vector<ReviewResult> results(jobs.size());
    std::vector<std::size_t> missing;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        if (const auto known = cache != nullptr ? cache->find(jobs[j]) : std::nullopt) {
            results[j] = resultOf(jobs[j], *known);
        } else {
            missing.push_back(j);
        }
    }
    // Each thread with its own search, made when it takes its first position.
    const engine::SearchLimits limits = reviewLimits(level);
    std::vector<std::unique_ptr<engine::Search>> searches(
        static_cast<std::size_t>(std::max(threads, 1)));
    engine::shareWork(threads, static_cast<int>(missing.size()), [&](int m, int worker) {
        auto& search = searches[static_cast<std::size_t>(worker)];
        if (!search) {
            search = std::make_unique<engine::Search>(reviewTableBytes(hashBytes));
        }
        const std::size_t j = missing[static_cast<std::size_t>(m)];
        results[j] = resultOf(jobs[j], reviewPosition(*search, jobs[j], limits));
    });

    Review review;
    review.reviewed = reviewed;
    const auto fromBlack = [](engine::Colour colour, int score) {
        return colour == engine::Colour::kBlack ? score : -score;
    };
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        const engine::Colour colour = jobs[j].position.mover();
        // Before a reviewed move that follows a move not reviewed, the chart shows the position as
        // the reviewed side's search scores it (its best move): the chart's fall at the move is
        // then the listed loss, rather than the gap between two searches of one position.
        if (j > 0 && jobs[j].allMoves && !jobs[j - 1].allMoves) {
            review.chart.back() = fromBlack(colour, results[j].best.score);
        }
        review.chart.push_back(fromBlack(colour, results[j].played.score));
        if (jobs[j].allMoves) {
            review.moves.push_back({static_cast<int>(j) + 1, jobs[j].position, colour,
                                    results[j].played, results[j].best, jobHandedOver[j]});
        }
    }
    return review;
}

std::vector<std::string> reviewLines(const Review& review) {
    // In whole discs as the line shows the two scores.
    const auto loss = [](const ReviewedMove& m) {
        return wholeDiscs(m.best.score) - wholeDiscs(m.played.score);
    };
    std::vector<const ReviewedMove*> losing;
    std::array<int, 2> totals{};
    std::vector<const ReviewedMove*> worst;
    for (const ReviewedMove& m : review.moves) {
        if (loss(m) >= 1) {
            losing.push_back(&m);
            if (!m.handedOver) {
                worst.push_back(&m);
                totals[static_cast<std::size_t>(m.colour)] += loss(m);
            }
        }
    }
    std::stable_sort(worst.begin(), worst.end(),
                     [&](const auto* a, const auto* b) { return loss(*a) > loss(*b); });
    worst.resize(std::min(worst.size(), kMarkedMoves));

    std::vector<std::string> lines;
    for (const ReviewedMove* m : losing) {
        char number[8];
        std::snprintf(number, sizeof number, " %2d", m->number);
        const bool marked = std::find(worst.begin(), worst.end(), m) != worst.end();
        lines.push_back(
            fill(tr("{}手目 {} {} : {}  最善 {} : {}  損失 {}"),
                 {number, reviewColourName(m->colour), engine::squareName(m->played.move),
                  signedDiscs(wholeDiscs(m->played.score)), engine::squareName(m->best.move),
                  signedDiscs(wholeDiscs(m->best.score)), std::to_string(loss(*m))}) +
            std::string(m->handedOver ? tr("  （auto）")
                        : marked      ? tr("  悪手")
                                      : ""));
    }
    if (losing.empty()) {
        lines.emplace_back(tr(" 石を損した手はありません"));
    }
    std::string total(tr(" 損失の合計 :"));
    for (const engine::Colour colour : {engine::Colour::kBlack, engine::Colour::kWhite}) {
        const auto c = static_cast<std::size_t>(colour);
        if (review.reviewed[c]) {
            total += std::string(total.ends_with(":") ? " " : ",  ") + reviewColourName(colour) +
                     " = " + std::to_string(totals[c]);
        }
    }
    lines.push_back(total);
    if (!review.chart.empty()) {
        lines.emplace_back();
        const std::vector<std::string> chart = chartLines(review.chart);
        lines.insert(lines.end(), chart.begin(), chart.end());
    }
    return lines;
}

Review showReview(const engine::Position& start, const std::vector<int>& moves,
                  std::array<bool, 2> reviewed, int level, std::size_t hashBytes,
                  const ReviewCache* cache, const std::vector<bool>& handedOver, int threads) {
    using platform::console;
    console().line(tr("　─対局の振り返り─"));
    Review review =
        reviewGame(start, moves, reviewed, level, hashBytes, cache, handedOver, threads);
    for (const std::string& line : reviewLines(review)) {
        console().line(line);
    }
    console().endLine();
    return review;
}

}  // namespace orvanta
