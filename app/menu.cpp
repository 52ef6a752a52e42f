#include "app/menu.hpp"

#include <charconv>
#include <chrono>

#include "app/test_mode.hpp"
#include "game/game.hpp"

namespace orvanta {

namespace {

using platform::console;

// Every character beyond ASCII that the program writes. A terminal gets its own character set
// only when that set can show all of them; the session tests check that the list is complete.
constexpr std::string_view kRepertoire =
    "─│┌┐└┘├┤┬┴┼○●　あいおかがきくけこさしすせそたちてでとどにのはへまりるわをん"
    "イクゲサジスタッテデトドニバムメモュョレンー下了人位作例個先全分初前動勝回報場始対常"
    "引後情成戦所手攻数新日更最果番白石示移終結置者自行表通選開黒！？･"
    // the review
    "ら価計合善失局差損推振評見返悪目（）";

constexpr std::chrono::milliseconds kPause(1000);
constexpr int kQuit = -1;
constexpr int kCredits = 0;
constexpr int kTwoHumans = 1;
constexpr int kAgainstComputer = 2;
constexpr int kSwitchMode = 3;
constexpr int kLastResult = 4;

void showMenu() {
    console().line("　─メニュー─");
    console().line(" -1:終了");
    console().line("　0:クレジット");
    console().line("　1:対人戦");
    console().line("　2:対PC戦");
    console().line(testMode ? "　3:通常モードへ移行" : "　3:テストモードへ移行");
    console().line("　4:前回の結果を表示");
    console().endLine();
}

// Prompts until the answer is a number from -1 to 4; the end of input answers -1.
int askChoice() {
    for (;;) {
        console().write(" モードを選んで下さい -> ");
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
    console().line("　[クレジット]");
    console().line("　作成者         : Zandrel");
    console().line("　初回作成日     : 2008/05/11");
    console().line("　最終更新日     : 2009/01/18");
    console().line("　バージョン情報 : Ver.1.01.00");
    console().line("　サイト         : https://www.example.com/orvanta/");
    console().endLine();
    console().pause(kPause);
}

void playGame(Game& game, int mode) {
    console().line(" ゲームを開始します", 2);
    console().pause(kPause);
    game.seat(mode);
    game.play();
    game.unseat();
}

}  // namespace

std::string_view repertoire() {
    return kRepertoire;
}

std::optional<int> menuNumber(const platform::Word& word) {
    if (word.truncated) {
        return std::nullopt;
    }
    std::string_view text = word.bytes;
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

void menu(Game& game) {
    console().line(" -Orvanta-", 2);
    for (;;) {
        showMenu();
        const int choice = askChoice();
        console().endLine();
        switch (choice) {
            case kQuit:
                console().line("　終了します");
                return;
            case kCredits:
                showCredits();
                break;
            case kTwoHumans:
                playGame(game, Game::kTwoHumans);
                break;
            case kAgainstComputer:
                playGame(game, Game::kHumanAgainstComputer);
                break;
            case kSwitchMode:
                console().line(testMode ? " 通常モードへ移行します" : " テストモードへ移行します");
                testMode = !testMode;
                console().endLine();
                break;
            case kLastResult:
                console().line(" 前回の結果を表示します", 2);
                console().pause(kPause);
                game.showLast();
                break;
        }
    }
}

}  // namespace orvanta
