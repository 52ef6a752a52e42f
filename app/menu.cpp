#include "app/menu.hpp"
#include "platform/language.hpp"

#include <charconv>
#include <chrono>
#include <limits>

#include "app/choices.hpp"
#include "app/numbers.hpp"
#include "game/game.hpp"
#include "players/levels.hpp"

namespace orvanta {

using platform::fill;
using platform::tr;

namespace {

using platform::console;

constexpr std::chrono::milliseconds kPause(1000);
constexpr int kQuit = -1;
constexpr int kCredits = 0;
constexpr int kTwoHumans = 1;
constexpr int kAgainstComputer = 2;
constexpr int kSwitchMode = 3;
constexpr int kLastResult = 4;

void showMenu() {
    console().line(tr("　─メニュー─"));
    console().line(tr(" -1:終了"));
    console().line(tr("　0:クレジット"));
    console().line(tr("　1:対人戦"));
    console().line(tr("　2:対PC戦"));
    console().line(console().testMode() ? tr("　3:通常モードへ移行")
                                        : tr("　3:テストモードへ移行"));
    console().line(tr("　4:前回の結果を表示"));
    console().endLine();
}

// Prompts until the answer is a number from -1 to 4; the end of input answers -1.
int askChoice() {
    for (;;) {
        console().write(tr(" モードを選んで下さい -> "));
        const auto word = console().readWord();
        if (!word) {
            return kQuit;
        }
        const auto number = menuNumber(*word);
        if (number && *number >= kQuit && *number <= kLastResult) {
            return *number;
        }
    }
}

void showCredits() {
    console().line(tr("　[クレジット]"));
    console().line(tr("　作成者         : Zandrel"));
    console().line(tr("　初回作成日     : 2008/05/11"));
    console().line(tr("　最終更新日     : 2009/01/18"));
    console().line(tr("　バージョン情報 : Ver.1.01.00"));
    console().line(tr("　サイト         : https://www.example.com/orvanta/"));
    console().endLine();
    console().pause(kPause);
}

// Asks until the answer is a whole number from `low` to `high`, or an empty line for `given`;
// nothing at the end of the input.
std::optional<int> askNumber(std::string_view prompt, int low, int high, int given) {
    for (;;) {
        console().write(prompt, " [", given, "] -> ");
        const auto line = console().readLine(16);
        console().endLine();
        if (!line) {
            return std::nullopt;
        }
        std::string_view text = line->bytes;
        while (!text.empty() &&
               (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        }
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        }
        if (text.empty()) {
            return given;
        }
        const auto number = menuNumber({std::string(text), line->truncated});
        if (number && *number >= low && *number <= high) {
            return *number;
        }
        console().line(fill(tr(" {} から {} までの数で答えて下さい（空の行なら {}）"),
                            {std::to_string(low), std::to_string(high), std::to_string(given)}),
                       2);
    }
}

// Player mode's questions before a game against the computer; the answers are kept for the
// next game. Nothing when the input ends meanwhile.
std::optional<Choices> askChoices(const MenuSettings& mode) {
    Choices choices = loadChoices(mode.stateDirectory);
    const Choices before = choices;
    if (mode.seat) {
        choices.seat = *mode.seat;
    } else {
        const int asked = static_cast<int>(choices.seat) + 1;
        const auto seat =
            askNumber(tr(" 手番を選んで下さい 1:黒(先手) 2:白(後手) 3:コイントス"), 1, 3, asked);
        if (!seat) {
            return std::nullopt;
        }
        choices.seat = static_cast<Seat>(*seat - 1);
    }
    if (mode.level) {
        choices.level = *mode.level;
    } else {
        const auto level = askNumber(tr(" レベルを選んで下さい 0:昔の相手 1-10:やさしい-最強"), 0,
                                     kMaxLevel, choices.level);
        if (!level) {
            return std::nullopt;
        }
        choices.level = *level;
    }
    if (!(choices == before)) {
        saveChoices(mode.stateDirectory, choices);
    }
    return choices;
}

void playGame(Game& game, PlayMode mode, const MenuSettings& settings) {
    std::optional<Seat> seat = settings.seat;
    if (settings.coach && mode == PlayMode::kHumanAgainstComputer) {
        const auto choices = askChoices(settings);
        if (!choices) {
            return;
        }
        game.setLevel(choices->level);
        seat = choices->seat;
    }
    std::optional<std::int32_t> humanColour;
    if (seat && *seat != Seat::kToss) {
        humanColour = *seat == Seat::kBlack ? kBlack : kWhite;
    }
    console().line(tr(" ゲームを開始します"), 2);
    console().pause(kPause);
    game.seat(mode, humanColour);
    game.play();
    game.unseat();
}

}  // namespace

std::optional<int> menuNumber(const platform::Word& word) {
    if (word.truncated) {
        return std::nullopt;
    }
    const auto number = parseWhole(word.bytes, std::numeric_limits<int>::min(),
                                   std::numeric_limits<int>::max(), Sign::kAllowed);
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
}

void menu(Game& game, const MenuSettings& settings) {
    console().line(" -Orvanta-", 2);
    for (;;) {
        showMenu();
        const int choice = askChoice();
        console().endLine();
        switch (choice) {
            case kQuit:
                console().line(tr("　終了します"));
                return;
            case kCredits:
                showCredits();
                break;
            case kTwoHumans:
                playGame(game, PlayMode::kTwoHumans, settings);
                break;
            case kAgainstComputer:
                playGame(game, PlayMode::kHumanAgainstComputer, settings);
                break;
            case kSwitchMode:
                console().line(console().testMode() ? tr(" 通常モードへ移行します")
                                                    : tr(" テストモードへ移行します"));
                console().setTestMode(!console().testMode());
                console().endLine();
                break;
            case kLastResult:
                console().line(tr(" 前回の結果を表示します"), 2);
                console().pause(kPause);
                game.showLast();
                break;
        }
    }
}

}  // namespace orvanta
