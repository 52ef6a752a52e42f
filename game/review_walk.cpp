#include "game/review_walk.hpp"
#include "platform/language.hpp"

#include <algorithm>
#include <charconv>

#include "board/board.hpp"
#include "platform/console.hpp"
#include "players/positions.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

using platform::console;

// The best line shows at most this many moves, so that it fits its line.
constexpr std::size_t kLineMoves = 12;
// What the walk's prompt reads at most.
constexpr std::size_t kAnswerBytes = 16;

std::uint64_t squareBit(int square) {
    return square >= 0 && square < engine::kSquares ? engine::bit(square) : 0;
}

std::string lineText(const std::vector<int>& line) {
    std::string text;
    for (std::size_t i = 0; i < line.size() && i < kLineMoves; ++i) {
        if (!text.empty()) {
            text += ' ';
        }
        text += line[i] == engine::kPass ? std::string("pass") : engine::squareName(line[i]);
    }
    return text;
}

// The one-line summary the review list gives a move, without its marks.
std::string summary(const ReviewedMove& m) {
    const auto discs = [](int score) {
        const int whole = wholeDiscs(score);
        std::string text(whole > 0 ? "+" : "");
        text += std::to_string(whole);
        return text;
    };
    return fill(tr(" {}手目 {}  ＊ {} : {}  ◎ 最善 {} : {}  損失 {}"),
                {std::to_string(m.number), m.colour == engine::Colour::kBlack ? tr("黒") : tr("白"),
                 engine::squareName(m.played.move), discs(m.played.score),
                 engine::squareName(m.best.move), discs(m.best.score),
                 std::to_string(wholeDiscs(m.best.score) - wholeDiscs(m.played.score))}) +
           std::string(m.handedOver ? tr("  （auto）") : "");
}

bool isListed(const ReviewedMove& m) {
    return wholeDiscs(m.best.score) - wholeDiscs(m.played.score) >= 1;
}

// The whole number of `text` (spaces around it allowed), or nothing.
std::optional<int> numberIn(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

void showReviewedMove(const ReviewedMove& m) {
    console().line(summary(m));
    Board board;
    setCells(board, m.position);
    std::uint64_t best = 0;
    for (const MoveScore* s : {&m.best, &m.played}) {
        if (s->score == m.best.score) {
            best |= squareBit(s->move);
        }
    }
    board.print({.best = best | squareBit(m.best.move),
                 .played = squareBit(m.played.move),
                 .colour = true});
    console().line(std::string(tr(" 最善の読み : ")) + lineText(m.best.line));
    console().line(std::string(tr(" 打った手の後 : ")) + lineText(m.played.line), 2);
}

void showReviewBoards(const Review& review) {
    for (const ReviewedMove& m : review.moves) {
        if (isListed(m)) {
            showReviewedMove(m);
        }
    }
}

void walkReview(const Review& review) {
    std::vector<const ReviewedMove*> listed;
    for (const ReviewedMove& m : review.moves) {
        if (isListed(m)) {
            listed.push_back(&m);
        }
    }
    if (listed.empty()) {
        return;
    }
    // The listed move shown last; -1 before the first.
    std::ptrdiff_t at = -1;
    const auto count = static_cast<std::ptrdiff_t>(listed.size());
    const auto show = [&](std::ptrdiff_t i) {
        at = i;
        showReviewedMove(*listed[static_cast<std::size_t>(i)]);
    };
    for (;;) {
        console().write(
            tr(" 盤面で見る : Enter か n 次の手, p 前の手, 番号 その手目, q 終わり -> "));
        const auto answer = console().readLine(kAnswerBytes);
        console().endLine();
        if (!answer) {
            return;
        }
        const std::string_view text = answer->bytes;
        const auto is = [&](std::string_view word) {
            return numberIn(text) == std::nullopt &&
                   (text == word || (text.size() == word.size() + 1 && text.back() == '\r' &&
                                     text.substr(0, word.size()) == word));
        };
        if (is("q")) {
            return;
        }
        if (is("") || is("n")) {
            if (at + 1 >= count) {
                console().line(tr(" 一覧の最後の手です"), 2);
                continue;
            }
            show(at + 1);
            continue;
        }
        if (is("p")) {
            if (at <= 0) {
                console().line(tr(" 一覧の最初の手です"), 2);
                continue;
            }
            show(at - 1);
            continue;
        }
        if (const auto number = numberIn(text)) {
            const auto found =
                std::find_if(review.moves.begin(), review.moves.end(),
                             [&](const ReviewedMove& m) { return m.number == *number; });
            if (found == review.moves.end()) {
                console().line(
                    fill(tr(" {}手目は振り返った手ではありません"), {std::to_string(*number)}), 2);
                continue;
            }
            // The walk goes on from the listed move at or before it.
            at = -1;
            while (at + 1 < count && listed[static_cast<std::size_t>(at + 1)]->number <= *number) {
                ++at;
            }
            showReviewedMove(*found);
            continue;
        }
        console().line(tr(" 使える答え : Enter, n, p, 手の番号, q"), 2);
    }
}

}  // namespace orvanta
