#include "players/player.hpp"
#include "platform/language.hpp"

#include <algorithm>
#include <cstdlib>

#include "platform/console.hpp"
#include "players/engine_pc.hpp"
#include "players/levels.hpp"
#include "players/move_scores.hpp"
#include "players/positions.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

// Moves a line of the hint.
constexpr std::size_t kHintsPerLine = 6;

// "+2.5" for an estimate, "+4" for an exact score: a score in hundredths of a disc, as discs.
std::string discs(const MoveScore& scored) {
    const int score = scored.score;
    std::string text = score < 0 ? "-" : "+";
    const int whole = std::abs(score);
    if (scored.exact) {
        return text + std::to_string(whole / engine::kScoreScale);
    }
    const int tenths = (whole + engine::kScoreScale / 20) / (engine::kScoreScale / 10);
    return text + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void showHelp() {
    auto& console = platform::console();
    console.line(tr(" f5 などの升目 : そこに打ちます（・の升目に打てます。F5 でも同じ）"));
    console.line(
        tr(" hint          : 打てる手とその評価（石差）を良い順に示し、最善手に◎を付けます"));
    console.line(tr(" undo          : 自分の最後の手と、その後の相手の手を戻します"));
    console.line(tr(" auto, p       : この一手をコンピュータに任せます"));
    console.line(tr(" out           : 対局をやめます"));
    console.line(tr(" help          : この説明を出します"));
    console.line(tr(" ┃●┃ の石      : 最後に打たれた手です"), 2);
}

}  // namespace

std::optional<Point> Player::choiceOf(const std::optional<platform::Word>& word, Board& board,
                                      std::int32_t colour) {
    // Without input there is nobody left to play: leave the game as "out" would.
    if (!word || word->is("out")) {
        return Point(0, 0);
    }
    if (word->is("auto") || word->is("p")) {
        handedOver_ = true;
        return makeComputer(level_, search_, book_)->select(board, colour);
    }
    return std::nullopt;
}

Point Player::select(Board& board, std::int32_t colour) {
    handedOver_ = false;
    if (coach_) {
        return coachedSelect(board, colour);
    }
    auto& console = platform::console();
    Point answer(0, 0);
    for (;;) {
        board.print();
        console.endLine();
        console.write(tr(" どこに置きますか？(例:f5 / out-終了 / auto-自動) -> "));
        const auto word = console.readWord();
        console.endLine();
        if (const auto chosen = choiceOf(word, board, colour)) {
            return *chosen;
        }
        if (!answer.parse(word->bytes)) {
            continue;
        }
        if (board.canPlace(answer, colour)) {
            return answer;
        }
        console.write(tr(" そこには置けません"));
        console.endLine(2);
    }
}

namespace {

// A word such as "a9", "i5" or "a10": a letter and a number, a square's shape but not on the
// board. Longer words are not taken for squares.
bool looksLikeSquare(std::string_view word) {
    constexpr std::size_t kLongest = 3;
    return word.size() >= 2 && word.size() <= kLongest && word[0] >= 'a' && word[0] <= 'z' &&
           std::all_of(word.begin() + 1, word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

}  // namespace

Point Player::coachedSelect(Board& board, std::int32_t colour) {
    auto& console = platform::console();
    board.print({.legal = legalSquares(board, colour), .lastMove = true, .colour = true});
    console.endLine();
    Point answer(0, 0);
    for (;;) {
        console.write(fill(
            colour == kBlack
                ? tr(" ●黒の番 (黒石 {}, 白石 {}) どこに置きますか？(f5, hint, undo, help) -> ")
                : tr(" ○白の番 (黒石 {}, 白石 {}) どこに置きますか？(f5, hint, undo, help) -> "),
            {std::to_string(board.count(kBlack)), std::to_string(board.count(kWhite))}));
        const auto word = console.readWord();
        console.endLine();
        if (const auto chosen = choiceOf(word, board, colour)) {
            return *chosen;
        }
        if (word->is("undo")) {
            return kUndoPoint;
        }
        if (word->is("hint")) {
            showHint(board, colour);
            continue;
        }
        if (word->is("help")) {
            showHelp();
            continue;
        }
        // Squares in either case: "F5" is f5.
        const std::string lower = word->truncated ? std::string() : lowerCase(word->bytes);
        if (answer.parse(lower)) {
            if (board.canPlace(answer, colour)) {
                return answer;
            }
            console.line(board.get(answer) != kEmpty
                             ? fill(tr(" {} にはもう石があります"), {squareName(answer)})
                             : fill(tr(" {} に置いても相手の石を挟めません"), {squareName(answer)}),
                         2);
            continue;
        }
        if (looksLikeSquare(lower)) {
            console.line(fill(tr(" {} は盤の外です（升目は a1 から h8 まで）"), {lower}), 2);
            continue;
        }
        console.line(tr(" 使える言葉 : f5 などの升目, hint, undo, auto, p, out, help"), 2);
    }
}

void Player::showHint(const Board& board, std::int32_t colour) {
    auto& console = platform::console();
    const engine::Position position = positionOf(board, colour);
    const auto scores =
        analysis_ ? analysis_(position) : scoreMoves(*search_, position, adviceLevel(level_));
    const bool exact = std::all_of(scores.begin(), scores.end(),
                                   [](const MoveScore& scored) { return scored.exact; });
    // The board again, the best moves (all that share the best score) marked.
    std::uint64_t best = 0;
    for (const MoveScore& scored : scores) {
        if (scored.score == scores.front().score) {
            const Point square = pointOf(scored.move);
            best |= std::uint64_t{1} << ((square.getY() - 1) * 8 + square.getX() - 1);
        }
    }
    board.print(
        {.legal = legalSquares(board, colour), .best = best, .lastMove = true, .colour = true});
    console.endLine();
    console.line(exact ? tr(" ヒント（良い順、読み切った石差、◎が最善）:")
                       : tr(" ヒント（良い順、石差の見込み、◎が最善）:"));
    std::string line;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        line += line.empty() ? " " : ", ";
        line += engine::squareName(scores[i].move) + " " + discs(scores[i]);
        if ((i + 1) % kHintsPerLine == 0 || i + 1 == scores.size()) {
            console.line(line);
            line.clear();
        }
    }
    console.endLine();
}

}  // namespace orvanta
