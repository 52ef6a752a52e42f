#include "game/game.hpp"
#include "platform/language.hpp"

#include <chrono>

#include "engine/game_state.hpp"
#include "game/background_review.hpp"
#include "game/review.hpp"
#include "game/review_walk.hpp"
#include "platform/console.hpp"
#include "platform/random.hpp"
#include "players/engine_pc.hpp"
#include "players/levels.hpp"
#include "players/player.hpp"
#include "players/positions.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

using platform::console;

constexpr std::chrono::milliseconds kPause(2000);

void trace(std::string_view text) {
    if (console().testMode()) {
        console().line(text, 2);
    }
}

void writeCounts(const Board& board) {
    console().write(board.count(kBlack));
    console().write(", ");
    console().write(tr(" 白石 = "));
    console().write(board.count(kWhite));
}

}  // namespace

void Game::setLevel(int level, std::size_t hashBytes) {
    level_ = level;
    if ((level > 0 || coach_) && (!search_ || hashBytes != hashBytes_)) {
        search_ = std::make_unique<engine::Search>(hashBytes);
        search_->setThreads(threads_);
    }
    hashBytes_ = hashBytes;
}

void Game::setThreads(int threads, int reviewThreads) {
    threads_ = threads;
    reviewThreads_ = reviewThreads;
    if (search_) {
        search_->setThreads(threads);
    }
}

void Game::setCoach(bool on) {
    coach_ = on;
    setLevel(level_);
}

void Game::seat(PlayMode mode, std::optional<std::int32_t> humanColour) {
    const auto human = [this] {
        auto player = std::make_unique<Player>(level_, search_.get(), coach_, book_);
        if (coach_) {
            player->setAnalysis(
                [this](const engine::Position& position) { return analysis(position); });
        }
        return player;
    };
    const auto computer = [this] { return makeComputer(level_, search_.get(), book_); };
    if (search_) {
        search_->clear();  // every game is played as if it were the first
    }
    humans_ = {mode == PlayMode::kTwoHumans, mode == PlayMode::kTwoHumans};
    if (mode == PlayMode::kTwoHumans) {
        seats_ = {human(), human()};
        players_ = {"human", "human"};
    } else if (mode == PlayMode::kHumanAgainstComputer) {
        if (!humanColour) {
            platform::reseed();
            humanColour = platform::generator()() % 2 == 0 ? kBlack : kWhite;
        }
        const bool humanFirst = *humanColour == kBlack;
        humans_ = {humanFirst, !humanFirst};
        console().write(humanFirst ? tr(" 先攻です") : tr(" 後攻です"));
        if (humanFirst) {
            seats_ = {human(), computer()};
            players_ = {"human", computerName(level_)};
        } else {
            seats_ = {computer(), human()};
            players_ = {computerName(level_), "human"};
        }
        console().pause(kPause);
        console().endLine(2);
    } else {
        seats_ = {computer(), computer()};
        players_ = {computerName(level_), computerName(level_)};
    }
}

void Game::unseat() {
    for (auto& seat : seats_) {
        seat.reset();
    }
}

void Game::showLast() const {
    history_.print(board_);
}

void Game::play() {
    Point move(0, 0);
    side_ = kBlack;
    board_.reset();
    history_.clear();
    moves_.clear();
    if (coach_) {
        background_ = std::make_unique<BackgroundReview>(reviewLevel_, hashBytes_);
    }
    // Whatever ends the game, the review stops.
    struct Stop {
        std::unique_ptr<BackgroundReview>& review;
        ~Stop() { review.reset(); }
    } stop{background_};
    for (;;) {
        console().write(side_ == kBlack ? tr(" ─黒の手番─") : tr(" ─白の手番─"));
        console().pause(kPause);
        console().endLine(2);

        if (!board_.hasMove(side_)) {
            trace(" : \n : -- can't put...");
            console().line(tr(" 置くことのできる場所がありません"), 3);
            moves_.push_back({side_, std::nullopt});
            side_ = opponent(side_);
            console().pause(kPause);
            continue;
        }
        trace(" : \n : -- can put...");

        const auto seat = static_cast<std::size_t>(side_);
        if (humans_[seat]) {
            reviewLater(side_, engine::kPass);
        }
        move = seats_[seat]->select(board_, side_);
        if (move == kUndoPoint) {
            const std::size_t before = history_.size();
            if (takeBack()) {
                console().write(
                    fill(tr(" {}手戻しました"), {std::to_string(before - history_.size())}));
            } else {
                console().write(tr(" 戻せる手がありません"));
            }
            console().endLine(2);
            continue;
        }
        if (move.getX() == 0 && move.getY() == 0) {
            console().line(tr(" 終了します"), 2);
            keepRecord(std::nullopt);
            return;
        }
        if (!humans_[seat]) {
            reviewLater(side_, squareOf(move));
        }
        board_.place(move, side_);
        history_.add(move, side_);
        moves_.push_back({side_, move, seats_[seat]->handedOver()});
        board_.print({.lastMove = coach_, .colour = coach_});
        console().endLine();
        console().write(fill(tr(" {}に置きました"), {squareName(move)}));
        console().endLine(2);

        if (!board_.hasMove(side_) && !board_.hasMove(opponent(side_))) {
            finish();
            return;
        }
        trace(" : \n : -- else can put...");
        console().write(tr(" 個数 : 黒石 = "));
        writeCounts(board_);
        console().pause(kPause);
        console().endLine(2);
        side_ = opponent(side_);
    }
}

void Game::finish() {
    console().line(tr("　─ゲーム終了─"));
    console().line(tr(" 置ける位置へ全ておき終わりました"));
    console().line(tr(" ゲームを終了します"));
    console().write(tr(" 結果 : 黒石 = "));
    writeCounts(board_);
    console().endLine(2);
    const int black = board_.count(kBlack);
    const int white = board_.count(kWhite);
    console().line(black < white    ? tr(" 白の勝ち！")
                   : black == white ? tr(" 引き分け")
                                    : tr(" 黒の勝ち！"),
                   2);
    console().pause(kPause);
    keepRecord(positionOf(board_, kBlack).finalScore());
    if (coach_) {
        // What the background found stays; the rest is done now, on more threads.
        background_->stop();
        std::vector<bool> handedOver;
        for (const RecordedMove& m : moves_) {
            handedOver.push_back(m.handedOver);
        }
        const Review review =
            showReview(engine::Position(), engineMoves(), humans_, reviewLevel_, hashBytes_,
                       &background_->cache(), handedOver, reviewThreads_);
        if (walkReviews_) {
            walkReview(review);
        }
    }
}

std::vector<MoveScore> Game::analysis(const engine::Position& position) {
    const ReviewJob job{position, engine::kPass, true};
    if (background_) {
        if (auto known = background_->cache().find(job)) {
            return *std::move(known);
        }
    }
    engine::Search search(reviewTableBytes(hashBytes_));
    search.setThreads(threads_);
    std::vector<MoveScore> scores =
        reviewPosition(search, job, reviewLimits(reviewLevel_, threads_));
    if (background_) {
        background_->keep(job, scores);
    }
    return scores;
}

void Game::reviewLater(std::int32_t colour, int move) {
    if (background_) {
        background_->add({positionOf(board_, colour), move, move == engine::kPass});
    }
}

std::vector<int> Game::engineMoves() const {
    std::vector<int> moves;
    for (const RecordedMove& move : moves_) {
        moves.push_back(move.square ? squareOf(*move.square) : engine::kPass);
    }
    return moves;
}

bool Game::takeBack() {
    auto last = moves_.end();
    while (last != moves_.begin()) {
        --last;
        if (last->square && humans_[static_cast<std::size_t>(last->colour)]) {
            side_ = last->colour;
            moves_.erase(last, moves_.end());
            replay();
            return true;
        }
    }
    return false;
}

void Game::replay() {
    engine::GameState state;
    history_.clear();
    for (const RecordedMove& move : moves_) {
        state.play(move.square ? squareOf(*move.square) : engine::kPass);
        if (move.square) {
            history_.add(*move.square, move.colour);
        }
    }
    setCells(board_, state.position());
    board_.setLastMove(history_.size() == 0
                           ? std::nullopt
                           : std::optional<Point>(history_.point(history_.size() - 1)));
}

void Game::keepRecord(std::optional<int> margin) {
    if (records_ != nullptr) {
        records_->append(ggfRecord(moves_, players_, console().now(), margin));
    }
}

}  // namespace orvanta
